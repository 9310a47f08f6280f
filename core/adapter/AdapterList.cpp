#include "core/adapter/AdapterList.h"
#include "core/adapter/linux/I2cBuses.h"

namespace tp {

std::string adapterListText(const linuxi2c::Environment& env)
{
    std::string out = "bench\tsimulated \tSimulated bench                 \tTallyport's virtual bus\n";
    for (const linuxi2c::BusInfo& b : linuxi2c::listBuses(env))
        out += b.listLine() + "\n";
    return out;
}

} // namespace tp
