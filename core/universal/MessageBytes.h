#pragma once
#include "core/adapter/I2cMessage.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tp::expert {

class MessageTable;

// The bytes of a Data text: entry k is the two hex characters at 3k.
// Throws InvalidNumber for an entry that is not hex.
std::vector<std::uint8_t> dataBytes(std::string_view data);

// Bytes as a Data text: "00,1F,FF".
std::string dataText(const std::vector<std::uint8_t>& bytes);

// The bus message of a row: a "Write" row writes its Data bytes, any other
// reads as many bytes as its Data holds; the address is the row's 8-bit
// address with the direction bit taken from R/W. Throws tp::Error for an
// address or byte that does not convert.
I2cMessage messageOfRow(const MessageTable& table, int row);

} // namespace tp::expert
