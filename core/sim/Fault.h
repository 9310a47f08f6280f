#pragma once
#include "core/common/Status.h"

#include <cstdint>
#include <optional>

namespace tp::sim {

// A fault the bench injects into coming transactions.
struct Fault {
    enum class Kind {
        AddressNack,     // the addressed chip does not acknowledge: status 1
        DataNack,        // data byte `byteIndex` of the transaction is not acknowledged: status 2
        TimeOut,         // the adapter gives up: status 8
        ArbitrationLost, // another master wins: status 7
        BusStuck,        // SCL/SDA held low: status 4
        AdapterRemoved,  // the adapter is gone: status 255 until cleared
    };
    Kind kind = Kind::AddressNack;
    std::optional<std::uint8_t> address; // 8-bit write address; none = any
    int byteIndex = 0;                   // DataNack: counted over all data bytes written
    int count = 1;                       // transactions it hits; negative = until cleared
    int after = 0;                       // transactions it lets pass first (those it would hit)
};

} // namespace tp::sim
