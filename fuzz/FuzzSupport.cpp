#include "fuzz/FuzzTarget.h"

#include <cstdio>
#include <cstdlib>

void fuzzFailed(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, what);
    std::abort();
}

namespace fuzz {

FuzzSeed seed(std::string name, std::uint8_t selector, std::span<const std::uint8_t> file)
{
    FuzzSeed s{std::move(name), {selector}};
    s.bytes.insert(s.bytes.end(), file.begin(), file.end());
    return s;
}

FuzzSeed seed(std::string name, std::uint8_t selector, std::string_view file)
{
    return seed(std::move(name), selector, bytes(file));
}

tp::MemoryImage patterned(std::size_t size)
{
    tp::MemoryImage image(size);
    std::vector<std::uint8_t> b(size);
    for (std::size_t a = 0; a < size; ++a)
        b[a] = static_cast<std::uint8_t>(a * 7 + 3);
    image.display(0, b);
    return image;
}

bool sameCells(const tp::MemoryImage& a, const tp::MemoryImage& b)
{
    if (a.size() != b.size() || a.oddCellCount() != b.oddCellCount())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a.asciiCell(i) != b.asciiCell(i))
            return false;
        if (a.isPlain(i) != b.isPlain(i) || (a.isPlain(i) ? a.value(i) != b.value(i) : a.cellText(i) != b.cellText(i)))
            return false;
    }
    return true;
}

} // namespace fuzz
