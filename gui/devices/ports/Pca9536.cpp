#include "gui/devices/ports/Pca9536.h"
#include "core/devices/ports/RegisterExpander.h"

namespace {

RegisterPortWindow::Design design()
{
    RegisterPortWindow::Design d;
    d.windowClass = QStringLiteral("TfrmPCA9536");
    d.title = QStringLiteral("PCA9536 / PCA9537 I/O Expanders");
    d.bits = 4;
    d.addresses = &tp::expander::pca9536Addresses();
    d.addressList = QStringLiteral("edtAddress");
    d.ledAutoWrite = false;
    d.autoWriteHint = QStringLiteral("Enable/disable Auto Write function");
    d.groups = {"Register 0", "Register 1", "Register 2", "Register 3"};
    d.initial = {"FF", "FF", "00", "FF"};
    d.readAllHint = QStringLiteral("Read registers 0 through 3");
    d.writeAllHint = QStringLiteral("Write registers 1 through 3");
    d.disableAllWhileReading = true;
    return d;
}

} // namespace

TfrmPCA9536::TfrmPCA9536(TfrmMain& main, QWidget* parent) : RegisterPortWindow(main, design(), parent) {}
