// The small memory record: the .mem file of the 16 B to 2 KB windows.
// Input: a selector byte (bits 0-2: the window's size, bit 3: RAM window),
// then the file.
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/memory/FileBytes.h"
#include "core/memory/MemFile.h"
#include "fuzz/FuzzTarget.h"

#include <algorithm>

using namespace tp;

namespace {

constexpr std::size_t kSizes[] = {16, 128, 256, 512, 1024, 2048};

// What the window's items hold after it applied a header: the EEPROM
// window takes page size and write time, the RAM window keeps 0 and 0.
MemSettings settingsAfter(const MemHeader& h, bool ram)
{
    MemSettings s;
    s.addressText = intToHex(h.address, 2);
    s.pageSize = ram ? 0 : h.pageSize;
    s.writeTimeMs = ram ? 0 : h.writeTimeMs;
    return s;
}

} // namespace

void fuzzOne(std::span<const std::uint8_t> input)
{
    if (input.empty())
        return;
    const std::size_t size = kSizes[(input[0] & 7) % std::size(kSizes)];
    const bool ram = input[0] & 8;
    const auto file = input.subspan(1);

    MemoryImage image = fuzz::patterned(size);
    const MemoryImage before = image;
    MemRead r;
    try {
        r = MemFile::decodeSmall(file, image);
    } catch (const FileError&) {
        FUZZ_CHECK(fuzz::sameCells(image, before)); // a refused file changes nothing
        return;
    }
    // The header as stored; the data bytes shown, the cells past them kept.
    FUZZ_CHECK(file.size() >= MemFile::SmallHeaderSize);
    FUZZ_CHECK(r.header.address == file[18]);
    FUZZ_CHECK(r.header.count == FileBytes::le16(file, 22));
    const std::size_t take = std::min<std::size_t>(r.header.count, size);
    for (std::size_t a = 0; a < size; ++a) {
        const std::uint8_t want = a < take ? file[MemFile::SmallHeaderSize + a] : before.value(a);
        FUZZ_CHECK(image.value(a) == want);
        FUZZ_CHECK(image.asciiCell(a) == MemoryImage::asciiFor(want));
    }

    // A record of this window's own size and kind writes back as it was read.
    const MemSettings settings = settingsAfter(r.header, ram);
    const auto written = MemFile::encodeSmall(image, settings);
    const bool ownRecord = r.header.count == size && file.size() >= written.size() &&
                           std::equal(written.begin(), written.begin() + 18, file.begin()) &&
                           file[19] != 0 && !ram;
    if (ownRecord)
        FUZZ_CHECK(std::equal(written.begin(), written.end(), file.begin()));

    // Write, read, write: the same bytes.
    MemoryImage again(size);
    const MemRead back = MemFile::decodeSmall(written, again);
    FUZZ_CHECK(fuzz::sameCells(again, image));
    FUZZ_CHECK(MemFile::encodeSmall(again, settingsAfter(back.header, ram)) == written);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    std::vector<FuzzSeed> seeds;
    const MemSettings eeprom{"A2", 16, 10};
    const MemSettings ram{"A4", 0, 0};
    for (std::uint8_t i = 0; i < std::size(kSizes); ++i) {
        if (kSizes[i] > 256 && kSizes[i] != 2048)
            continue;
        const MemoryImage image = fuzz::patterned(kSizes[i]);
        seeds.push_back(fuzz::seed("eeprom-" + std::to_string(kSizes[i]) + ".mem", i,
                                   MemFile::encodeSmall(image, eeprom)));
    }
    seeds.push_back(fuzz::seed("ram-128.mem", 1 | 8, MemFile::encodeSmall(fuzz::patterned(128), ram)));
    return seeds;
}
