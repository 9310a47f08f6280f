#include "core/memory/BlockCopy.h"
#include "core/common/HexText.h"

#include <vector>

namespace tp {

namespace {

std::string wrapHex(std::int64_t v, int digits)
{
    return intToHex(static_cast<std::uint32_t>(v), digits);
}

Notice maximumAddress(std::size_t size, int digits)
{
    std::string text = "Maximum address = ";
    text += intToHex(size - 1, digits);
    return {Notice::Kind::Message, text};
}

// An end or target beyond the image becomes its last address, with the message.
std::int64_t keepInImage(std::int64_t v, std::size_t size, int digits, CopyFieldUpdate& u)
{
    const auto last = static_cast<std::int64_t>(size) - 1;
    if (v <= last)
        return v;
    u.notice = maximumAddress(size, digits);
    u.fieldText = intToHex(static_cast<std::uint64_t>(last), digits);
    return last;
}

} // namespace

CopyFieldUpdate BlockCopy::startChanged(const CopyFields& f, std::size_t size, int digits)
{
    CopyFieldUpdate u;
    if (f.start.empty())
        return u;
    std::int64_t s = hexToInt(f.start);
    const std::int64_t end = hexToInt(f.end);
    const std::int64_t target = hexToInt(f.target);
    if (s > static_cast<std::int64_t>(size) - 1) {
        u.notice = maximumAddress(size, digits);
        u.fieldText = std::string(1, '0');
        s = 0;
    }
    u.targetEndText = wrapHex(end + target - s, digits);
    return u;
}

CopyFieldUpdate BlockCopy::endChanged(const CopyFields& f, std::size_t size, int digits)
{
    CopyFieldUpdate u;
    if (f.end.empty())
        return u;
    std::int64_t e = hexToInt(f.end);
    const std::int64_t target = hexToInt(f.target);
    const std::int64_t start = hexToInt(f.start);
    e = keepInImage(e, size, digits, u);
    u.targetEndText = wrapHex(e + target - start, digits);
    return u;
}

CopyFieldUpdate BlockCopy::targetChanged(const CopyFields& f, std::size_t size, int digits)
{
    CopyFieldUpdate u;
    std::int64_t t = f.target.empty() ? 0 : hexToInt(f.target);
    const std::int64_t end = hexToInt(f.end);
    const std::int64_t start = hexToInt(f.start);
    t = keepInImage(t, size, digits, u);
    u.targetEndText = wrapHex(end + t - start, digits);
    return u;
}

std::string BlockCopy::startExit(std::string_view text, int digits)
{
    return intToHex(hexToInt(text), digits);
}

CopyFieldExit BlockCopy::endExit(const CopyFields& f)
{
    const std::uint64_t e = hexToInt(f.end);
    const std::uint64_t s = hexToInt(f.start);
    if (e < s)
        return {Notice{Notice::Kind::Warning, "End of Block must be greater than beginning of block"},
                intToHex(s + 1, 3)};
    return {std::nullopt, intToHex(e, 3)};
}

CopyResult BlockCopy::copy(MemoryImage& image, const CopyFields& f)
{
    const std::uint64_t s = hexToInt(f.start);
    const std::uint64_t e = hexToInt(f.end);
    const std::uint64_t t = hexToInt(f.target);
    const std::uint64_t te = hexToInt(f.targetEnd);
    const std::uint64_t last = image.size() - 1;
    CopyResult r;
    if (e < s) {
        r.notice = Notice{Notice::Kind::Warning,
                          "Copy From \"Starting Address\" must be less than Copy From \"Ending Address\""};
        return r;
    }
    // The computed end and the source are checked as well: fields edited
    // out of step must not carry the copy past the image.
    if (te > last || e > last || t + (e - s) > last) {
        r.notice = Notice{Notice::Kind::Warning,
                          "Copied block extends beyond the maximum EEPROM address.\r"
                          "Ending address must be less than 0x" +
                              intToHex(last, 3)};
        return r;
    }
    const std::size_t count = e - s + 1;
    if (!image.hasOddCells(s, count)) {
        std::vector<std::uint8_t> staged(count);
        image.readValues(s, staged);
        r.changed = image.display(t, staged);
        return r;
    }
    // Odd cells: stage the first two characters of each text as the cells
    // hold them, and read them all before writing.
    std::vector<std::string> staged(count);
    std::vector<char> ascii(count);
    for (std::size_t k = 0; k < count; ++k)
        staged[k] = image.cellText(s + k).substr(0, 2);
    for (std::size_t k = 0; k < count; ++k)
        ascii[k] = MemoryImage::asciiFor(hexToInt(staged[k]));
    for (std::size_t k = 0; k < count; ++k) {
        image.setCellText(t + k, staged[k]);
        image.setAsciiCell(t + k, ascii[k]);
    }
    r.changed = {t, t + count};
    return r;
}

} // namespace tp
