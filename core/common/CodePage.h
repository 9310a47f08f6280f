#pragma once
#include <string>
#include <string_view>

namespace tp {

// Text files are written in the 8-bit Windows code page 1252 (Latin-1 plus
// the typographic characters at 0x80..0x9F); the program's strings are UTF-8.

// Each byte becomes its character; the five bytes 1252 leaves undefined
// become the control characters of the same code, so nothing is lost.
std::string cp1252ToUtf8(std::string_view bytes);

// Characters the code page lacks, and bytes that are not UTF-8, become '?'.
std::string utf8ToCp1252(std::string_view utf8);

} // namespace tp
