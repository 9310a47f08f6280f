#include "core/adapter/WriteGuard.h"
#include "core/common/HexText.h"

namespace tp {

bool WriteGuard::allow(std::span<const I2cMessage> messages, const std::function<std::string(std::uint8_t)>& driverOf,
                       bool pcSmbus, const std::string& busLabel, const std::string& where, std::string* refusal)
{
    // The adapter decides what counts as a read (Adapter::onlyReads).
    if (!m_approve)
        return true;
    for (const I2cMessage& m : messages) {
        if (m.read)
            continue;
        const std::uint8_t address = m.address & 0xFE;
        const std::string driver = driverOf(address);
        const bool askClaim = !driver.empty() && !m_approvedAddresses.count(address);
        const bool askPc = pcSmbus && !m_smbusWritesApproved;
        if (!askClaim && !askPc)
            continue;
        WriteCheck check;
        check.address = address;
        check.driver = askClaim ? driver : std::string();
        check.pcSmbus = askPc;
        check.busLabel = busLabel;
        if (!m_approve(check)) {
            if (askClaim)
                *refusal = "Not sent: the kernel driver " + driver + " has claimed 0x" + intToHex(address, 2) +
                           " (7-bit 0x" + intToHex(address >> 1, 2) + ") on " + where;
            else
                *refusal = "Not sent: writing on the PC's SMBus (" + where + ") was not confirmed";
            return false;
        }
        m_smbusWritesApproved = m_smbusWritesApproved || askPc;
        if (askClaim)
            m_approvedAddresses.insert(address);
    }
    return true;
}

} // namespace tp
