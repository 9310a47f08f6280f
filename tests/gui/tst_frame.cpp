#include "core/common/HexText.h"
#include "core/sim/RegisterChip.h"
#include "gui/app/StatusLine.h"
#include "gui/app/TAboutBox.h"
#include "gui/app/TfrmBitrate.h"
#include "gui/app/TfrmPowerWarning.h"
#include "gui/app/TfrmSplash.h"
#include "gui/common/ChildForm.h"
#include "gui/common/Guarded.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>

using namespace tp;

namespace {

// A small child window standing in for the chip windows in these tests.
class TfrmTestChip : public TChildForm {
public:
    TfrmTestChip(TfrmMain& main, const QString& cls) : TChildForm(main, cls)
    {
        addFileMenu();
        cmbAddress = new QComboBox(this);
        cmbAddress->setObjectName("cmbAddress");
        for (int i = 0; i < 4; ++i)
            cmbAddress->addItem(QString::fromStdString(addressText(static_cast<std::uint8_t>(0x40 + 2 * i))));
        connect(cmbAddress, &QComboBox::currentIndexChanged, this, [this] { ++selectorReactions; });
        edtValue = new QLineEdit(this);
        edtValue->setObjectName("edtValue");
        edtValue->move(0, 40);
        // A hex field whose change reads its text as a number.
        connect(edtValue, &QLineEdit::textChanged, this, guarded([](const QString& t) {
                    if (t.size() == 2)
                        (void)hexToInt(t.toStdString());
                }));
    }
    QComboBox* cmbAddress;
    QLineEdit* edtValue;
    int selectorReactions = 0;
};

Catalogue testCatalogue()
{
    Catalogue c;
    c.append({"Test", "Chip  A", "mnuAClick", "TfrmTestChip", false, {{"cmbAddress", 2}}, {0x44}, 0, false});
    c.append({"Test", "Chip  B", "mnuBClick", "TfrmTestChip", false, {{"cmbAddress", 0}}, {0x40}, 0, false});
    c.append({"Test", "Memory", "mnuMemClick", "TfrmTestMemory", true, {}, {}, 256, false});
    c.append({"Other", "Missing", "mnuMissingClick", "TfrmNotThere", false, {}, {}, 0, false});
    return c;
}

WindowFactories testFactories()
{
    WindowFactories f;
    f["TfrmTestChip"] = [](TfrmMain& m, const CatalogueEntry&) { return new TfrmTestChip(m, "TfrmTestChip"); };
    f["TfrmTestMemory"] = [](TfrmMain& m, const CatalogueEntry&) { return new TfrmTestChip(m, "TfrmTestMemory"); };
    return f;
}

QStringList menuTitles(QMenuBar* bar)
{
    QStringList out;
    for (QAction* a : bar->actions())
        if (a->isVisible())
            out << a->text();
    return out;
}

QStringList actionTexts(QMenu* menu)
{
    QStringList out;
    for (QAction* a : menu->actions())
        out << (a->isSeparator() ? QString("-") : a->text());
    return out;
}

} // namespace

class TestFrame : public QObject {
    Q_OBJECT
private slots:
    void init();
    void menuBar();
    void standardCatalogueOrder();
    void entriesWithoutWindowAreDisabled();
    void singleInstanceReappliesPresets();
    void memoryEntriesOpenNewWindows();
    void childMenusTakeFrameFilePlace();
    void windowMenuWithoutChildren();
    void windowMenuListsOpenWindows();
    void menuHintsWhileOpen_data();
    void menuHintsWhileOpen();
    void minimizeAll();
    void closeAllKeepsFrame();
    void reopenedWindowKeepsBusContext();

    void errorMessage_data();
    void errorMessage();
    void unknownCodeKeepsMessage();
    void attachMessage();
    void panelDoubleClicks();
    void contextMenuMirrorsOptions();
    void updateControls();

    void bitrateTyped_data();
    void bitrateTyped();
    void bitrateCountsReactOnlyWithFocus();
    void powerWarning();
    void powerWarningComesBack();

    void settingsRoundTrip();
    void splashClosesOnClickElsewhere();
    void aboutShowsVersion();
    void errorBoxAtEventBoundary();

