#pragma once
#include "core/common/Status.h"
#include "core/memory/MemFile.h"
#include "core/memory/MemoryFileTypes.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/MemoryKind.h"
#include "core/memory/Notice.h"

#include <optional>
#include <string>

namespace tp {

// What loading a file asks of the window, besides redrawing `changed`.
struct FileLoad {
    bool loaded = true;                  // false: the image is unchanged
    std::optional<MemHeader> header;     // .mem: items to apply (see MemHeader)
    std::optional<Notice> notice;        // "Data file too large"
    std::optional<StatusMessage> status; // "  Invalid Hex File" for the status line
    CellRange changed;
};

// The memory windows' "Save As..." and "Open": the chosen type and the
// window kind pick the writer or reader (.mem is the small record in small
// windows and the large stream in large ones; the large windows read cells
// with blanks trimmed and read .bin files quietly up to their end).
// Errors are thrown (tp::Error): InvalidNumber for a cell or value that is
// not a number, FileError for a file that cannot be opened, written or is
// too short. A failed load changes nothing; a failed save leaves the
// previous file as it was.
class MemoryFiles {
public:
    static void save(MemoryKind kind, FileType type, const std::string& path, const MemoryImage& image,
                     const MemSettings& settings);
    static FileLoad load(MemoryKind kind, FileType type, const std::string& path, MemoryImage& image);
};

} // namespace tp
