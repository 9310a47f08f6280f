#include "gui/app/WindowFactories.h"
#include "gui/app/Catalogue.h"
#include "gui/memory/Eeprom.h"
#include "gui/memory/LargeRAM.h"
#include "gui/memory/PTN3500.h"
#include "gui/memory/SmallEE.h"
#include "gui/memory/SmallRAM.h"
#include "gui/devices/led/PCA9530.h"
#include "gui/devices/led/PCA9531.h"
#include "gui/devices/led/PCA9532.h"
#include "gui/devices/led/PCA9533.h"
#include "gui/devices/led/PCA9550.h"
#include "gui/devices/led/PCA9551.h"
#include "gui/devices/led/PCA9552.h"
#include "gui/devices/led/PCA9553.h"
#include "gui/devices/led/Saa1064.h"
#include "gui/devices/ports/Pcf8574.h"
#include "gui/devices/ports/Pcf8575.h"
#include "gui/devices/ports/Pca9536.h"
#include "gui/devices/ports/Pca9554.h"
#include "gui/devices/ports/Pca9555.h"
#include "gui/devices/ports/Pca9556.h"
#include "gui/devices/ports/PCA9541.h"
#include "gui/devices/ports/PCA9543.h"
#include "gui/devices/ports/Pca9544.h"
#include "gui/devices/ports/pca8550.h"
#include "gui/devices/rtc/PCF8563.h"
#include "gui/devices/thermal/LM75.h"
#include "gui/devices/thermal/SA56004.h"
#include "gui/devices/thermal/SE98.h"
#include "gui/devices/thermal/ne1617.h"
#include "gui/universal/Longi2c.h"
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
    f.insert(QStringLiteral("TfrmPCA954x"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA954x(m); });
    f.insert(QStringLiteral("TfrmPCA9543"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9543(m); });
    f.insert(QStringLiteral("TfrmPCA9541"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9541(m); });
    f.insert(QStringLiteral("TfrmPCA8550"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA8550(m); });
    f.insert(QStringLiteral("TfrmPCA9530"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9530(m); });
    f.insert(QStringLiteral("TfrmPCA9531"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9531(m); });
    f.insert(QStringLiteral("TfrmPCA9532"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9532(m); });
    f.insert(QStringLiteral("TfrmPCA9533"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9533(m); });
    f.insert(QStringLiteral("TfrmPCA9550"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9550(m); });
    f.insert(QStringLiteral("TfrmPCA9551"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9551(m); });
    f.insert(QStringLiteral("TfrmPCA9552"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9552(m); });
    f.insert(QStringLiteral("TfrmPCA9553"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9553(m); });
    f.insert(QStringLiteral("TfrmSAA1064"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmSAA1064(m); });
    f.insert(QStringLiteral("TfrmPCA9536"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9536(m); });
    f.insert(QStringLiteral("TfrmPCA9554"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9554(m); });
    f.insert(QStringLiteral("TfrmPCA9555"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9555(m); });
    f.insert(QStringLiteral("TfrmPCA9556"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCA9556(m); });
    f.insert(QStringLiteral("TfrmLM75A"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmLM75A(m); });
    f.insert(QStringLiteral("TfrmSA56004"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmSA56004(m); });
    f.insert(QStringLiteral("TfrmNE1617"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmNE1617(m); });
    f.insert(QStringLiteral("TfrmSE98"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmSE98(m); });
    f.insert(QStringLiteral("TfrmPCF8563"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmPCF8563(m); });
    f.insert(QStringLiteral("TfrmMessage"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmMessage(m); });
    f.insert(QStringLiteral("TfrmLongI2C"), [](TfrmMain& m, const CatalogueEntry&) { return new TfrmLongI2C(m); });
    return f;
}

} // namespace

const WindowFactories& standardFactories()
{
    static const WindowFactories f = build();
    return f;
}
