#pragma once
#include "core/sim/Fault.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tp::sim {

// Faults as one line of text, the form the command line, the bench window
// and bench files share:
//
//   KIND[,address=A][,after=N][,count=N][,byte=N][,until-cleared]
//
// KIND is address-nack, data-nack, time-out, arbitration-lost, bus-stuck,
// adapter-removed or chip-removed (an address NACK until cleared). The
// address is read by `address`, so each user of the text keeps its own
// address form.
class FaultText {
public:
    using AddressParser = std::function<std::uint8_t(std::string_view)>;

    static constexpr const char* kHelp =
        "KIND[,address=A0][,after=N][,count=N][,byte=N][,until-cleared] with KIND one of address-nack, "
        "data-nack, time-out, arbitration-lost, bus-stuck, adapter-removed, chip-removed";

    // Throws std::invalid_argument naming what is wrong; an error the
    // address parser throws passes through.
    static Fault parse(std::string_view text, const AddressParser& address);
    // The text parse() reads back, with `address` writing the address.
    static std::string format(const Fault& fault, const std::function<std::string(std::uint8_t)>& address);
    // For people: "data NACK at byte 5, next 1 transaction at 0xA0".
    static std::string describe(const Fault& fault);
};

} // namespace tp::sim
