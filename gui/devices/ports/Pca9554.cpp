#include "gui/devices/ports/Pca9554.h"
#include "core/devices/ports/RegisterExpander.h"

namespace {

RegisterPortWindow::Design design()
{
    RegisterPortWindow::Design d;
    d.windowClass = QStringLiteral("TfrmPCA9554");
    d.title = QStringLiteral("PCA9534/PCA9538/PCA9554/PCA9554A I/O Expanders");
    d.bits = 8;
    d.addresses = &tp::expander::pca9554Addresses();
    d.addressList = QStringLiteral("cmbAddress");
    d.ledAutoWrite = true;
    d.autoWriteHint = QStringLiteral("Enable/disable Auto Write function");
    d.groups = {"Register 0", "Register 1", "Register 2", "Register 3"};
    d.initial = {"FF", "FF", "00", "FF"};
    d.readAllHint = QStringLiteral("Read registers 0 through 3");
    d.writeAllHint = QStringLiteral("Write registers 1 through 3");
    d.disableAllWhileReading = true;
    return d;
}

} // namespace

TfrmPCA9554::TfrmPCA9554(TfrmMain& main, QWidget* parent) : RegisterPortWindow(main, design(), parent) {}
