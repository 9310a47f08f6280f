// The raw image (.bin). Input: a selector byte (bits 0-3: the window's
// size, bit 4: a small window, which needs the whole image), then the file.
#include "core/common/Errors.h"
#include "core/memory/BinFile.h"
#include "fuzz/FuzzTarget.h"

#include <algorithm>

using namespace tp;

namespace {
constexpr std::size_t kSmall[] = {16, 128, 256, 512, 1024, 2048};
constexpr std::size_t kLarge[] = {4096, 8192, 16384, 32768, 65536};
} // namespace

void fuzzOne(std::span<const std::uint8_t> input)
{
    if (input.empty())
        return;
    const bool small = input[0] & 0x10;
    const std::size_t size =
        small ? kSmall[(input[0] & 0xF) % std::size(kSmall)] : kLarge[(input[0] & 0xF) % std::size(kLarge)];
    // As the reader gets it from the file: an empty file is an empty vector,
    // which may have no storage at all.
    const std::vector<std::uint8_t> file(input.begin() + 1, input.end());

    MemoryImage image = fuzz::patterned(size);
    const MemoryImage before = image;
    CellRange changed;
    try {
        changed = BinFile::decode(file, image, small);
    } catch (const FileError&) {
        FUZZ_CHECK(small && file.size() < size);
        FUZZ_CHECK(fuzz::sameCells(image, before));
        return;
    }
    const std::size_t take = std::min(file.size(), size);
    FUZZ_CHECK(changed == (CellRange{0, take}));
    for (std::size_t a = 0; a < size; ++a) {
        const std::uint8_t want = a < take ? file[a] : before.value(a);
        FUZZ_CHECK(image.value(a) == want);
        FUZZ_CHECK(image.asciiCell(a) == MemoryImage::asciiFor(want));
    }

    // The file is the image: written back it is the first S bytes read.
    const auto written = image.values();
    if (file.size() >= size)
        FUZZ_CHECK(std::equal(written.begin(), written.end(), file.begin()));
    MemoryImage again(size);
    BinFile::decode(written, again, small);
    FUZZ_CHECK(again.values() == written);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    return {
        fuzz::seed("small-16.bin", 0x10, fuzz::patterned(16).values()),
        fuzz::seed("small-256.bin", 0x12, fuzz::patterned(256).values()),
        fuzz::seed("large-4k.bin", 0x00, fuzz::patterned(4096).values()),
    };
}
