#pragma once
#include "core/adapter/Adapter.h"
#include "core/adapter/BusFrequency.h"
#include "core/common/BusContext.h"

#include <map>
#include <memory>
#include <string>
#include <typeindex>

namespace tp {

// Program-level state that outlives every window: the adapter, the bus
// settings and each window class's bus context.
class AppState {
public:
    explicit AppState(std::unique_ptr<Adapter> adapter);

    Adapter& adapter() { return *m_adapter; }
    void setAdapter(std::unique_ptr<Adapter> adapter);
    // Puts `adapter` in place and hands the one it replaces back, for a
    // caller that keeps it (the bench with its chips) or lets it go later.
    [[nodiscard]] std::unique_ptr<Adapter> exchangeAdapter(std::unique_ptr<Adapter> adapter);

    // The context of a window class, created with `startAddress` (first
    // chip) on first use.
    BusContext& context(const std::string& windowClass, std::uint8_t startAddress = 0);
    bool hasContext(const std::string& windowClass) const { return m_contexts.count(windowClass) != 0; }

    // Data a module keeps for as long as the program runs (a row clipboard,
    // an image), made on first use; one object per type.
    template <class T> T& programData()
    {
        std::shared_ptr<void>& slot = m_programData[std::type_index(typeid(T))];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }

    BusFrequency busFrequency;
    bool power33 = false;
    bool power5 = false;

private:
    std::unique_ptr<Adapter> m_adapter;
    std::map<std::string, BusContext> m_contexts;
    std::map<std::type_index, std::shared_ptr<void>> m_programData;
};

} // namespace tp
