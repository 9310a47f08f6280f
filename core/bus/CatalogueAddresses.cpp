#include "core/bus/CatalogueAddresses.h"

#include <algorithm>

namespace tp::scan {

bool EntryAddresses::holds(std::uint8_t address8) const
{
    return std::find(addresses.begin(), addresses.end(), static_cast<std::uint8_t>(address8 & 0xFE)) !=
           addresses.end();
}

namespace {

// `count` 8-bit addresses from `first` in steps of `step`.
std::vector<std::uint8_t> run(int first, int count, int step = 2)
{
    std::vector<std::uint8_t> v;
    for (int i = 0; i < count; ++i)
        v.push_back(static_cast<std::uint8_t>(first + i * step));
    return v;
}

std::vector<std::uint8_t> join(std::vector<std::uint8_t> a, const std::vector<std::uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<EntryAddresses> build()
{
    const std::string EE = "EEPROM", IO = "IO Expanders", LED = "LED Blinkers and Dimmers",
                      MUX = "Multiplexers/Switches", NV = "Non-volatile Registers", RAM = "RAM / FRAM",
                      TH = "Thermal Management";
    // Memories: block-select bits take address pins from 512 bytes to 2 KB.
    const auto all8 = run(0xA0, 8);
    const auto memory = [&](const std::string& submenu, const char* caption, const char* size, int bytes) {
        std::vector<std::uint8_t> a = bytes == 512 ? run(0xA0, 4, 4) : bytes == 1024 ? run(0xA0, 2, 8)
                                      : bytes == 2048 ? run(0xA0, 1) : all8;
        return EntryAddresses{submenu, caption, (submenu == EE ? "EEPROM " : "RAM ") + std::string(size), a};
    };
    return {
        memory(EE, "16 x 8 (128 bit)", "16 B", 16),
        memory(EE, "128 x 8 (1K bit)", "128 B", 128),
        memory(EE, "256 x 8 (2K bit)", "256 B", 256),
        memory(EE, "512 x 8 (4K bit)", "512 B", 512),
        memory(EE, "1K x 8 (8K bit)", "1 KB", 1024),
        memory(EE, "2K x 8 (16K bit)", "2 KB", 2048),
        memory(EE, "4K x 8 (32K bit)", "4 KB", 4096),
        memory(EE, "8K x 8 (64K bit)", "8 KB", 8192),
        memory(EE, "16K x 8 (128K bit)", "16 KB", 16384),
        memory(EE, "32K x 8 (256K bit)", "32 KB", 32768),
        memory(EE, "64K x 8 (512K bit)", "64 KB", 65536),
        // PCA9500: port 0100 A2 A1 A0, EEPROM 1010 A2 A1 A0; PCA9501: six pins, 0 A5..A0 and 1 A5..A0.
        {IO, "PCA9500  8-bit I/O Port with 2K EE", "PCA9500", join(run(0x40, 8), all8)},
        {IO, "PCA9501  8-bit I/O Port with 2K EE", "PCA9501", run(0x00, 128)},
        {IO, "PCA9534  8-bit I/O Expander", "PCA9534", run(0x40, 8)},
        {IO, "PCA9535  16-bit I/O Expander", "PCA9535", run(0x40, 8)},
        {IO, "PCA9536 4-bit I/O Expander", "PCA9536", {0x82}},
        {IO, "PCA9537  4-bit I/O Expander", "PCA9537", {0x92}},
        {IO, "PCA9538  8-bit I/O Expander", "PCA9538", run(0xE0, 4)},
        {IO, "PCA9539  16-bit I/O Expander", "PCA9539", run(0xE8, 4)},
        {IO, "PCA9554  8-bit I/O Expander", "PCA9554", run(0x40, 8)},
        {IO, "PCA9554A  8-bit I/O Expander", "PCA9554A", run(0x70, 8)},
        {IO, "PCA9555  16-bit I/O Expander", "PCA9555", run(0x40, 8)},
        {IO, "PCA9556  8-bit I/O Expander", "PCA9556", run(0x30, 8)},
        {IO, "PCA9557  8-bit I/O Expander", "PCA9557", run(0x30, 8)},
        {IO, "PCF8574  8-bit I/O Expander", "PCF8574", run(0x40, 8)},
        {IO, "PCF8574A  8-bit I/O Expander", "PCF8574A", run(0x70, 8)},
        {IO, "PCF8575    16-bit I/O Expander", "PCF8575", run(0x40, 8)},
        {LED, "PCA9530 2-bit LED Dimmer", "PCA9530", run(0xC0, 2)},
        {LED, "PCA9531 8-bit LED Dimmer", "PCA9531", run(0xC0, 8)},
        {LED, "PCA9532 16-bit LED Dimmer", "PCA9532", run(0xC0, 8)},
        {LED, "PCA9533 4-bit LED Dimmer", "PCA9533", run(0xC4, 2)},
        {LED, "PCA9550 2-bit LED Blinker", "PCA9550", run(0xC0, 2)},
        {LED, "PCA9551 8-bit LED Blinker", "PCA9551", run(0xC0, 8)},
        {LED, "PCA9552 16-bit LED Blinker", "PCA9552", run(0xC0, 8)},
        {LED, "PCA9553 4-bit LED Blinker", "PCA9553", run(0xC4, 2)},
        {LED, "SAA1064 LED Driver", "SAA1064", run(0x70, 4)},
        {"Master Selector (2-to-1 demux)", "PCA9541", "PCA9541", run(0xE0, 16)},
        {MUX, "PCA9540B  2-Channel Multiplexer", "PCA9540B", {0xE0}},
        {MUX, "PCA9542A  2-Channel Multiplexer with Interrupt Logic", "PCA9542A", run(0xE0, 8)},
        {MUX, "PCA9543A  2-Channel Switch with Interrupt Logic", "PCA9543A", run(0xE0, 4)},
        {MUX, "PCA9544A  4-Channel Multiplexer with Interrupt Logic", "PCA9544A", run(0xE0, 8)},
        {MUX, "PCA9545A  4-Channel Switch with Interrupt Logic", "PCA9545A", run(0xE0, 4)},
        {MUX, "PCA9546A  4-Channel Switch", "PCA9546A", run(0xE0, 8)},
        {MUX, "PCA9548A 8-Channel Switch", "PCA9548A", run(0xE0, 8)},
        {NV, "PCA8550  4-bit Multiplexed/1-Bit Latched 5-Bit", "PCA8550", {0x9C}},
        {NV, "PCA9559  5-bit Multiplexed/1-Bit Latched 6-Bit", "PCA9559", run(0x98, 4)},
        {NV, "PCA9560  Dual 5-bit Multiplexed 1-Bit Latched", "PCA9560", run(0x98, 4)},
        {NV, "PCA9561  Quad 6-bit Multiplexed", "PCA9561", run(0x98, 4)},
        memory(RAM, "16 x 8 (128 bit)", "16 B", 16),
        memory(RAM, "128 x 8 (1K bit)", "128 B", 128),
        memory(RAM, "256 x 8 (2K bit)", "256 B", 256),
        memory(RAM, "512 x 8 (4K bit)", "512 B", 512),
        memory(RAM, "1K x 8 (8K bit)", "1 KB", 1024),
        memory(RAM, "2K x 8 (16K bit)", "2 KB", 2048),
        memory(RAM, "8K x 8 (64K bit)", "8 KB", 8192),
        memory(RAM, "4K x 8 (32K bit)", "4 KB", 4096),
        memory(RAM, "16K x 8 (128K bit)", "16 KB", 16384),
        memory(RAM, "32K x 8 (256K bit)", "32 KB", 32768),
        memory(RAM, "64K x 8 (512K bit)", "64 KB", 65536),
        {"Real Time Clocks", "PCF8563", "PCF8563", {0xA2}},
        {TH, "LM75A  Digital Temperature Sensor", "LM75A", run(0x90, 8)},
        {TH, "NE1617(A)  Temperature monitor", "NE1617A", {0x30, 0x32, 0x34, 0x52, 0x54, 0x56, 0x98, 0x9A, 0x9C}},
        {TH, "SA56004 1\u00B0C Digital Temperature Sensor", "SA56004", run(0x90, 8)},
        {TH, "SE98 SO-DIMM Temperature Sensor", "SE98", run(0x30, 8)},
    };
}

} // namespace

const std::vector<EntryAddresses>& catalogueAddresses()
{
    static const std::vector<EntryAddresses> table = build();
    return table;
}

std::vector<const EntryAddresses*> entriesAt(std::uint8_t address7)
{
    std::vector<const EntryAddresses*> out;
    const auto address8 = static_cast<std::uint8_t>((address7 & 0x7F) << 1);
    for (const EntryAddresses& e : catalogueAddresses())
        if (e.holds(address8))
            out.push_back(&e);
    return out;
}

} // namespace tp::scan
