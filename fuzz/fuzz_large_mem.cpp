// The large memory stream: the .mem file of the 4 KB to 64 KB windows.
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

constexpr std::size_t kSizes[] = {4096, 8192, 16384, 32768, 65536};

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
        r = MemFile::decodeLarge(file, image);
    } catch (const FileError&) {
        FUZZ_CHECK(fuzz::sameCells(image, before));
        return;
    }
    FUZZ_CHECK(file.size() >= MemFile::LargeHeaderSize);
    const std::uint32_t stored = FileBytes::le16(file, 22);
    FUZZ_CHECK(r.header.count == (stored == 0 ? 65536u : stored));
    FUZZ_CHECK(r.notice.has_value() == (r.header.count > size));
    const std::size_t take = std::min<std::size_t>(r.header.count, size);
    FUZZ_CHECK(r.changed == (CellRange{0, take}));
    for (std::size_t a = 0; a < size; ++a) {
        const std::uint8_t want = a < take ? file[MemFile::LargeHeaderSize + a] : before.value(a);
        FUZZ_CHECK(image.value(a) == want);
        FUZZ_CHECK(image.asciiCell(a) == MemoryImage::asciiFor(want));
    }

    // The leading field is free; from the address on, a stream of this
    // window's size and kind with an address the window can show writes
    // back as it was read.
    const MemSettings settings = settingsAfter(r.header, ram);
    const auto written = MemFile::encodeLarge(image, settings);
    const bool ownStream = r.header.count == size && file.size() >= written.size() &&
                           r.header.address < 256 && (r.header.address & 1) == 0 &&
                           (!ram || (r.header.pageSize == 0 && r.header.writeTimeMs == 0));
    if (ownStream)
        FUZZ_CHECK(std::equal(written.begin() + 18, written.end(), file.begin() + 18));

    MemoryImage again(size);
    const MemRead back = MemFile::decodeLarge(written, again);
    FUZZ_CHECK(!back.notice);
    FUZZ_CHECK(fuzz::sameCells(again, image));
    FUZZ_CHECK(MemFile::encodeLarge(again, settingsAfter(back.header, ram)) == written);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    return {
        fuzz::seed("eeprom-4k.mem", 0, MemFile::encodeLarge(fuzz::patterned(4096), {"A6", 32, 5})),
        fuzz::seed("ram-4k.mem", 8, MemFile::encodeLarge(fuzz::patterned(4096), {"AE", 0, 0})),
        // An 8 KB stream read by a 4 KB window: "Data file too large".
        fuzz::seed("eeprom-8k-into-4k.mem", 0, MemFile::encodeLarge(fuzz::patterned(8192), {"A0", 64, 10})),
    };
}