    void adapterOperations();
    void adapterOperationFailureShowsRed();
    void writeArrayLimit();
};

void TestFrame::init()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quessary", "Tallyprt").clear();
}

void TestFrame::menuBar()
{
    TestBench b(true, testCatalogue(), testFactories());
    QCOMPARE(menuTitles(b.main->menuBar()), (QStringList{"&File", "&Device", "Options", "&Window", "Help"}));
    auto* options = child<QMenu>(b.main.get(), "mnuOptions");
    QCOMPARE(actionTexts(options),
             (QStringList{QString::fromUtf8("I²C Frequency"), "-", "Enable 3.3V Output Power",
                          "Enable 5V Output Power", "Show Power Warning", "-", "Simulated bench"}));
    QVERIFY(child<QAction>(b.main.get(), "mnuAdapterBench")->isChecked());
    // The arrangement entries first, then the bus log and the bus scan.
    QCOMPARE(actionTexts(child<QMenu>(b.main.get(), "mnuWindow")),
             (QStringList{"Cascade", "Tile", "Minimize All", "-", "&Bus Log", "Simulated Ben&ch", QString::fromUtf8("&Scan Bus…")}));
    QCOMPARE(actionTexts(child<QMenu>(b.main.get(), "mnuHelp")), (QStringList{"Update Tallyport", "-", "&About"}));
    QCOMPARE(child<QAction>(b.main.get(), "mnuExit")->shortcut(), QKeySequence("Ctrl+X"));
    QCOMPARE(b.main->windowTitle(), QString("Tallyport"));
    QCOMPARE(b.main->statusLine()->toolTip(),
             QString("Double-click 3.3V to turn on/off 3.3V power\nDouble-click 5V to turn on/off 5V power\n"
                     "Double-click the frequency panel to change frequency"));
}

void TestFrame::standardCatalogueOrder()
{
    TestBench b;
    auto* device = child<QMenu>(b.main.get(), "mnuDevice");
    QStringList submenus;
    for (QAction* a : device->actions())
        submenus << a->text();
    QCOMPARE(submenus, (QStringList{"EEPROM", "IO Expanders", "LED Blinkers and Dimmers",
                                    "Master Selector (2-to-1 demux)", "Multiplexers/Switches",
                                    "Non-volatile Registers", "RAM / FRAM", "Real Time Clocks",
                                    "Thermal Management", "Universal Modes"}));
    QCOMPARE(standardCatalogue().size(), 66);
    QStringList ram = actionTexts(device->actions().at(6)->menu());
    QCOMPARE(ram.mid(5, 3), (QStringList{"2K x 8 (16K bit)", "8K x 8 (64K bit)", "4K x 8 (32K bit)"}));
    QStringList io = actionTexts(device->actions().at(1)->menu());
    QCOMPARE(io.first(), QString("PCA9500  8-bit I/O Port with 2K EE"));
    QVERIFY(io.contains("PCF8575    16-bit I/O Expander"));
    QStringList thermal = actionTexts(device->actions().at(8)->menu());
    QVERIFY(thermal.contains(QString::fromUtf8("SA56004 1°C Digital Temperature Sensor")));
}

void TestFrame::entriesWithoutWindowAreDisabled()
{
    TestBench b(true, testCatalogue(), testFactories());
    QVERIFY(b.main->deviceAction("Chip  A")->isEnabled());
    QVERIFY(!b.main->deviceAction("Missing")->isEnabled());
    QVERIFY(!b.main->openCaption("Missing"));
    TestBench real;
    for (const CatalogueEntry& e : standardCatalogue()) {
        QAction* a = nullptr;
        for (QAction* cand : real.main->findChildren<QAction*>(e.actionName()))
            if (cand->text() == e.caption)
                a = cand;
        QVERIFY2(a, qPrintable(e.caption));
        QCOMPARE(a->isEnabled(), standardFactories().contains(e.windowClass));
    }
}

