#pragma once
#include "core/sim/SerialMemoryChip.h"

#include <cstddef>
#include <string>

namespace tp::sim {

// A serial RAM or FRAM with 24xx addressing: each data byte is stored as it
// is acknowledged, the counter runs on over the whole memory, and there is no
// write cycle. Cells start at 0x00.
class SerialRamChip : public SerialMemoryChip {
public:
    explicit SerialRamChip(std::size_t size);
    // The bench's type name: "RAM " + size in decimal ("RAM 256").
    static std::string typeName(std::size_t size);

protected:
    std::size_t storeData(std::size_t address, std::uint8_t value) override;
};

} // namespace tp::sim
