#pragma once
#include "core/sim/SerialMemoryChip.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace tp::sim {

// A 24xx serial EEPROM (24C00 to 24C512). Data bytes of a write go into the
// page buffer; the counter wraps within the page, so bytes past the page end
// overwrite its start. The stop that ends a write with data starts the write
// cycle, during which the chip acknowledges no address; a repeated start
// instead discards the buffered bytes. Erased cells read 0xFF. The write
// cycle runs on the bench's clock, modelled and wall time both (whichever
// runs it out first ends it); a chip on no bench has none.
class EepromChip : public SerialMemoryChip {
public:
    struct Params {
        std::size_t size = 256;
        std::size_t pageSize = 8;
        std::uint64_t writeCycleUs = 5000;
        std::string type; // the bench's name for the chip; empty: typeName(size)
    };
    // Page sizes of the usual datasheets for a size, 5 ms write cycle.
    static Params typical(std::size_t size);
    // The bench's type name: "EEPROM " + size in decimal ("EEPROM 2048").
    static std::string typeName(std::size_t size);

    explicit EepromChip(Params params);

    const Params& params() const { return m_params; }
    void setWriteCycleUs(std::uint64_t us) { m_params.writeCycleUs = us; }
    // Completed write cycles since the chip was made.
    std::size_t writeCycles() const { return m_cycles; }
    bool inWriteCycle() const { return busy(); }

protected:
    bool busy() const override;
    std::size_t storeData(std::size_t address, std::uint8_t value) override;
    void endWrite(bool byStop) override;

private:
    Params m_params;
    std::map<std::size_t, std::uint8_t> m_pageBuffer;
    SimClock::Deadline m_busyUntil;
    std::size_t m_cycles = 0;
};

} // namespace tp::sim
