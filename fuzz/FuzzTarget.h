#pragma once
#include "core/memory/MemoryImage.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// One file reader's fuzz target. fuzz/fuzz_<name>.cpp defines fuzzOne()
// and fuzzSeeds(); the build does the rest:
//  - with libFuzzer (`make fuzz`), fuzz_<name> runs fuzzOne on generated
//    inputs, starting from fuzz/corpus/<name>;
//  - in the normal build, fuzz_<name>_replay runs it on every file of that
//    corpus as a test, and `--write-seeds DIR` writes fuzzSeeds() there.
// fuzzOne checks properties with FUZZ_CHECK; a failed check aborts, so
// libFuzzer keeps the input.

struct FuzzSeed {
    std::string name;
    std::vector<std::uint8_t> bytes;
};

void fuzzOne(std::span<const std::uint8_t> input);
std::vector<FuzzSeed> fuzzSeeds();

[[noreturn]] void fuzzFailed(const char* what, const char* file, int line);
#define FUZZ_CHECK(cond) ((cond) ? void(0) : fuzzFailed(#cond, __FILE__, __LINE__))

namespace fuzz {

inline std::string_view text(std::span<const std::uint8_t> b)
{
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}
inline std::vector<std::uint8_t> bytes(std::string_view s)
{
    return {s.begin(), s.end()};
}
// A seed: the selector byte a target reads first, then a file's bytes.
FuzzSeed seed(std::string name, std::uint8_t selector, std::span<const std::uint8_t> file);
FuzzSeed seed(std::string name, std::uint8_t selector, std::string_view file);

// Byte a = a * 7 + 3 (ASCII cells follow): what a reader must overwrite or
// leave alone.
tp::MemoryImage patterned(std::size_t size);
// Same hex texts and ASCII cells.
bool sameCells(const tp::MemoryImage& a, const tp::MemoryImage& b);

} // namespace fuzz
