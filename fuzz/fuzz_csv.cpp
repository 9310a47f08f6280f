// Comma-separated values (.csv). Input: a selector byte (bits 0-3: the
// image's size, bit 4: the rest is an image's content to write rather
// than a file to read), then the file or the content.
#include "core/common/Errors.h"
#include "core/memory/CsvFile.h"
#include "fuzz/FuzzTarget.h"

#include <algorithm>

using namespace tp;

namespace {

constexpr std::size_t kSizes[] = {16, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768, 65536};

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// The writer's own form for an image of `rows` rows: R lines of 16
// two-digit values, commas, CR LF.
bool writerForm(std::string_view text, std::size_t rows)
{
    if (text.size() != rows * 49)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t k = i % 49;
        const char c = text[i];
        const bool ok = k == 47 ? c == '\r' : k == 48 ? c == '\n' : k % 3 == 2 ? c == ',' : isUpperHex(c);
        if (!ok)
            return false;
    }
    return true;
}

void checkWriteReadWrite(const MemoryImage& image)
{
    const std::string written = CsvFile::encode(image);
    MemoryImage again = fuzz::patterned(image.size());
    CsvFile::decode(written, again);
    FUZZ_CHECK(fuzz::sameCells(again, image));
    FUZZ_CHECK(CsvFile::encode(again) == written);
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
    try {
        CsvFile::decode(fuzz::text(rest), image);
    } catch (const InvalidNumber&) {
        FUZZ_CHECK(fuzz::sameCells(image, before));
        return;
    }
    // Every cell holds two digits again, and its ASCII cell follows it.
    FUZZ_CHECK(image.oddCellCount() == 0);
    for (std::size_t a = 0; a < size; ++a)
        FUZZ_CHECK(image.asciiCell(a) == MemoryImage::asciiFor(image.value(a)));
    if (writerForm(fuzz::text(rest), image.rows()))
        FUZZ_CHECK(CsvFile::encode(image) == fuzz::text(rest));
    checkWriteReadWrite(image);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    return {
        fuzz::seed("16.csv", 0, CsvFile::encode(fuzz::patterned(16))),
        fuzz::seed("256.csv", 2, CsvFile::encode(fuzz::patterned(256))),
        fuzz::seed("256-read-by-128.csv", 1, CsvFile::encode(fuzz::patterned(256))),
        fuzz::seed("content-16", 0x10, fuzz::patterned(16).values()),
    };
}
