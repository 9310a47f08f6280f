#include "core/sim/EepromChip.h"
#include "core/memory/MemoryKind.h"

#include <stdexcept>

namespace tp::sim {

EepromChip::Params EepromChip::typical(std::size_t size)
{
    Params p;
    p.size = size;
    p.pageSize = datasheetPageSize(size);
    p.writeCycleUs = 5000;
    return p;
}

std::string EepromChip::typeName(std::size_t size)
{
    return "EEPROM " + std::to_string(size);
}

EepromChip::EepromChip(Params params)
    : SerialMemoryChip(params.type.empty() ? typeName(params.size) : params.type, params.size, 0xFF),
      m_params(params)
{
    if (m_params.pageSize == 0 || m_params.size % m_params.pageSize != 0)
        throw std::invalid_argument("EEPROM page size must divide the memory size");
}

bool EepromChip::busy() const
{
    return clock() && !clock()->reached(m_busyUntil);
}

std::size_t EepromChip::storeData(std::size_t address, std::uint8_t value)
{
    m_pageBuffer[address] = value;
    const std::size_t page = address - address % m_params.pageSize;
    return page + (address + 1 - page) % m_params.pageSize;
}

void EepromChip::endWrite(bool byStop)
{
    if (m_pageBuffer.empty())
        return;
    if (byStop) {
        for (auto [address, value] : m_pageBuffer)
            m_mem[address] = value;
        ++m_cycles;
        if (clock())
            m_busyUntil = clock()->after(m_params.writeCycleUs * 1000);
    }
    m_pageBuffer.clear();
}

} // namespace tp::sim