void TestFrame::singleInstanceReappliesPresets()
{
    TestBench b(true, testCatalogue(), testFactories());
    b.main->deviceAction("Chip  A")->trigger();
    auto* w = static_cast<TfrmTestChip*>(b.main->windowReference("TfrmTestChip"));
    QVERIFY(w);
    QCOMPARE(w->cmbAddress->currentIndex(), 2);
    QCOMPARE(int(w->context().address[0]), 0x44);
    QCOMPARE(w->selectorReactions, 0); // presets do not run the selector's reaction

    w->cmbAddress->setCurrentIndex(3);
    QCOMPARE(w->selectorReactions, 1);
    b.main->deviceAction("Chip  B")->trigger();
    QCOMPARE(b.main->childForms().size(), 1);
    QCOMPARE(b.main->windowReference("TfrmTestChip"), w);
    QCOMPARE(w->cmbAddress->currentIndex(), 0);
    QCOMPARE(int(w->context().address[0]), 0x40);
    QCOMPARE(b.main->mdiArea()->activeSubWindow()->widget(), w);
}

void TestFrame::memoryEntriesOpenNewWindows()
{
    TestBench b(true, testCatalogue(), testFactories());
    TChildForm* first = b.main->openCaption("Memory");
    TChildForm* second = b.main->openCaption("Memory");
    QVERIFY(first && second && first != second);
    QCOMPARE(b.main->childForms().size(), 2);
    QCOMPARE(b.main->windowReference("TfrmTestMemory"), second);
}

void TestFrame::childMenusTakeFrameFilePlace()
{
    TestBench b(true, testCatalogue(), testFactories());
    TChildForm* w = b.main->openCaption("Chip  A");
    QCOMPARE(menuTitles(b.main->menuBar()), (QStringList{"&File", "&Device", "Options", "&Window", "Help"}));
    // The visible File menu is the child's.
    QAction* fileAction = b.main->menuBar()->actions().first();
    QVERIFY(!fileAction->isVisible());
    QAction* visibleFile = nullptr;
    for (QAction* a : b.main->menuBar()->actions())
        if (a->isVisible() && a->text() == "&File")
            visibleFile = a;
    QCOMPARE(actionTexts(visibleFile->menu()), (QStringList{"Close", "Close All", "E&xit"}));

    child<QAction>(w, "mnuClose")->trigger();
    QTRY_VERIFY(!b.main->windowReference("TfrmTestChip"));
    QVERIFY(b.main->childForms().isEmpty());
    QVERIFY(fileAction->isVisible());
    QCOMPARE(menuTitles(b.main->menuBar()), (QStringList{"&File", "&Device", "Options", "&Window", "Help"}));
}

void TestFrame::windowMenuWithoutChildren()
{
    TestBench b(true, testCatalogue(), testFactories());
    for (const char* name : {"mnuCascade", "mnuTile", "mnuMinimizeAll"})
        child<QAction>(b.main.get(), name)->trigger();
    QVERIFY(b.main->childForms().isEmpty());
    QVERIFY(b.dialogs.calls.isEmpty());
}

void TestFrame::windowMenuListsOpenWindows()
{
    TestBench b(true, testCatalogue(), testFactories());
    QMenu* menu = child<QMenu>(b.main.get(), "mnuWindow");
    TChildForm* one = b.main->openCaption("Memory");
    one->setWindowTitle("First image");
    TChildForm* chip = b.main->openCaption("Chip  A");
    chip->setWindowTitle("Fan & chip");
    TChildForm* two = b.main->openCaption("Memory");
    two->setWindowTitle("Second image");
    const auto shown = [&] {
        menu->popup(b.main->mapToGlobal(QPoint(40, 40)));
        QStringList out;
        for (QAction* a : menu->actions())
            out << (a->isSeparator() ? QString("-") : a->text() + (a->isChecked() ? " *" : ""));
        saveShot(menu, "window-menu");
        menu->close();
        return out;
    };
    QCOMPARE(shown(), (QStringList{"Cascade", "Tile", "Minimize All", "-", "&Bus Log", "Simulated Ben&ch", QString::fromUtf8("&Scan Bus…"),
                                   "-", "&1 First image", "&2 Fan && chip", "&3 Second image *"}));

    // Choosing one brings it forward, also out of Minimize All.
    child<QAction>(b.main.get(), "mnuMinimizeAll")->trigger();
    shown();
    child<QAction>(b.main.get(), "mnuWindow1")->trigger();
    QCOMPARE(b.main->mdiArea()->activeSubWindow()->widget(), one);
    QVERIFY(!b.main->mdiArea()->activeSubWindow()->isMinimized());
    QCOMPARE(shown().mid(8), (QStringList{"&1 First image *", "&2 Fan && chip", "&3 Second image"}));

    chip->parentWidget()->close();
    QTRY_VERIFY(!b.main->windowReference("TfrmTestChip"));
    QCOMPARE(shown().mid(7), (QStringList{"-", "&1 First image *", "&2 Second image"}));
}

