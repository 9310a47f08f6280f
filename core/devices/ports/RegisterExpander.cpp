#include "core/devices/ports/RegisterExpander.h"
#include "core/common/HexText.h"

namespace tp::expander {

AddressChoices::AddressChoices(std::vector<AddressRange> ranges) : m_ranges(std::move(ranges)) {}

int AddressChoices::count() const
{
    int n = 0;
    for (const AddressRange& r : m_ranges)
        n += r.count;
    return n;
}

std::uint8_t AddressChoices::address(int item) const
{
    for (const AddressRange& r : m_ranges) {
        if (item < r.count)
            return static_cast<std::uint8_t>(r.first + 2 * item);
        item -= r.count;
    }
    return m_ranges.front().first;
}

int AddressChoices::itemOf(std::uint8_t address) const
{
    for (int i = 0; i < count(); ++i)
        if (this->address(i) == address)
            return i;
    return -1;
}

std::vector<std::string> AddressChoices::itemTexts() const
{
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i)
        out.push_back(addressText(address(i)));
    return out;
}

std::string AddressChoices::chipTypeAt(std::uint8_t address) const
{
    for (const AddressRange& r : m_ranges)
        if (address >= r.first && address < r.first + 2 * r.count && (address - r.first) % 2 == 0)
            return r.chipType;
    return m_ranges.front().chipType;
}

const AddressChoices& pca9554Addresses()
{
    static const AddressChoices c({{0x40, 8, kPca9554}, {0x70, 8, kPca9554A}, {0xE0, 4, kPca9538}});
    return c;
}

const AddressChoices& pca9536Addresses()
{
    static const AddressChoices c({{0x82, 1, kPca9536}, {0x92, 1, kPca9537}});
    return c;
}

const AddressChoices& pca9556Addresses()
{
    // The PCA9556 and PCA9557 share their addresses; the window meets the current part.
    static const AddressChoices c({{0x30, 8, kPca9557}});
    return c;
}

const AddressChoices& pca9555Addresses()
{
    static const AddressChoices c({{0x40, 8, kPca9555}, {0xE8, 4, kPca9539}});
    return c;
}

} // namespace tp::expander
