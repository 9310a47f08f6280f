#include "core/bus/AdapterInfo.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"

#include <linux/i2c.h>

namespace tp::scan {

std::optional<int> linuxBusNumber(const Adapter& adapter)
{
    if (const auto* lx = dynamic_cast<const LinuxI2cAdapter*>(&adapter))
        return lx->bus().number;
    return std::nullopt;
}

Setup setupFor(const Adapter& adapter, Range range)
{
    Setup s;
    s.range = range;
    s.abilities.quickWrite = adapter.acceptsZeroLength();
    if (const auto* lx = dynamic_cast<const LinuxI2cAdapter*>(&adapter)) {
        s.abilities.readByte = lx->fullI2c() || (lx->functionality() & I2C_FUNC_SMBUS_READ_BYTE);
        s.pcSmbus = lx->bus().pcSmbus;
        const linuxi2c::Environment env = lx->environment();
        const int bus = lx->bus().number;
        s.claimedBy = [env, bus](std::uint8_t address7) { return linuxi2c::addressClaim(env, bus, address7).driver; };
    }
    return s;
}

} // namespace tp::scan
