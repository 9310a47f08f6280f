#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace tp {

// The four memory window classes; what differs between them in core.
enum class MemoryKind { SmallEeprom, SmallRam, LargeEeprom, LargeRam };

inline bool isLarge(MemoryKind k) { return k == MemoryKind::LargeEeprom || k == MemoryKind::LargeRam; }
inline bool isEeprom(MemoryKind k) { return k == MemoryKind::SmallEeprom || k == MemoryKind::LargeEeprom; }
// Digits of addresses in the range fields, the address label and messages.
inline int addressDigits(MemoryKind k) { return isLarge(k) ? 4 : 3; }

// What the Device menu entry of one memory size presets in its window.
struct MemoryLayout {
    std::size_t size = 0;
    std::string sizeCaption;  // "256 Byte (2048 bit)"; the window adds " EEPROM" or " RAM / FRAM"
    int digits = 0;           // maximum length of the range fields
    int copyEndDigits = 0;    // the copy-from-end field (4 in the 4 KB entries)
    std::string fillFrom, fillTo;
    std::string copyStart, copyEnd, targetStart, targetEnd;
    std::vector<std::string> addressChoices; // empty: the form's default list
    std::string addressLabel;                // starting text of the address label
    int eepromPageSize = 8;                  // "Page Size" preset of the EEPROM entry
};

// The layout of a catalogue size (16, 128, ..., 65536); throws
// std::invalid_argument for any other size.
const MemoryLayout& memoryLayout(std::size_t size);
// All catalogue sizes, smallest first.
const std::vector<std::size_t>& memorySizes();
bool isLargeSize(std::size_t size);

// Window caption: "256 Byte (2048 bit) EEPROM", "4096 Byte (32768 bit) RAM / FRAM".
std::string memoryCaption(std::size_t size, MemoryKind kind);

// "A0", "A2", ..., "AE".
const std::vector<std::string>& defaultAddressChoices();
// "Page Size" choices: "1" to "32" in small windows, to "256" in large.
const std::vector<std::string>& pageSizeChoices(MemoryKind kind);

// The page size a 24xx EEPROM of this size has in the usual datasheets:
// 24C00 1, 24C01/02 8, 24C04-16 16, 24C32/64 32, 24C128/256 64, 24C512 128.
std::size_t datasheetPageSize(std::size_t size);

} // namespace tp
