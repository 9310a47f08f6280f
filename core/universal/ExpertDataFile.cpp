#include "core/universal/ExpertDataFile.h"
#include "core/common/CodePage.h"
#include "core/common/Errors.h"
#include "core/universal/MessageTable.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace tp::expert {

namespace {

constexpr std::string_view kComments = ",Comments: ";
constexpr std::string_view kSequence = "Sequence:";
constexpr std::string_view kCrLf = "\r\n";

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " \"" + path + "\". " + std::strerror(errno);
}

// Cuts the text before the first comma off `line`, with the comma; without
// a comma the field is empty and the line stays.
std::string takeField(std::string_view& line)
{
    const auto comma = line.find(',');
    if (comma == std::string_view::npos)
        return {};
    std::string field(line.substr(0, comma));
    line.remove_prefix(comma + 1);
    return field;
}

} // namespace

bool ExpertDataFile::isHeader(std::string_view line)
{
    return line == kHeader || line == "Pellwright Data File" || line == "Vessmarch Data File";
}

std::string ExpertDataFile::oneLine(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        out += text[i] == '\r' || text[i] == '\n' ? ' ' : text[i];
    }
    return out;
}

std::string ExpertDataFile::format(const MessageTable& table, std::string_view sequence)
{
    std::string text(kHeader);
    text += kCrLf;
    for (int r = 0; r < table.rowCount(); ++r) {
        using C = MessageTable;
        const auto cell = [&](int column) { return oneLine(table.cell(r, column)); };
        const std::string data = cell(C::Data);
        const std::string notes = cell(C::Notes);
        std::string line = cell(C::Address) + ',' + cell(C::RW) + ',' + cell(C::Stop) + ',' + cell(C::Delay) + ',';
        if (line == ",,,," && notes.empty() && data.starts_with(kComments.substr(1)) &&
            data.find(',') == std::string::npos) {
            // Behind the comma, such Data would read as notes. Alone on its
            // line it is read as Data again, as it was when it came in.
            line = data;
        } else {
            line += data;
            // A line break made a blank can put the notes marker into a cell
            // ("Comments:" and a break behind a comma). Read back, the rest of
            // the row would turn into notes; without the blank it stays put.
            for (auto at = line.find(kComments); at != std::string::npos; at = line.find(kComments, at))
                line.erase(at + kComments.size() - 1, 1);
            if (!notes.empty())
                line += std::string(kComments) + notes;
            if (line == ",,,,")
                continue;
        }
        text += line;
        text += kCrLf;
    }
    text += kSequence;
    text += oneLine(sequence);
    text += kCrLf;
    return utf8ToCp1252(text);
}

TGridRecord ExpertDataFile::parseMessageLine(std::string_view line)
{
    TGridRecord r;
    if (const auto at = line.find(kComments); at != std::string_view::npos) {
        r.notes = cp1252ToUtf8(line.substr(at + kComments.size(), kMaxNotes));
        line = line.substr(0, at);
    }
    r.address = cp1252ToUtf8(takeField(line));
    r.rw = cp1252ToUtf8(takeField(line));
    r.stop = cp1252ToUtf8(takeField(line));
    r.delay = cp1252ToUtf8(takeField(line));
    r.data = cp1252ToUtf8(line);
    return r;
}

std::optional<ExpertFileContent> ExpertDataFile::parse(std::string_view bytes)
{
    ExpertFileContent content;
    bool first = true;
    while (!bytes.empty() || first) {
        const auto nl = bytes.find('\n');
        std::string_view line = bytes.substr(0, nl);
        bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (first) {
            if (!isHeader(line))
                return std::nullopt;
            first = false;
            continue;
        }
        if (line.empty())
            continue;
        if (line.substr(0, kSequence.size()) == kSequence)
            content.sequence = cp1252ToUtf8(line.substr(kSequence.size(), kMaxSequence));
        else if (line.substr(0, 2) == "//")
            continue;
        else
            content.rows.push_back(parseMessageLine(line));
    }
    return content;
}

void ExpertDataFile::apply(const ExpertFileContent& content, MessageTable& table, std::string& sequence)
{
    table.resetToOneRow();
    for (std::size_t i = 0; i < content.rows.size(); ++i) {
        const int r = i == 0 ? 0 : table.appendRow();
        table.setRecord(r, content.rows[i]);
    }
    if (content.sequence)
        sequence = *content.sequence;
}

void ExpertDataFile::save(const std::string& path, const MessageTable& table, std::string_view sequence)
{
    const std::string bytes = format(table, sequence);
    const std::string temporary = path + ".tmp~";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
            throw FileError(systemError("Cannot create file", path));
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            const std::string message = systemError("Cannot write file", path);
            out.close();
            std::remove(temporary.c_str());
            throw FileError(message);
        }
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string message = systemError("Cannot create file", path);
        std::remove(temporary.c_str());
        throw FileError(message);
    }
}

std::optional<ExpertFileContent> ExpertDataFile::load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw FileError(systemError("Cannot open file", path));
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw FileError(systemError("Cannot read file", path));
    return parse(bytes);
}

} // namespace tp::expert
