#include "gui/app/WindowFactories.h"
#include "gui/universal/Universal_III.h"

namespace {

WindowFactories build()
{
    WindowFactories f;
    // Each window class registers itself here as it arrives.
    f.insert(QStringLiteral("TfrmMessage"), [](TfrmMain& main, const CatalogueEntry&) -> TChildForm* {
        return new TfrmMessage(main);
    });
    return f;
}

} // namespace

const WindowFactories& standardFactories()
{
    static const WindowFactories f = build();
    return f;
}
