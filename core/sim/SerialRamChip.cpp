#include "core/sim/SerialRamChip.h"

namespace tp::sim {

SerialRamChip::SerialRamChip(std::size_t size) : SerialMemoryChip(typeName(size), size, 0x00) {}

std::string SerialRamChip::typeName(std::size_t size)
{
    return "RAM " + std::to_string(size);
}

std::size_t SerialRamChip::storeData(std::size_t address, std::uint8_t value)
{
    m_mem[address] = value;
    return address + 1;
}

} // namespace tp::sim
