// Intel HEX (.hex). Input: a selector byte (bits 0-3: the image's size,
// bit 4: the rest is an image's content to write rather than a file to
// read), then the file or the content.
#include "core/memory/IntelHexFile.h"
#include "fuzz/FuzzTarget.h"

#include <algorithm>

using namespace tp;

namespace {

constexpr std::size_t kSizes[] = {16, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};

// The writer's text reads back as the same image and writes the same text.
void checkWriteReadWrite(const MemoryImage& image)
{
    const std::string written = IntelHexFile::encode(image, CellRead::Exact);
    MemoryImage again = fuzz::patterned(image.size());
    const HexRead r = IntelHexFile::load(written, again);
    FUZZ_CHECK(r.status == HexReadStatus::Ok);
    FUZZ_CHECK(again.values() == image.values());
    FUZZ_CHECK(IntelHexFile::encode(again, CellRead::Exact) == written);
}

} // namespace

void fuzzOne(std::span<const std::uint8_t> input)
{
    if (input.empty())
        return;
    const std::size_t size = kSizes[(input[0] & 0xF) % std::size(kSizes)];
    const auto rest = input.subspan(1);

    if (input[0] & 0x10) {
        MemoryImage image(size);
        image.display(0, rest.first(std::min(rest.size(), size)));
        checkWriteReadWrite(image);
        return;
    }

    MemoryImage image = fuzz::patterned(size);
    const MemoryImage before = image;
    const HexRead r = IntelHexFile::load(fuzz::text(rest), image);
    if (r.status != HexReadStatus::Ok) {
        FUZZ_CHECK(r.changed.empty());
        FUZZ_CHECK(fuzz::sameCells(image, before));
        return;
    }
    FUZZ_CHECK(r.changed == (CellRange{0, size}));
    // Something in the file was a record.
    FUZZ_CHECK(fuzz::text(rest).find(':') != std::string_view::npos);
    checkWriteReadWrite(image);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    MemoryImage sparse(4096);
    sparse.display(0x800, fuzz::patterned(256).values());
    return {
        fuzz::seed("256.hex", 2, IntelHexFile::encode(fuzz::patterned(256), CellRead::Exact)),
        fuzz::seed("2k-all-ff.hex", 5, IntelHexFile::encode(MemoryImage(2048), CellRead::Exact)),
        fuzz::seed("4k-sparse.hex", 6, IntelHexFile::encode(sparse, CellRead::Exact)),
        fuzz::seed("content-128", 0x11, fuzz::patterned(128).values()),
    };
}
