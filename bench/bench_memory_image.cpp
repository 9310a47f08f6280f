// The memory image at its largest size, 64 KB: every operation a window
// runs over the whole image, and each file format both ways (file I/O and
// the flush to disk included in Save/Load; Encode/Decode are the CPU part).
#include "core/memory/BlockCopy.h"
#include "core/memory/CsvFile.h"
#include "core/memory/IntelHexFile.h"
#include "core/memory/MemFile.h"
#include "core/memory/MemoryFill.h"
#include "core/memory/MemoryFiles.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/VerifyCompare.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <unistd.h>

using namespace tp;

namespace {

constexpr std::size_t kSize = 65536;

MemoryImage patterned()
{
    MemoryImage image(kSize);
    std::vector<std::uint8_t> bytes(kSize);
    for (std::size_t a = 0; a < kSize; ++a)
        bytes[a] = static_cast<std::uint8_t>(a * 7 + 3);
    image.display(0, bytes);
    return image;
}

std::string benchPath(const char* name)
{
    static const auto dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("tallyport-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return (dir / name).string();
}

void BM_Open(benchmark::State& state)
{
    for (auto _ : state) {
        MemoryImage image(kSize);
        benchmark::DoNotOptimize(image.asciiCell(kSize - 1));
    }
}
BENCHMARK(BM_Open)->Unit(benchmark::kMicrosecond);

void BM_FillAll(benchmark::State& state)
{
    MemoryImage image(kSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(MemoryFill::fill(image, "0", "FFFF", "A5").changed);
}
BENCHMARK(BM_FillAll)->Unit(benchmark::kMicrosecond);

// A fill value that is not two digits ("5") is kept as typed in every cell.
void BM_FillAllOddText(benchmark::State& state)
{
    for (auto _ : state) {
        MemoryImage image(kSize);
        benchmark::DoNotOptimize(MemoryFill::fill(image, "0", "FFFF", "5").changed);
    }
}
BENCHMARK(BM_FillAllOddText)->Unit(benchmark::kMicrosecond);

void BM_Checkerboard(benchmark::State& state)
{
    MemoryImage image(kSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(MemoryFill::checkerboard(image, false, true));
}
BENCHMARK(BM_Checkerboard)->Unit(benchmark::kMicrosecond);

void BM_Copy32K(benchmark::State& state)
{
    MemoryImage image = patterned();
    for (auto _ : state)
        benchmark::DoNotOptimize(BlockCopy::copy(image, {"0000", "7FFF", "8000", "FFFF"}).changed);
}
BENCHMARK(BM_Copy32K)->Unit(benchmark::kMicrosecond);

void BM_Copy32KOverlapping(benchmark::State& state)
{
    MemoryImage image = patterned();
    for (auto _ : state)
        benchmark::DoNotOptimize(BlockCopy::copy(image, {"0000", "7FFF", "0001", "8000"}).changed);
}
BENCHMARK(BM_Copy32KOverlapping)->Unit(benchmark::kMicrosecond);

// Verify compares the whole image in blocks of 256 bytes read from the chip.
void BM_VerifyCompare(benchmark::State& state)
{
    const MemoryImage image = patterned();
    const std::vector<std::uint8_t> chip = image.values();
    for (auto _ : state) {
        Status s = 0;
        for (std::size_t a = 0; a < kSize && s == 0; a += 256)
            s = VerifyCompare::compare(image, a, std::span(chip).subspan(a, 256)).status;
        benchmark::DoNotOptimize(s);
    }
}
BENCHMARK(BM_VerifyCompare)->Unit(benchmark::kMicrosecond);

// What a grid model asks when every cell is drawn once.
void BM_AllCellTexts(benchmark::State& state)
{
    const MemoryImage image = patterned();
    for (auto _ : state) {
        std::size_t n = 0;
        for (std::size_t a = 0; a < kSize; ++a)
            n += image.cellText(a).size() + static_cast<unsigned char>(image.asciiCell(a));
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_AllCellTexts)->Unit(benchmark::kMicrosecond);

void BM_Save(benchmark::State& state)
{
    const auto type = static_cast<FileType>(state.range(0));
    const MemoryImage image = patterned();
    const std::string file = benchPath("save");
    for (auto _ : state)
        MemoryFiles::save(MemoryKind::LargeEeprom, type, file, image, {"A0", 64, 10});
    state.SetLabel(MemoryFileTypes::extension(type));
}
BENCHMARK(BM_Save)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

void BM_Load(benchmark::State& state)
{
    const auto type = static_cast<FileType>(state.range(0));
    const std::string file = benchPath("load");
    MemoryFiles::save(MemoryKind::LargeEeprom, type, file, patterned(), {"A0", 64, 10});
    MemoryImage image(kSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(MemoryFiles::load(MemoryKind::LargeEeprom, type, file, image).changed);
    state.SetLabel(MemoryFileTypes::extension(type));
}
BENCHMARK(BM_Load)->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

void BM_EncodeHex(benchmark::State& state)
{
    const MemoryImage image = patterned();
    for (auto _ : state)
        benchmark::DoNotOptimize(IntelHexFile::encode(image, CellRead::TrimBlanks).size());
}
BENCHMARK(BM_EncodeHex)->Unit(benchmark::kMicrosecond);

void BM_DecodeHex(benchmark::State& state)
{
    const std::string text = IntelHexFile::encode(patterned(), CellRead::Exact);
    std::vector<std::uint8_t> bytes(kSize);
    for (auto _ : state) {
        std::fill(bytes.begin(), bytes.end(), 0xFF);
        benchmark::DoNotOptimize(IntelHexFile::decode(text, bytes));
    }
}
BENCHMARK(BM_DecodeHex)->Unit(benchmark::kMicrosecond);

void BM_EncodeCsv(benchmark::State& state)
{
    const MemoryImage image = patterned();
    for (auto _ : state)
        benchmark::DoNotOptimize(CsvFile::encode(image).size());
}
BENCHMARK(BM_EncodeCsv)->Unit(benchmark::kMicrosecond);

void BM_DecodeCsv(benchmark::State& state)
{
    const std::string text = CsvFile::encode(patterned());
    MemoryImage image(kSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(CsvFile::decode(text, image));
}
BENCHMARK(BM_DecodeCsv)->Unit(benchmark::kMicrosecond);

void BM_EncodeDecodeMem(benchmark::State& state)
{
    const MemoryImage image = patterned();
    MemoryImage back(kSize);
    for (auto _ : state) {
        const auto bytes = MemFile::encodeLarge(image, {"A0", 64, 10});
        benchmark::DoNotOptimize(MemFile::decodeLarge(bytes, back).changed);
    }
}
BENCHMARK(BM_EncodeDecodeMem)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
