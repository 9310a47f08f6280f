#pragma once
#include "core/sim/ChipModel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tp::sim {

// A chip with a pointer register: the first byte written selects a
// register, following bytes write from there, reads start there. With
// auto-increment the pointer moves on after every byte, wrapping at the end.
// Chips with other pointer rules override decodePointer() (which command
// bytes are acknowledged and which register they select) and nextPointer().
class RegisterChip : public ChipModel {
public:
    RegisterChip(std::string type, std::size_t registers, bool autoIncrement = true);

    std::string type() const override { return m_type; }
    bool start(std::uint8_t address, bool read) override;
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;

    std::uint8_t reg(std::size_t i) const { return m_regs.at(i); }
    void setReg(std::size_t i, std::uint8_t v) { m_regs.at(i) = v; }
    void setReadOnly(std::size_t i, bool ro = true) { m_readOnly.at(i) = ro; }
    std::uint8_t pointer() const { return m_pointer; }

protected:
    // Hooks for chips whose registers do more than hold a byte.
    virtual void storeRegister(std::size_t i, std::uint8_t v) { m_regs[i] = v; }
    virtual std::uint8_t loadRegister(std::size_t i) const { return m_regs[i]; }
    virtual std::uint8_t nextPointer(std::uint8_t p) const;
    // The register a command byte selects; false to not acknowledge it.
    // By default every register number is acknowledged, nothing else.
    virtual bool decodePointer(std::uint8_t command, std::uint8_t& pointer) const;

    std::vector<std::uint8_t> m_regs;

private:
    std::string m_type;
    std::vector<bool> m_readOnly;
    bool m_autoIncrement;
    std::uint8_t m_pointer = 0;
    bool m_expectPointer = false;
};

} // namespace tp::sim