void TestFrame::menuHintsWhileOpen_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("entry"); // an entry without a hint of its own
    QTest::addColumn<QString>("hint");
    QTest::newRow("Device") << "mnuDevice" << "mnuA" << "Choose device from this menu";
    QTest::newRow("Options") << "mnuOptions" << "mnu3VPower" << QString::fromUtf8("Change device, I²C speed");
}

void TestFrame::menuHintsWhileOpen()
{
    QFETCH(QString, menu);
    QFETCH(QString, entry);
    QFETCH(QString, hint);
    TestBench b(true, testCatalogue(), testFactories());
    auto* m = child<QMenu>(b.main.get(), menu);
    QCOMPARE(m->menuAction()->statusTip(), hint); // over its title in the menu bar
    QCOMPARE(b.main->statusBar()->currentMessage(), QString());
    m->popup(b.main->mapToGlobal(QPoint(40, 40)));
    QCOMPARE(b.main->statusBar()->currentMessage(), hint);

    // Moving over the entries keeps it.
    QAction* a = child<QAction>(b.main.get(), entry);
    QMenu* owner = qobject_cast<QMenu*>(a->parent()) ? qobject_cast<QMenu*>(a->parent()) : m;
    for (QAction* over : m->actions())
        if (over->menu() && over->menu()->actions().contains(a)) {
            m->setActiveAction(over);
            QCOMPARE(b.main->statusBar()->currentMessage(), hint);
            owner = over->menu();
        }
    owner->setActiveAction(a);
    QCOMPARE(b.main->statusBar()->currentMessage(), hint);
    saveShot(b.main.get(), "hint-" + menu);
    saveShot(m, "menu-" + menu);

    m->close();
    QTRY_COMPARE(b.main->statusBar()->currentMessage(), QString());
    // The Window menu's entries keep their own hints.
    QCOMPARE(child<QAction>(b.main.get(), "mnuTile")->statusTip(), QString("Arrange windows without overlap"));
}

void TestFrame::minimizeAll()
{
    TestBench b(true, testCatalogue(), testFactories());
    b.main->openCaption("Memory");
    b.main->openCaption("Memory");
    child<QAction>(b.main.get(), "mnuMinimizeAll")->trigger();
    for (QMdiSubWindow* sub : b.main->mdiArea()->subWindowList())
        QVERIFY(sub->isMinimized());
}

void TestFrame::closeAllKeepsFrame()
{
    TestBench b(true, testCatalogue(), testFactories());
    b.main->openCaption("Memory");
    TChildForm* w = b.main->openCaption("Chip  A");
    b.main->ErrorMessage(1);
    child<QAction>(w, "mnuCloseAll")->trigger();
    QTRY_VERIFY(b.main->childForms().isEmpty());
    QVERIFY(b.main->isVisible());
    QCOMPARE(b.status(), blankMessage());
}

void TestFrame::reopenedWindowKeepsBusContext()
{
    TestBench b(true, testCatalogue(), testFactories());
    auto* w = static_cast<TfrmTestChip*>(b.main->openCaption("Chip  A"));
    w->context().status = 2;
    w->edtValue->setText("1");
    b.main->ErrorMessage(0);
    w->parentWidget()->close();
    QTRY_VERIFY(!b.main->windowReference("TfrmTestChip"));
    QCOMPARE(b.status(), blankMessage(Align::Left)); // blanked on destruction
    QCOMPARE(int(b.state->context("TfrmTestChip").address[0]), 0x44);
    QCOMPARE(int(b.state->context("TfrmTestChip").status), 2);
    auto* again = static_cast<TfrmTestChip*>(b.main->openCaption("Chip  B"));
    QVERIFY(again->edtValue->text().isEmpty()); // form defaults again
    QCOMPARE(int(again->context().status), 2);
}

