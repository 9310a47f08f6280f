#include "core/universal/MessageBytes.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/universal/MessageEditing.h"
#include "core/universal/MessageTable.h"

namespace tp::expert {

std::vector<std::uint8_t> dataBytes(std::string_view data)
{
    std::vector<std::uint8_t> out;
    const int n = dataByteCount(data);
    out.reserve(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        out.push_back(static_cast<std::uint8_t>(hexToInt(data.substr(static_cast<std::size_t>(3 * k), 2))));
    return out;
}

std::string dataText(const std::vector<std::uint8_t>& bytes)
{
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += ',';
        out += byteText(bytes[i]);
    }
    return out;
}

I2cMessage messageOfRow(const MessageTable& table, int row)
{
    const std::string& addressText = table.cell(row, MessageTable::Address);
    const std::uint32_t address = hexToInt(addressText);
    if (address > 0xFF)
        throw Error("'" + addressText + "' is not a valid slave address");
    const std::string& data = table.cell(row, MessageTable::Data);
    if (table.cell(row, MessageTable::RW) == "Write")
        return I2cMessage::write(static_cast<std::uint8_t>(address), dataBytes(data));
    return I2cMessage::readBytes(static_cast<std::uint8_t>(address),
                                 static_cast<std::size_t>(dataByteCount(data)));
}

} // namespace tp::expert
