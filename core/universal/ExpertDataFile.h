#pragma once
#include "core/universal/GridRecord.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp::expert {

class MessageTable;

// What a data file holds: its message rows in order and, when it has a
// sequence line, the last one's text.
struct ExpertFileContent {
    std::vector<TGridRecord> rows;
    std::optional<std::string> sequence;
};

// The expert mode's data file: a header line, then message lines
// "Address,R/W,Stop?,Delay,Data[,Comments: notes]", comment lines starting
// "//" and "Sequence:" lines; CR LF line ends, code page 1252. Data is the
// last field, so its own commas need no escaping, and the notes follow the
// first ",Comments: ", so theirs survive too.
class ExpertDataFile {
public:
    static constexpr const char* kHeader = "Expert Mode Data File";
    static constexpr std::size_t kMaxNotes = 255;
    static constexpr std::size_t kMaxSequence = 255;

    // The header this program writes, and two it reads the same way.
    static bool isHeader(std::string_view line);

    // The file's bytes for a table and a sequence text (UTF-8 in, code page
    // out). Each row is written so that it reads back as the same row; a
    // line break in a cell or the sequence text is written as one blank
    // (oneLine()), so it cannot split the row.
    static std::string format(const MessageTable& table, std::string_view sequence);
    // The text with each CR LF, CR and LF made one blank: what a line of the
    // file, and so the notes field, can hold.
    static std::string oneLine(std::string_view text);
    // The content of a file's bytes (code page in, UTF-8 out); nothing when
    // the first line is not a known header.
    static std::optional<ExpertFileContent> parse(std::string_view bytes);
    // One message line as its row.
    static TGridRecord parseMessageLine(std::string_view line);

    // Replaces the table by the file's rows (one empty row when it has
    // none) and, when the file has a sequence line, the sequence text.
    static void apply(const ExpertFileContent& content, MessageTable& table, std::string& sequence);

    // Writes the file through a temporary one, so a failed save leaves the
    // old file as it was. Throws FileError.
    static void save(const std::string& path, const MessageTable& table, std::string_view sequence);
    // Reads the whole file; throws FileError when it cannot be read.
    static std::optional<ExpertFileContent> load(const std::string& path);
};

} // namespace tp::expert