void TestFrame::errorMessage_data()
{
    QTest::addColumn<int>("code");
    for (int code : {0, 1, 2, 3, 4, 7, 8, 64, 65, 72, 114, 117, 128, 153, 170, 255})
        QTest::newRow(qPrintable(QString::number(code))) << code;
}

void TestFrame::errorMessage()
{
    QFETCH(int, code);
    TestBench b;
    b.main->ErrorMessage(static_cast<Status>(code));
    QCOMPARE(b.status(), *statusMessage(static_cast<Status>(code)));
    // What the panel paints: background and text colour at the panel's centre row.
    QWidget* panel = b.main->statusLine()->panelWidget(0);
    QImage img = panel->grab().toImage();
    auto near = [](QColor a, QColor b) {
        return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 12;
    };
    QColor left = img.pixelColor(2, img.height() / 2);
    QVERIFY(near(left, toQColor(b.status().background, panel->palette())));
    if (b.status().gradientTo) {
        QColor right = img.pixelColor(img.width() - 3, img.height() / 2);
        QVERIFY(near(right, toQColor(*b.status().gradientTo, panel->palette())));
    }
}

void TestFrame::unknownCodeKeepsMessage()
{
    TestBench b;
    b.main->ErrorMessage(1);
    for (int code : {5, 6, 200}) {
        b.main->ErrorMessage(static_cast<Status>(code));
        QCOMPARE(b.statusText(), QString("  Address not acknowledged"));
    }
    b.main->ErrorMessage(0);
    QCOMPARE(b.statusText(), QString("Transmission successful"));
    QCOMPARE(b.status().background, Rgb(0x00A000));
    b.main->ResetWarning();
    QCOMPARE(b.status(), blankMessage());
}

void TestFrame::attachMessage()
{
    TestBench b;
    auto* line = b.main->statusLine();
    // At start the bench is attached; it is no detected hardware.
    QCOMPARE(QString::fromStdString(line->panel(2).text), QString(" Simulated Bench"));
    QCOMPARE(line->panel(2).background, Rgb(colour::Blue));
    QCOMPARE(QString::fromStdString(line->panel(5).text), QString("100 kHz"));
    QCOMPARE(line->panel(5).textColour, Rgb(colour::Blue));
    QVERIFY(line->panel(5).bold);
    b.main->DeviceAttachMessage(false);
    QCOMPARE(QString::fromStdString(line->panel(2).text), QString(" Hardware Not Detected"));
    QCOMPARE(line->panel(2).background, Rgb(colour::Red));
    QCOMPARE(line->panel(5).textColour, Rgb(colour::Grey));
    QCOMPARE(QString::fromStdString(line->panel(3).text), QString("3.3V off"));
    QCOMPARE(QString::fromStdString(line->panel(4).text), QString("5.0V off"));
    QCOMPARE(line->panel(3).textColour, Rgb(colour::Grey));
    QVERIFY(line->panel(3).bold);
}

void TestFrame::panelDoubleClicks()
{
    TestBench b;
    b.main->ShowWarning = false;
    auto* line = b.main->statusLine();
    auto dbl = [&](int i) { QTest::mouseDClick(line->panelWidget(i), Qt::LeftButton); };
    auto* v33 = child<QAction>(b.main.get(), "mnu3VPower");
    auto* v5 = child<QAction>(b.main.get(), "mnu5VPower");
    dbl(3);
    QVERIFY(v33->isChecked() && b.state->power33);
    dbl(3);
    QVERIFY(!v33->isChecked() && !b.state->power33);
    dbl(4);
    QVERIFY(v5->isChecked() && b.state->power5);
    for (int i : {0, 2})
        dbl(i);
    QVERIFY(!b.main->bitrateWindow());
    QVERIFY(!v33->isChecked() && v5->isChecked());
    dbl(5);
    QVERIFY(b.main->bitrateWindow() && b.main->bitrateWindow()->isVisible());
}

