#include "tests/support/MemoryImages.h"
#include "core/common/Errors.h"

#include <QFile>

namespace memtest {

tp::MemoryImage patterned(std::size_t size)
{
    tp::MemoryImage image(size);
    std::vector<std::uint8_t> bytes(size);
    for (std::size_t a = 0; a < size; ++a)
        bytes[a] = (a / 16) % 5 == 3 ? 0xFF : static_cast<std::uint8_t>(a * 7 + 3);
    image.display(0, bytes);
    return image;
}

tp::MemoryImage sentinel(std::size_t size)
{
    tp::MemoryImage image(size);
    image.fillBytes(0, size, 0x5A, true);
    return image;
}

bool sameCells(const tp::MemoryImage& a, const tp::MemoryImage& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a.cellText(i) != b.cellText(i) || a.asciiCell(i) != b.asciiCell(i))
            return false;
    return true;
}

bool holds(const tp::MemoryImage& image, const QByteArray& bytes, std::size_t first)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const std::size_t a = first + static_cast<std::size_t>(i);
        const auto b = static_cast<std::uint8_t>(bytes[i]);
        if (!image.isPlain(a) || image.value(a) != b || image.asciiCell(a) != tp::MemoryImage::asciiFor(b))
            return false;
    }
    return true;
}

QByteArray bytesOf(const tp::MemoryImage& image)
{
    const auto v = image.values();
    return QByteArray(reinterpret_cast<const char*>(v.data()), static_cast<qsizetype>(v.size()));
}

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const tp::Error& e) {
        return QString::fromUtf8(e.what());
    }
    return {};
}

QByteArray readFile(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFile(const std::string& path, const QByteArray& bytes)
{
    QFile f(QString::fromStdString(path));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray hexRecord(int address, int type, const QByteArray& data)
{
    QByteArray raw;
    raw.append(static_cast<char>(data.size()));
    raw.append(static_cast<char>(address >> 8 & 0xFF));
    raw.append(static_cast<char>(address & 0xFF));
    raw.append(static_cast<char>(type));
    raw.append(data);
    std::uint8_t sum = 0;
    for (char c : raw)
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    raw.append(static_cast<char>(-sum));
    return ":" + raw.toHex().toUpper();
}

} // namespace memtest
