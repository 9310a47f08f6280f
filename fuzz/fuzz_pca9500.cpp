// The PCA9500/PCA9501 record: the .mem file of that window. Input: the file.
#include "core/memory/FileBytes.h"
#include "core/memory/Pca9500File.h"
#include "fuzz/FuzzTarget.h"

#include <algorithm>

using namespace tp;

void fuzzOne(std::span<const std::uint8_t> input)
{
    // Never an error: a file that is not a whole record the window can show is refused.
    const std::optional<Pca9500Record> r = Pca9500File::decode(input);
    const auto& magic = Pca9500File::magic();
    const bool isRecord = input.size() >= Pca9500File::RecordSize &&
                          std::equal(magic.begin(), magic.end(), input.begin(),
                                     [](char m, std::uint8_t b) { return static_cast<std::uint8_t>(m) == b; }) &&
                          FileBytes::le16(input, 22) == 256 && FileBytes::le16(input, 18) <= 0xFF &&
                          FileBytes::le16(input, 20) <= Pca9500File::MaxWriteTimeMs &&
                          FileBytes::le16(input, 280) <= 0xFF && FileBytes::le16(input, 282) <= 0xFF;
    FUZZ_CHECK(r.has_value() == isRecord);
    if (!r)
        return;
    FUZZ_CHECK(std::equal(r->eeprom.begin(), r->eeprom.end(), input.begin() + Pca9500File::HeaderSize));

    // Addresses the window writes (bit 0 clear, one byte) and a port byte
    // come back as they were read.
    const auto written = Pca9500File::encode(*r);
    FUZZ_CHECK(written.size() == Pca9500File::RecordSize);
    const bool windowValues = r->eepromAddress < 256 && (r->eepromAddress & 1) == 0 && r->ioAddress < 256 &&
                              (r->ioAddress & 1) == 0 && r->port < 256;
    if (windowValues)
        FUZZ_CHECK(std::equal(written.begin(), written.end(), input.begin()));

    const auto back = Pca9500File::decode(written);
    FUZZ_CHECK(back.has_value());
    FUZZ_CHECK(Pca9500File::encode(*back) == written);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    Pca9500Record filled;
    for (std::size_t a = 0; a < filled.eeprom.size(); ++a)
        filled.eeprom[a] = static_cast<std::uint8_t>(a * 7 + 3);
    filled.eepromAddress = 0xB2;
    filled.ioAddress = 0x32;
    filled.port = 0x5A;
    filled.writeTimeMs = 200;
    const auto plain = Pca9500File::encode(Pca9500Record{});
    const auto full = Pca9500File::encode(filled);
    return {{"default.mem", plain}, {"filled.mem", full}};
}
