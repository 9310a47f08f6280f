#include "gui/app/WindowFactories.h"

namespace {

WindowFactories build()
{
    WindowFactories f;
    // Each window class registers itself here as it arrives.
    return f;
}

} // namespace

const WindowFactories& standardFactories()
{
    static const WindowFactories f = build();
    return f;
}
