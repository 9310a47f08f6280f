#include "core/common/AppState.h"
#include "core/sim/SimulatedAdapter.h"
#include "core/sim/ThermalChips.h"
#include "gui/app/AdapterSelection.h"
#include "gui/app/AdapterWatch.h"
#include "gui/app/CommandLine.h"
#include "gui/app/FirstPaint.h"
#include "gui/app/TallyportApplication.h"
#include "gui/app/TfrmMain.h"

#include <cstdio>

int main(int argc, char** argv)
{
    const CommandLine command = parseCommandLine(argc, argv);
    if (!command.error.empty()) {
        std::fprintf(stderr, "tallyport: %s\n%s", command.error.c_str(), usageText().c_str());
        return 2;
    }
    if (command.help) {
        std::fputs(usageText().c_str(), stdout);
        return 0;
    }
    if (command.listAdapters) {
        std::fputs(adapterListText(tp::linuxi2c::Environment{}).c_str(), stdout);
        return 0;
    }
    TallyportApplication app(argc, argv);
    auto bench = std::make_unique<tp::sim::SimulatedAdapter>();
    tp::sim::registerStandardChips(*bench);
    tp::sim::letThermalChipsDrift(*bench);
    tp::AppState state(std::move(bench));
    TfrmMain frame(state);
    AdapterSelection* adapters = frame.adapterSelection();
    adapters->enableHardware(tp::linuxi2c::Environment{}, new UdevAdapterWatch);
    if (qEnvironmentVariableIsSet("TALLYPORT_EXIT_AFTER_FIRST_PAINT"))
        exitAfterFirstPaint(&frame);
    frame.show();
    if (frame.ShowSplash)
        frame.showSplash();
    // An adapter that is missing (named on the command line or remembered)
    // leaves the bench in use, and the window says so after it is up.
    QString error;
    if (!adapters->start(QString::fromStdString(command.adapter), &error))
        std::fprintf(stderr, "tallyport: %s\n", qPrintable(error));
    return app.exec();
}
