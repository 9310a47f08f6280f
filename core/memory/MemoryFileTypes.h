#pragma once
#include "core/memory/MemoryKind.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp {

// The four file types, numbered as the dialogs' type index (1-based).
// The type chosen in a dialog, not the file name's extension, picks the
// reader or writer.
enum class FileType { Mem = 1, Hex = 2, Bin = 3, Csv = 4 };

// Titles and type lists of the memory windows' file dialogs.
class MemoryFileTypes {
public:
    // "mem files (*.mem)", "hex files (*.hex)", "bin files (*.bin)",
    // "csv files (*.csv)"; the small RAM window saves no csv.
    static std::vector<std::string> saveFilters(MemoryKind kind);
    static std::vector<std::string> openFilters(MemoryKind kind);
    static std::string saveTitle(MemoryKind kind);  // "Save EEPROM Data As"
    static std::string openTitle(MemoryKind kind);  // "Open EEPROM File" / "Open Data File"

    static std::string filter(FileType type);
    static std::string extension(FileType type); // "mem", "hex", "bin", "csv"
    // The type at a 1-based index of the list; nothing outside it.
    static std::optional<FileType> typeAt(int filterIndex, std::size_t listLength = 4);

    // A name whose last component has no extension gets "." + extension.
    static std::string withExtension(std::string_view fileName, std::string_view extension);
    // The name a file of `type` is saved under: withExtension, and one of the
    // four types' extensions that names another type is replaced ("a.csv"
    // saved as mem is "a.mem"); other extensions stay as the user typed them.
    static std::string nameForType(std::string_view fileName, FileType type);
    // For a file that failed to load as `chosen` while its extension names
    // another of the four types: "; this looks like an Intel HEX file:
    // choose that type". Empty otherwise.
    static std::string otherTypeHint(std::string_view fileName, FileType chosen);
};

// The default extension a memory window's file dialogs append: "mem" at
// first, then the extension of the type last used. In the large windows
// choosing the mem or hex type while the dialog is open sets it at once.
class FileDialogState {
public:
    explicit FileDialogState(MemoryKind kind) : m_kind(kind) {}

    const std::string& defaultExtension() const { return m_default; }
    // The default while the dialog shows `type`.
    std::string defaultExtensionFor(FileType type) const;
    // After the dialog closed with `fileName` and `type`: the name to use
    // (a name without extension takes the type's) and the new default.
    std::string accept(FileType type, std::string_view fileName);
    // As accept(), for a file about to be written: its extension follows
    // the type (MemoryFileTypes::nameForType).
    std::string acceptSave(FileType type, std::string_view fileName);

private:
    MemoryKind m_kind;
    std::string m_default = "mem";
};

} // namespace tp
