#include "gui/devices/ports/Pca9556.h"
#include "core/devices/ports/RegisterExpander.h"

namespace {

RegisterPortWindow::Design design()
{
    RegisterPortWindow::Design d;
    d.windowClass = QStringLiteral("TfrmPCA9556");
    d.title = QStringLiteral("PCA9556 / PCA9557 I/O Expanders");
    d.bits = 8;
    d.addresses = &tp::expander::pca9556Addresses();
    d.addressList = QStringLiteral("cmbAddress");
    d.addressListHint = QStringLiteral("I\u00B2C Address Selection");
    d.ledAutoWrite = false;
    d.autoWriteHint = QStringLiteral("Enable/disable auto write feature");
    d.groups = {"Register 0 (Input)", "Register 1 (Output)", "Register 2 (Polarity)", "Register 3 (Config.)"};
    d.initial = {"XX", "00", "F0", "FF"};
    d.inputUndefined = true;
    d.boldCaptions = true;
    d.chipFromEntry = true;
    d.readAllHint = QStringLiteral("Read registers 0x00 through 0x03");
    d.writeAllHint = QStringLiteral("Write registers 0x01 through 0x03");
    d.disableAllWhileReading = false;
    d.boxesBusyWhileUpdating = true;
    return d;
}

} // namespace

TfrmPCA9556::TfrmPCA9556(TfrmMain& main, QWidget* parent) : RegisterPortWindow(main, design(), parent) {}
