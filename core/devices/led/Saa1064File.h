#pragma once
#include "core/devices/led/Saa1064.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tp::saa1064 {

// The SAA1064 data file: one 21-byte record, "SAA1064datafile" (no
// terminator), the slave address, the control register, digits 1 to 4.
struct Record {
    std::uint8_t address = 0x70;
    Registers registers;
    bool operator==(const Record&) const = default;
};

class DataFile {
public:
    static constexpr std::size_t kRecordSize = 21;
    static constexpr std::size_t kHeaderSize = 18; // magic, address, control
    static const std::string& magic();

    static std::vector<std::uint8_t> encode(const Record& record);
    // Replaces the file with exactly the record (a temporary file renamed
    // over it, so a failure leaves the old file whole).
    static void write(const std::string& path, const Record& record);

    // Nothing when the bytes are not a data file (wrong magic). Throws
    // FileError("Read beyond end of file") for a file shorter than its
    // header or, with the right magic, than the record. Bytes after the
    // record are ignored. The address is taken as it stands: check it with
    // addressIndex().
    static std::optional<Record> decode(std::span<const std::uint8_t> file);
    static std::optional<Record> read(const std::string& path);
};

} // namespace tp::saa1064
