#pragma once
#include "core/sim/RegisterChip.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tp::sim {

// The register I/O expanders (PCA9534/35/36/37/38/39, PCA9554/54A/55/56/57).
// Per port an input register (read-only: a write is acknowledged and
// changes nothing), an output register, a polarity inversion register and
// a configuration register (1 = input). An input bit is the pin's level
// XOR its polarity bit. A pin configured as input shows the level the
// outside world gives it (high until a test pulls it low); an output pin
// drives its output bit, except an open-drain output, which only pulls
// low and otherwise shows the outside level.
//
// One-port chips: registers 0..3, selected by the command byte's two low
// bits. They have no auto-increment: the pointer stays, so a burst leaves
// its last byte in the register and a long read repeats the register.
// Two-port chips: registers 0..7 in pairs (input 0/1, output 2/3, polarity
// 4/5, configuration 6/7), selected by the three low bits; after every
// byte, written or read, the pointer moves to the other register of its
// pair. Four-pin chips read 1 in the input bits without a pin.
class IoExpanderChip : public RegisterChip {
public:
    struct Variant {
        std::string type;
        int ports = 1;
        int pins = 8; // per port
        std::uint8_t output = 0xFF;
        std::uint8_t polarity = 0x00;
        std::uint8_t config = 0xFF;
        std::uint8_t openDrain = 0x00; // pins with an open-drain output
    };

    // The datasheet values of a chip type; none for other types.
    static std::optional<Variant> variant(std::string_view type);
    // Every type variant() knows.
    static std::vector<std::string> types();

    explicit IoExpanderChip(const Variant& v);
    // A chip of a known type at its power-on values.
    explicit IoExpanderChip(std::string_view type);

    int ports() const { return m_variant.ports; }
    // Register numbers of port p's registers.
    std::size_t inputReg(int p) const { return static_cast<std::size_t>(p); }
    std::size_t outputReg(int p) const { return static_cast<std::size_t>(m_variant.ports + p); }
    std::size_t polarityReg(int p) const { return static_cast<std::size_t>(2 * m_variant.ports + p); }
    std::size_t configReg(int p) const { return static_cast<std::size_t>(3 * m_variant.ports + p); }

    // Levels the outside world puts on port p's pins; all high at start.
    void setExternal(int p, std::uint8_t levels) { m_external.at(static_cast<std::size_t>(p)) = levels; }
    std::uint8_t external(int p = 0) const { return m_external.at(static_cast<std::size_t>(p)); }
    // The levels of port p's pins.
    std::uint8_t pins(int p = 0) const;
    // What a read of port p's input register returns.
    std::uint8_t input(int p = 0) const;
    void saveState(ChipState& state) const override;
    void restoreState(const ChipState& state) override;

protected:
    std::uint8_t loadRegister(std::size_t i) const override;
    std::uint8_t nextPointer(std::uint8_t p) const override;
    bool decodePointer(std::uint8_t command, std::uint8_t& pointer) const override;

private:
    std::uint8_t pinMask() const;

    Variant m_variant;
    std::vector<std::uint8_t> m_external;
};

} // namespace tp::sim
