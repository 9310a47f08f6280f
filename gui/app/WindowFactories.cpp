#include "gui/app/WindowFactories.h"
#include "gui/app/Catalogue.h"
#include "gui/memory/Eeprom.h"
#include "gui/memory/LargeRAM.h"
#include "gui/memory/PTN3500.h"
#include "gui/memory/SmallEE.h"
#include "gui/memory/SmallRAM.h"
#include "gui/devices/ports/Pcf8574.h"
#include "gui/devices/ports/Pcf8575.h"
#include "gui/devices/rtc/PCF8563.h"
#include "gui/universal/Universal_III.h"

namespace {

WindowFactories build()
{
    WindowFactories f;
    // Each window class registers itself here as it arrives.
    f["TfrmSmallEE"] = [](TfrmMain& m, const CatalogueEntry& e) { return new TfrmSmallEE(m, std::size_t(e.memorySize)); };
    f["TfrmSmallRAM"] = [](TfrmMain& m, const CatalogueEntry& e) { return new TfrmSmallRAM(m, std::size_t(e.memorySize)); };
    f["TfrmEEPROM"] = [](TfrmMain& m, const CatalogueEntry& e) { return new TfrmEEPROM(m, std::size_t(e.memorySize)); };
    f["TfrmLargeRAM"] = [](TfrmMain& m, const CatalogueEntry& e) { return new TfrmLargeRAM(m, std::size_t(e.memorySize)); };
    f.insert(QStringLiteral("TfrmPTN3500"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPTN3500(m); });
    f.insert(QStringLiteral("TfrmPCF8574"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCF8574(m); });
    f.insert(QStringLiteral("TfrmPCF8575"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCF8575(m); });
    f.insert(QStringLiteral("TfrmPCF8563"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCF8563(m); });
    f.insert(QStringLiteral("TfrmMessage"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmMessage(m); });
    return f;
}

} // namespace

const WindowFactories& standardFactories()
{
    static const WindowFactories f = build();
    return f;
}
