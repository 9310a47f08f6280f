#pragma once
#include "core/adapter/Adapter.h"
#include "core/adapter/BusFrequency.h"
#include "core/common/BusContext.h"

#include <map>
#include <memory>
#include <string>

namespace tp {

// Program-level state that outlives every window: the adapter, the bus
// settings and each window class's bus context.
class AppState {
public:
    explicit AppState(std::unique_ptr<Adapter> adapter);

    Adapter& adapter() { return *m_adapter; }
    void setAdapter(std::unique_ptr<Adapter> adapter);

    // The context of a window class, created with `startAddress` (first
    // chip) on first use.
    BusContext& context(const std::string& windowClass, std::uint8_t startAddress = 0);
    bool hasContext(const std::string& windowClass) const { return m_contexts.count(windowClass) != 0; }

    BusFrequency busFrequency;
    bool power33 = false;
    bool power5 = false;

private:
    std::unique_ptr<Adapter> m_adapter;
    std::map<std::string, BusContext> m_contexts;
};

} // namespace tp
