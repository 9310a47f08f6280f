#include "fuzz/FuzzTarget.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzzOne(std::span<const std::uint8_t>(data, size));
    return 0;
}
