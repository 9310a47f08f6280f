#pragma once
#include "core/universal/UserDevice.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tp::userdev {

// The device definition file (".def"), an initialisation file:
//   [Device Data]           Address (two hex digits), MaxRegister (decimal), Name
//   [Register Data]         one key per register index in decimal: two hex digits
//   [Register Description]  one key per register index in decimal: its name
// Only registers 0 to MaxRegister are read and written. Files are in code
// page 1252 with CR LF line ends; a file that starts with a UTF-8 byte-order
// mark is read as UTF-8 and written back so.
class DefinitionFile {
public:
    static constexpr const char* kDeviceData = "Device Data";
    static constexpr const char* kRegisterData = "Register Data";
    static constexpr const char* kRegisterDescription = "Register Description";
    // Far above any definition; a bigger file is not one.
    static constexpr std::size_t kMaxFileSize = 1 << 20;

    // The checked content of a file's bytes. Throws FileError naming what is
    // wrong when the bytes are not a definition or hold a value out of range.
    static Definition parse(std::string_view bytes);
    // Reads and parses a file; the message of a FileError names the file.
    static Definition load(const std::string& path);

    // `existing` (the bytes of the file being replaced, or empty) with the
    // device's keys written into it; other content stays. With
    // `eraseRegisterData` the old register values go first. Written as
    // UTF-8 with a byte-order mark when `existing` or the file the device
    // came from is, or when code page 1252 cannot hold the text; otherwise
    // in code page 1252.
    static std::string format(std::string_view existing, const UserDevice& device, bool eraseRegisterData);
    // Writes the file through a temporary one beside it. Throws FileError.
    static void save(const std::string& path, const UserDevice& device, bool eraseRegisterData);

    // The register text export: [Device Data] with Address and MaxRegister,
    // [Register Data] with keys "00".."FF" and values "<hex>  ;<name>".
    static std::string exportText(const UserDevice& device);
    // Writes a fresh export file (never merged into an old one), in the
    // device's encoding as format() chooses it.
    static void saveExport(const std::string& path, const UserDevice& device);

    // The lines of the printed report: name, address, column heading, then
    // one line per register.
    static std::vector<std::string> reportLines(const UserDevice& device);
    // The report cut into pages of at most `linesPerPage` lines; every page
    // after the first starts with the column heading again.
    static std::vector<std::vector<std::string>> reportPages(const std::vector<std::string>& lines,
                                                             std::size_t linesPerPage);

    // Bytes of a file as UTF-8 text; false when they are not text.
    static bool decode(std::string_view bytes, std::string& text);
    static FileEncoding encodingOf(std::string_view bytes);
};

} // namespace tp::userdev
