#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tp {

// Whole-file reads and crash-safe replacement for the memory file formats.
// Paths are UTF-8. Failures throw FileError.
class FileBytes {
public:
    // "Failed to open or create file" when the file cannot be opened.
    static std::vector<std::uint8_t> read(const std::string& path);
    // At most `limit` bytes from the start of the file.
    static std::vector<std::uint8_t> readPrefix(const std::string& path, std::size_t limit);
    // The whole file, refused before anything is read when it holds more
    // than `maxSize` bytes (kTooLarge), so a wrong file chosen by mistake
    // cannot fill the memory.
    static std::vector<std::uint8_t> readAtMost(const std::string& path, std::size_t maxSize);
    static constexpr const char* kTooLarge = "The file is too large to hold a memory image";

    // Makes `path` hold exactly `data`: writes a temporary file beside it,
    // flushes it to disk and renames it over the target (following a
    // symbolic link, keeping an existing file's permissions). When anything
    // fails the previous file is left as it was and the temporary removed.
    static void replace(const std::string& path, std::span<const std::uint8_t> data);
    static void replace(const std::string& path, const std::string& text);

    // Little-endian fields of the .mem records.
    static std::uint16_t le16(std::span<const std::uint8_t> b, std::size_t offset)
    {
        return static_cast<std::uint16_t>(b[offset] | b[offset + 1] << 8);
    }
    static void putLe16(std::vector<std::uint8_t>& b, std::size_t offset, std::uint32_t v)
    {
        b[offset] = static_cast<std::uint8_t>(v & 0xFF);
        b[offset + 1] = static_cast<std::uint8_t>(v >> 8 & 0xFF);
    }
};

} // namespace tp