void TestFrame::contextMenuMirrorsOptions()
{
    TestBench b;
    b.main->ShowWarning = false;
    child<QAction>(b.main.get(), "mnu5VPower")->trigger();
    auto* popup = child<QMenu>(b.main.get(), "mnuPopUpOptions");
    QCOMPARE(actionTexts(popup), (QStringList{QString::fromUtf8("I²C Frequency"), "-", "Enable 3.3V Output Power",
                                             "Enable 5V Output Power"}));
    emit popup->aboutToShow();
    QVERIFY(!child<QAction>(popup, "mnuPopup3VPower")->isChecked());
    QVERIFY(child<QAction>(popup, "mnuPopup5VPower")->isChecked());
    child<QAction>(popup, "mnuPopup3VPower")->trigger();
    QVERIFY(child<QAction>(b.main.get(), "mnu3VPower")->isChecked());
}

void TestFrame::updateControls()
{
    TestBench b;
    b.main->ShowWarning = false;
    b.main->setPower33(true);
    b.main->setPower5(true);
    b.state->busFrequency = BusFrequency::fromCounts(10, 10);
    b.main->UpdateControls();
    QVERIFY(!b.state->power33 && !b.state->power5);
    QVERIFY(!child<QAction>(b.main.get(), "mnu3VPower")->isChecked());
    QCOMPARE(QString::fromStdString(b.main->statusLine()->panel(3).text), QString("3.3V Off"));
    QCOMPARE(QString::fromStdString(b.main->statusLine()->panel(4).text), QString("5.0V Off"));
    QCOMPARE(b.state->busFrequency, BusFrequency{});
    QCOMPARE(b.state->adapter().busFrequency(), 100u);
}

void TestFrame::bitrateTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("stored");
    QTest::newRow("400") << "400" << 10 << 10 << 400;
    QTest::newRow("300 stores 296") << "300" << 13 << 14 << 296;
    QTest::newRow("1000") << "1000" << 4 << 4 << 1000;
    QTest::newRow("two digits below 12 change nothing") << "10" << 40 << 40 << 100;
    QTest::newRow("9999 stops at 999") << "9999" << 4 << 4 << 1000;
    QTest::newRow("1001 stops at 100") << "1001" << 40 << 40 << 100;
    QTest::newRow("2000 stops at 200") << "2000" << 20 << 20 << 200;
}

void TestFrame::bitrateTyped()
{
    QFETCH(QString, typed);
    QFETCH(int, high);
    QFETCH(int, low);
    QFETCH(int, stored);
    TestBench b;
    b.main->mnuFrequencyClick();
    TfrmBitrate* w = b.main->bitrateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    QCOMPARE(w->windowTitle(), QString::fromUtf8("I²C Frequency"));
    w->edtFrequency->setFocus();
    w->edtFrequency->clear();
    QTest::keyClicks(w->edtFrequency, typed);
    QCOMPARE(w->spnSCLh->value(), high);
    QCOMPARE(w->spnSCLl->value(), low);
    QCOMPARE(b.state->busFrequency.frequency, stored);
    // The field keeps what was typed, never a number beyond 1000.
    QCOMPARE(w->edtFrequency->text(), typed.toInt() > 1000 ? typed.chopped(1) : typed);
    QCOMPARE(b.state->adapter().busFrequency(), unsigned(stored));
}

void TestFrame::bitrateCountsReactOnlyWithFocus()
{
    TestBench b;
    b.main->mnuFrequencyClick();
    TfrmBitrate* w = b.main->bitrateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->edtFrequency->setFocus();
    w->spnSCLh->setValue(64); // written by program: no reaction
    QCOMPARE(w->edtFrequency->text(), QString("100"));
    QCOMPARE(b.state->busFrequency.frequency, 100);
    w->spnSCLh->setFocus();
    w->spnSCLl->setValue(64);
    QCOMPARE(w->edtFrequency->text(), QString("62"));
    QCOMPARE(b.state->busFrequency, BusFrequency::fromCounts(64, 64));
    // OK only hides: the next open finds the same window.
    w->btnOK->click();
    QVERIFY(!w->isVisible());
    b.main->mnuFrequencyClick();
    QCOMPARE(b.main->bitrateWindow(), w);
}

