#include "core/common/AppState.h"
#include "core/sim/SimulatedAdapter.h"
#include "core/sim/ThermalChips.h"
#include "gui/app/TallyportApplication.h"
#include "gui/app/TfrmMain.h"

int main(int argc, char** argv)
{
    TallyportApplication app(argc, argv);
    auto bench = std::make_unique<tp::sim::SimulatedAdapter>();
    tp::sim::registerStandardChips(*bench);
    tp::sim::letThermalChipsDrift(*bench);
    tp::AppState state(std::move(bench));
    TfrmMain frame(state);
    frame.show();
    if (frame.ShowSplash)
        frame.showSplash();
    return app.exec();
}
