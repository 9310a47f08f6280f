#pragma once
#include "core/adapter/I2cMessage.h"

#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <string>

namespace tp {

// A write that needs the user's word first: to an address a kernel driver
// has claimed, or the first one on a PC's SMBus.
struct WriteCheck {
    std::uint8_t address = 0; // 8-bit
    std::string driver;       // the claiming driver, empty when none
    bool pcSmbus = false;     // the first write on a PC SMBus controller
    std::string busLabel;
};

// Asks before such writes, once per address and once per bus: a yes holds
// while the adapter stays open. Without an approval function every write
// goes out.
class WriteGuard {
public:
    void setApproval(std::function<bool(const WriteCheck&)> approve) { m_approve = std::move(approve); }
    bool asks() const { return bool(m_approve); }

    // Whether the transaction may go out. `driverOf` names the driver that
    // holds an 8-bit address (empty: none); `where` names the bus in the
    // refusal ("i2c-3"), which goes to `refusal` when the user said no.
    bool allow(std::span<const I2cMessage> messages, const std::function<std::string(std::uint8_t)>& driverOf,
               bool pcSmbus, const std::string& busLabel, const std::string& where, std::string* refusal);

private:
    std::function<bool(const WriteCheck&)> m_approve;
    std::set<std::uint8_t> m_approvedAddresses;
    bool m_smbusWritesApproved = false;
};

} // namespace tp