void TestFrame::powerWarning()
{
    TestBench b;
    QVERIFY(b.main->ShowWarning);
    b.main->mnu3VPowerClick();
    TfrmPowerWarning* w = b.main->powerWarning();
    QVERIFY(w && w->isVisible());
    QCOMPARE(w->windowTitle(), QString("Warning !"));
    QVERIFY(w->chbShow->isChecked());
    QCOMPARE(w->chbShow->text(), QString("Open each time Power is enabled"));
    w->chbShow->click();
    QVERIFY(!b.main->ShowWarning);
    w->btnClose->click();
    QTRY_VERIFY(!b.main->powerWarning());
    b.main->mnu5VPowerClick();
    QVERIFY(!b.main->powerWarning());
}

void TestFrame::powerWarningComesBack()
{
    TestBench b;
    QAction* entry = child<QAction>(b.main.get(), "mnuShowWarning");
    QVERIFY(entry->isChecked());
    b.main->mnu3VPowerClick();
    b.main->powerWarning()->chbShow->click(); // "Open each time Power is enabled" off
    b.main->powerWarning()->btnClose->click();
    QTRY_VERIFY(!b.main->powerWarning());
    auto* options = child<QMenu>(b.main.get(), "mnuOptions");
    options->popup(b.main->mapToGlobal(QPoint(40, 40)));
    QVERIFY(!entry->isChecked());
    options->close();

    entry->trigger();
    QVERIFY(b.main->ShowWarning);
    b.main->mnu5VPowerClick();
    QVERIFY(b.main->powerWarning() && b.main->powerWarning()->isVisible());
    QVERIFY(b.main->powerWarning()->chbShow->isChecked());

    // With the warning open, the entry and its check box are one setting.
    entry->trigger();
    QVERIFY(!b.main->ShowWarning);
    QVERIFY(!b.main->powerWarning()->chbShow->isChecked());
}

void TestFrame::settingsRoundTrip()
{
    {
        TestBench b;
        QVERIFY(b.main->ShowSplash);
        QVERIFY(b.main->ShowWarning);
    }
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Quessary", "Tallyprt");
    QCOMPARE(s.value("ShowSplash").toBool(), true);
    QCOMPARE(s.value("ShowWarning").toBool(), true);
    {
        TestBench b;
        b.main->showSplash();
        TfrmSplash* splash = b.main->splashWindow();
        QVERIFY(splash && splash->chbShow->isChecked());
        QCOMPARE(splash->windowTitle(), QString("Tallyport Quick Start"));
        splash->chbShow->click();
        QVERIFY(!b.main->ShowSplash);
    }
    s.sync();
    QCOMPARE(s.value("ShowSplash").toBool(), false);
    TestBench b;
    QVERIFY(!b.main->ShowSplash);
    QVERIFY(b.main->ShowWarning);
}

void TestFrame::splashClosesOnClickElsewhere()
{
    TestBench b;
    b.main->showSplash();
    QPointer<TfrmSplash> splash = b.main->splashWindow();
    QVERIFY(splash->isVisible());
    QTest::mouseClick(splash->chbShow, Qt::LeftButton); // inside: stays
    QVERIFY(splash);
    QTest::mouseClick(b.main->mdiArea()->viewport(), Qt::LeftButton);
    QTRY_VERIFY(!splash);
    QVERIFY(!b.main->splashWindow());
}

void TestFrame::aboutShowsVersion()
{
    TestBench b;
    QPointer<TAboutBox> box;
    QTimer::singleShot(0, [&] {
        box = qobject_cast<TAboutBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->windowTitle(), QString("About Tallyport"));
        QCOMPARE(box->lblVersion->text(), "Software Version:  " + programVersion());
        QVERIFY(!programVersion().isEmpty());
        child<QPushButton>(box, "btnOK")->click();
    });
    b.main->mnuAboutClick();
    QTRY_VERIFY(!box);
}

