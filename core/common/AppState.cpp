#include "core/common/AppState.h"
#include "core/adapter/BusWorker.h"

namespace tp {

AppState::AppState(std::unique_ptr<Adapter> adapter) : m_adapter(std::move(adapter)) {}

void AppState::setAdapter(std::unique_ptr<Adapter> adapter)
{
    exchangeAdapter(std::move(adapter)).reset();
}

std::unique_ptr<Adapter> AppState::exchangeAdapter(std::unique_ptr<Adapter> adapter)
{
    // In turn with the bus work: an operation under way finishes on the
    // adapter it began with.
    onBus([&] { std::swap(m_adapter, adapter); });
    return adapter;
}

BusContext& AppState::context(const std::string& windowClass, std::uint8_t startAddress)
{
    auto [it, inserted] = m_contexts.try_emplace(windowClass);
    if (inserted)
        it->second.address[0] = startAddress;
    return it->second;
}

} // namespace tp
