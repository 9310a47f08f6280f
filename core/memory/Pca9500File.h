#pragma once
#include "core/common/Status.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tp {

// What the PCA9500/PCA9501 window saves: its EEPROM image and settings.
struct Pca9500Record {
    std::uint16_t eepromAddress = 0xB0; // 8-bit write address
    std::uint16_t writeTimeMs = 10;
    std::array<std::uint8_t, 256> eeprom{};
    std::uint16_t ioAddress = 0x30;     // 8-bit write address
    std::uint16_t port = 0xFF;
    bool operator==(const Pca9500Record&) const = default;
};

// The PCA9500 record (.mem), exactly 284 bytes, little-endian.
class Pca9500File {
public:
    static constexpr std::size_t RecordSize = 284;
    static constexpr std::size_t HeaderSize = 24;
    static constexpr std::uint16_t MaxWriteTimeMs = 200;
    // 0xB0 "PTN3500" 0xB1 "datafile3".
    static const std::string& magic();

    // Addresses are stored with bit 0 cleared, the port as its low byte.
    static std::vector<std::uint8_t> encode(const Pca9500Record& record);
    // Replaces the file with exactly the record.
    static void write(const std::string& path, const Pca9500Record& record);

    // Nothing when the file is not a whole PCA9500 record: shorter than 284
    // bytes, another magic or size field, or a header value the window
    // cannot show (an address or port above 0xFF, a write time above
    // 200 ms). Bytes after the record are ignored.
    static std::optional<Pca9500Record> decode(std::span<const std::uint8_t> file);
    static std::optional<Pca9500Record> read(const std::string& path);

    // " Invalid Data File", white on red.
    static StatusMessage invalidFileMessage();
};

} // namespace tp