void TestFrame::errorBoxAtEventBoundary()
{
    TestBench b(true, testCatalogue(), testFactories());
    auto* w = static_cast<TfrmTestChip*>(b.main->openCaption("Chip  A"));
    b.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.main.get()));
    w->edtValue->setFocus();
    QTest::keyClicks(w->edtValue, "G1");
    QCOMPARE(b.dialogs.of("error").size(), 1);
    QCOMPARE(b.dialogs.of("error").first().caption, QString("Tallyport"));
    QCOMPARE(b.dialogs.of("error").first().text, QString("'$G1' is not a valid integer value."));
    QCOMPARE(w->edtValue->text(), QString("G1")); // nothing rolled back
}

void TestFrame::adapterOperations()
{
    TestBench b(false);
    auto& chip = static_cast<sim::RegisterChip&>(b.sim->place(0x40, std::make_unique<sim::RegisterChip>("R", 16)));
    std::uint8_t st = 99;
    b.main->I2CWriteByte(0x40, 0x05, 0xAA, st, 1);
    QCOMPARE(int(st), 0);
    QCOMPARE(int(chip.reg(5)), 0xAA);
    QCOMPARE(b.statusText(), QString("Transmission successful"));

    std::uint8_t buf[2] = {99, 0};
    b.main->I2CReadByte(0x40, 0x05, buf, 1);
    QCOMPARE(int(buf[0]), 0);
    QCOMPARE(int(buf[1]), 0xAA);
    b.main->I2CReadByte(0x40, 0x05, buf, 0);
    QCOMPARE(int(buf[1]), 0xAA);
    QCOMPARE(b.transfers(), (QStringList{"W 40 05 AA", "W 40 05", "Sr R 40 AA", "W 40 05", "R 40 AA"}));

    b.clearLog();
    const std::uint8_t data[3] = {1, 2, 3};
    QCOMPARE(int(b.main->I2CWriteArray(0x40, 0x08, 3, data)), 0);
    QCOMPARE(b.transfers(), QStringList{"W 40 08 01 02 03"});
    QCOMPARE(int(chip.reg(10)), 3);
}

void TestFrame::adapterOperationFailureShowsRed()
{
    TestBench b(false);
    b.sim->place(0x40, std::make_unique<sim::RegisterChip>("R", 16));
    b.sim->inject({sim::Fault::Kind::AddressNack, 0x40, 0, 1});
    std::uint8_t buf[2] = {0, 0x5A};
    b.main->I2CReadByte(0x40, 1, buf, 1);
    QCOMPARE(int(buf[0]), 1);
    QCOMPARE(int(buf[1]), 0x5A); // untouched on failure
    QCOMPARE(b.statusText(), QString("  Address not acknowledged"));
    QCOMPARE(b.status().background, Rgb(colour::Red));
    std::uint8_t st = 0;
    b.sim->inject({sim::Fault::Kind::TimeOut, std::nullopt, 0, 1});
    b.main->I2CWriteByte(0x40, 1, 2, st, 1);
    QCOMPARE(int(st), 8);
    QCOMPARE(b.status().align, Align::Left);
}

void TestFrame::writeArrayLimit()
{
    TestBench b(false);
    b.sim->place(0xA0, std::make_unique<sim::RegisterChip>("R", 256));
    std::vector<std::uint8_t> data(600, 0x11);
    b.main->ErrorMessage(0);
    // Refused before anything reached the bus: the status says so and the
    // status line names the limit rather than blaming the chip.
    QCOMPARE(int(b.main->I2CWriteArray(0xA0, 0, 495, data.data())), int(tp::status::Refused));
    QCOMPARE(b.statusText(), QString(" An array write carries at most 494 data bytes, not 495"));
    QCOMPARE(int(b.main->I2CWriteArray(0xA0, 0, 600, data.data())), int(tp::status::Refused));
    QCOMPARE(b.statusText(), QString(" An array write carries at most 494 data bytes, not 600"));
    QVERIFY(b.transfers().isEmpty());
    QVERIFY(b.dialogs.texts("error").isEmpty());
    QCOMPARE(int(b.main->I2CWriteArray(0xA0, 0, 494, data.data())), 0);
    QCOMPARE(b.transfers().size(), 1);
    b.clearLog();
    QCOMPARE(int(b.main->I2CWriteArray(0xA0, 0, 255, data.data())), 0);
    QCOMPARE(b.transfers().size(), 1);
}

TALLYPORT_TEST_MAIN(TestFrame)
#include "tst_frame.moc"
