#include "gui/app/WindowFactories.h"
#include "gui/devices/ports/Pcf8574.h"
#include "gui/devices/ports/Pcf8575.h"

namespace {

WindowFactories build()
{
    WindowFactories f;
    // Each window class registers itself here as it arrives.
    f.insert(QStringLiteral("TfrmPCF8574"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCF8574(m); });
    f.insert(QStringLiteral("TfrmPCF8575"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCF8575(m); });
    return f;
}

} // namespace

const WindowFactories& standardFactories()
{
    static const WindowFactories f = build();
    return f;
}
