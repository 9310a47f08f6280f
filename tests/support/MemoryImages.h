#pragma once
#include "core/memory/MemoryImage.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <string>

// Images and helpers for the memory core tests.
namespace memtest {

// Byte a holds a * 7 + 3, except every row r with r % 5 == 3, which is all
// FF (rows an Intel HEX writer skips).
tp::MemoryImage patterned(std::size_t size);
// Every cell 5A ("Z"): what a load must overwrite or leave alone.
tp::MemoryImage sentinel(std::size_t size);
// Hex and ASCII cells of both images alike.
bool sameCells(const tp::MemoryImage& a, const tp::MemoryImage& b);
// Values and ASCII cells (by the display rule) of `image` are `bytes`.
bool holds(const tp::MemoryImage& image, const QByteArray& bytes, std::size_t first = 0);
QByteArray bytesOf(const tp::MemoryImage& image);

// The message of the tp::Error `f` throws, or "" when it throws none.
QString errorOf(const std::function<void()>& f);

QByteArray readFile(const std::string& path);
void writeFile(const std::string& path, const QByteArray& bytes);

// An Intel HEX record with its checksum, upper case, no line end.
QByteArray hexRecord(int address, int type, const QByteArray& data);

} // namespace memtest
