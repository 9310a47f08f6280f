#include "core/universal/UserDevice.h"
#include "core/common/HexExit.h"
#include "core/common/HexText.h"

namespace tp::userdev {

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::string completeValueText(std::string_view text)
{
    const std::string_view t = trimmed(text);
    if (t.empty())
        return "FF";
    return upperCaseText(t.size() == 1 ? "0" + std::string(t) : std::string(t));
}

std::optional<std::string> checkedValueText(std::string_view text)
{
    const std::string_view t = trimmed(text);
    if (t.size() > 2)
        return std::nullopt;
    for (char c : t)
        if (!isHexDigit(c))
            return std::nullopt;
    return completeValueText(t);
}

UserDevice::UserDevice()
{
    reset();
}

void UserDevice::reset(std::string caption)
{
    m_name = std::move(caption);
    m_address = kStartAddress;
    m_maxRegister = kRegisterCount - 1;
    m_values.fill("FF");
    m_names.fill(kUndefinedRegister);
    m_shade = Shade::Plain;
    m_encoding = FileEncoding::Cp1252;
    m_modified = false;
    m_currentFile.clear();
}

std::uint8_t UserDevice::value(int index) const
{
    return static_cast<std::uint8_t>(hexToInt(valueText(index)));
}

void UserDevice::setValueText(int index, std::string_view text)
{
    m_values.at(static_cast<std::size_t>(index)) = completeValueText(text);
}

void UserDevice::setValue(int index, std::uint8_t value)
{
    m_values.at(static_cast<std::size_t>(index)) = byteText(value);
}

std::string UserDevice::panelText(int index) const
{
    if (!isDefined(index))
        return kInvalidSelection;
    return "0x" + intToHex(static_cast<std::uint64_t>(index), 2) + ": " + registerName(index);
}

void UserDevice::define(const Definition& d, Shade shade)
{
    m_name = d.name;
    if (d.address)
        setAddress(*d.address);
    m_maxRegister = d.maxRegister < 0                 ? 0
                    : d.maxRegister >= kRegisterCount ? kRegisterCount - 1
                                                      : d.maxRegister;
    for (int i = 0; i < kRegisterCount; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (i <= m_maxRegister) {
            m_values[k] = completeValueText(d.values[k]);
            m_names[k] = d.names[k];
        } else {
            m_values[k].clear();
            m_names[k] = kUndefinedRegister;
        }
    }
    m_shade = shade;
    m_encoding = d.encoding;
}

Definition UserDevice::definition() const
{
    Definition d;
    d.name = m_name;
    d.address = m_address;
    d.maxRegister = m_maxRegister;
    d.values = m_values;
    d.names = m_names;
    d.encoding = m_encoding;
    return d;
}

} // namespace tp::userdev
