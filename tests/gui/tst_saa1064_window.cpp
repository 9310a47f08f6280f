#include "core/devices/led/Saa1064File.h"
#include "core/sim/Saa1064Chip.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/devices/led/LedLamp.h"
#include "gui/devices/led/Saa1064.h"
#include "gui/devices/led/SevenSegmentDigit.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLCDNumber>
#include <QScopeGuard>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>

using tp::sim::Fault;
using tp::sim::Saa1064Chip;

namespace {

const QString kEntry = QStringLiteral("SAA1064 LED Driver");

struct Rig {
    TestBench bench;
    TfrmSAA1064* w = nullptr;
    QTemporaryDir dir;

    Rig()
    {
        open();
        bench.clearLog();
    }
    void open()
    {
        bench.main->deviceAction(kEntry)->trigger();
        w = qobject_cast<TfrmSAA1064*>(bench.main->windowReference("TfrmSAA1064"));
        QVERIFY(w);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    QString display(const QString& name) { return c<HexField>(name)->text(); }
    QStringList displays()
    {
        return {display("edtControl"), display("edtDigit1"), display("edtDigit2"), display("edtDigit3"),
                display("edtDigit4")};
    }
    void autoWriteOn() { QTest::mouseClick(c<LedToggle>("chbEnabled"), Qt::LeftButton); }
    void clickBox(const QString& name)
    {
        // On a check box's indicator: the box may be wider than its caption.
        QAbstractButton* b = c<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
    }
    QAction* menu(const QString& name) { return child<QAction>(w->childMenus().first(), name); }
    Saa1064Chip* chip(std::uint8_t address = 0x70)
    {
        bench.sim->expectChip("SAA1064", address);
        return bench.sim->chipAt<Saa1064Chip>(address);
    }
    QString path(const QString& name) { return dir.filePath(name); }
    void putFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(path(name));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    void openFile(const QString& name)
    {
        bench.dialogs.files.append(path(name));
        menu("mnuOpen")->trigger();
    }
    bool lit(int digit, int bit) { return c<LedToggle>(QStringLiteral("chbDigit%1%2").arg(digit).arg(bit))->isChecked(); }
};

const QByteArray kMagic("SAA1064datafile");

} // namespace

class TestSaa1064Window : public QObject {
    Q_OBJECT
private slots:
    void formDefaults();
    void controlBoxesAndSlider();
    void digitTogglesWriteTheirRegister();
    void failedWriteSwitchesAutoWriteOff();
    void writeAllIsOneTransfer();
    void readStatusShowsThePowerResetFlag();
    void addressChoice();
    void saveAsWritesTheRecord();
    void openAppliesTheRecord();
    void openWithAutoWriteWritesAll();
    void openRefusesABadAddress();
    void openRefusesBadFiles_data();
    void openRefusesBadFiles();
    void currentShowsInACommaLocale();
    void openedControlByte();
    void previewShowsTheDigits();
    void tabOrderFollowsTheLayout();
    void layoutFitsTheFrame_data();
    void layoutFitsTheFrame();
};

void TestSaa1064Window::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("SAA1064 LED Driver"));
    auto* sub = qobject_cast<QMdiSubWindow*>(r.w->parentWidget());
    QVERIFY(sub && sub->isMaximized());
    QStringList items;
    for (int i = 0; i < r.c<QComboBox>("cmbAddress")->count(); ++i)
        items << r.c<QComboBox>("cmbAddress")->itemText(i);
    QCOMPARE(items, (QStringList{"0x70", "0x72", "0x74", "0x76"}));
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentIndex(), 0);
    QCOMPARE(r.w->link().address(), 0x70);
    QCOMPARE(r.displays(), (QStringList{"00", "00", "00", "00", "00"}));
    QCOMPARE(r.c<QSlider>("trbBright")->value(), 0);
    QCOMPARE(r.c<QLCDNumber>("ledCurrent")->value(), 0.0);
    const QStringList captions{"Dynamic mode", "Digits 1 and 3 on", "Digits 2 and 4 on", "All segments on"};
    for (int bit = 0; bit < 4; ++bit) {
        auto* b = r.c<QCheckBox>(QStringLiteral("chbControl%1").arg(bit));
        QVERIFY(!b->isChecked());
        QCOMPARE(b->text(), captions[bit]);
        QVERIFY(b->font().bold());
        QCOMPARE(b->toolTip(), QStringLiteral("Control register bit %1").arg(bit));
    }
    for (int d = 1; d <= 4; ++d)
        for (int bit = 0; bit < 8; ++bit)
            QVERIFY(!r.lit(d, bit));
    QCOMPARE(r.c<LedToggle>("chbDigit37")->text(), QStringLiteral("Bit 7"));
    QCOMPARE(r.c<QGroupBox>("grbDigit1")->toolTip(), QStringLiteral("Checked=LED On.  Unchecked=LED Off"));
    QCOMPARE(r.c<LedToggle>("chbEnabled")->text(), QStringLiteral("Auto Write Off"));
    QVERIFY(r.c<QGroupBox>("grbDigit2")->isVisible());
    QVERIFY(!r.c<QGroupBox>("grbDigit3")->isVisible());
    QVERIFY(!r.c<QGroupBox>("grbDigit4")->isVisible());
    QCOMPARE(r.c<QGroupBox>("grbAddress")->title(), QStringLiteral("Device Address"));
    QCOMPARE(r.c<QGroupBox>("grbAutomaticWrite")->title(), QStringLiteral("Automatic Write"));
    QCOMPARE(r.c<QGroupBox>("grbReadWrite")->title(), QStringLiteral("Read and Write"));
    QCOMPARE(r.c<QPushButton>("btnWrite")->text(), QStringLiteral("&Write All"));
    QCOMPARE(r.c<QPushButton>("btnWrite")->toolTip(), QStringLiteral("Write all registers"));
    QCOMPARE(r.c<QPushButton>("btnRead")->text(), QStringLiteral("&Read Status"));
    QCOMPARE(r.c<QPushButton>("btnRead")->toolTip(), QStringLiteral("Read the status register (LED on if set)"));
    QCOMPARE(r.c<QLabel>("lblCurrent")->text(), QStringLiteral("Current (mA)"));
    QStringList entries;
    for (QAction* a : r.w->childMenus().first()->actions())
        if (!a->isSeparator())
            entries << a->text();
    QCOMPARE(r.w->childMenus().first()->title(), QStringLiteral("&File"));
    QCOMPARE(entries, (QStringList{"Open", "Save As...", "Close", "Close All", "E&xit"}));
    QVERIFY(r.bench.transfers().isEmpty());

    // A new window starts afresh: address and images too.
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(3);
    r.clickBox("chbDigit13");
    QCOMPARE(r.w->link().address(), 0x76);
    const QPointer<TfrmSAA1064> old = r.w;
    r.menu("mnuClose")->trigger();
    QTRY_VERIFY(!old);
    r.open();
    QCOMPARE(r.w->link().address(), 0x70);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0x70"));
    QCOMPARE(r.display("edtDigit1"), QStringLiteral("00"));
}

void TestSaa1064Window::controlBoxesAndSlider()
{
    Rig r;
    r.clickBox("chbControl0");
    QVERIFY(r.c<QGroupBox>("grbDigit3")->isVisible());
    QVERIFY(r.c<QGroupBox>("grbDigit4")->isVisible());
    QCOMPARE(r.display("edtControl"), QStringLiteral("01"));
    r.c<QSlider>("trbBright")->setValue(5);
    QCOMPARE(r.c<QLCDNumber>("ledCurrent")->value(), 15.0);
    QCOMPARE(r.display("edtControl"), QStringLiteral("51"));
    r.clickBox("chbControl3");
    QCOMPARE(r.display("edtControl"), QStringLiteral("59"));
    r.clickBox("chbControl0");
    QCOMPARE(r.display("edtControl"), QStringLiteral("58"));
    QVERIFY(!r.c<QGroupBox>("grbDigit3")->isVisible());
    QCOMPARE(r.w->lastEdited(), 0);
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write is off

    r.autoWriteOn();
    r.c<QSlider>("trbBright")->setFocus();
    QTest::keyClick(r.c<QSlider>("trbBright"), Qt::Key_Right);
    QCOMPARE(r.bench.transfers(), QStringList{"W 70 00 68"});
    QCOMPARE(r.c<QLCDNumber>("ledCurrent")->value(), 18.0);
    QCOMPARE(r.chip()->registers().control, std::uint8_t(0x68));
}

void TestSaa1064Window::digitTogglesWriteTheirRegister()
{
    Rig r;
    r.autoWriteOn();
    r.clickBox("chbDigit27");
    r.clickBox("chbDigit20");
    QCOMPARE(r.bench.transfers(), (QStringList{"W 70 02 80", "W 70 02 81"}));
    QCOMPARE(r.display("edtDigit2"), QStringLiteral("81"));
    QCOMPARE(r.w->lastEdited(), 2);
    r.clickBox("chbDigit27");
    QCOMPARE(r.bench.transfers().last(), QStringLiteral("W 70 02 01"));
    QCOMPARE(r.chip()->registers().digits[1], std::uint8_t(0x01));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestSaa1064Window::failedWriteSwitchesAutoWriteOff()
{
    Rig r;
    r.autoWriteOn();
    r.bench.sim->inject(Fault{Fault::Kind::DataNack, std::nullopt, 1, 1});
    r.clickBox("chbDigit14");
    QCOMPARE(r.bench.transfers().size(), 1);
    QCOMPARE(r.c<LedToggle>("chbEnabled")->text(), QStringLiteral("Auto Write Off"));
    QVERIFY(!r.c<LedToggle>("chbEnabled")->isChecked());
    QVERIFY(r.lit(1, 4));
    QCOMPARE(r.display("edtDigit1"), QStringLiteral("10"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));
    // Nothing more is written until the user switches it on again.
    r.clickBox("chbDigit15");
    QCOMPARE(r.bench.transfers().size(), 1);
}

void TestSaa1064Window::writeAllIsOneTransfer()
{
    Rig r;
    r.clickBox("chbControl1");
    r.c<QSlider>("trbBright")->setValue(7);
    r.clickBox("chbDigit10");
    r.clickBox("chbDigit21");
    r.clickBox("chbControl0");
    r.clickBox("chbDigit32");
    r.clickBox("chbDigit47");
    QVERIFY(r.bench.transfers().isEmpty());
    QTest::mouseClick(r.c<QPushButton>("btnWrite"), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), QStringList{"W 70 00 73 01 02 04 80"});
    QCOMPARE(r.chip()->registers(), (tp::saa1064::Registers{0x73, {0x01, 0x02, 0x04, 0x80}}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestSaa1064Window::readStatusShowsThePowerResetFlag()
{
    Rig r;
    r.chip();
    QTest::mouseClick(r.c<QPushButton>("btnRead"), Qt::LeftButton);
    QCOMPARE(r.c<LedLamp>("ledStatus")->brightness(), 1.0);
    QTest::mouseClick(r.c<QPushButton>("btnRead"), Qt::LeftButton);
    QCOMPARE(r.c<LedLamp>("ledStatus")->brightness(), 0.0);
    QCOMPARE(r.bench.transfers(), (QStringList{"R 70 80", "R 70 00"}));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    // A failed read leaves the lamp as it was.
    r.chip()->powerFailure();
    r.bench.sim->inject(Fault{Fault::Kind::AddressNack, std::nullopt, 0, 1});
    QTest::mouseClick(r.c<QPushButton>("btnRead"), Qt::LeftButton);
    QCOMPARE(r.c<LedLamp>("ledStatus")->brightness(), 0.0);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
}

void TestSaa1064Window::addressChoice()
{
    Rig r;
    QTest::keyClick(r.c<QComboBox>("cmbAddress"), Qt::Key_Down);
    QCOMPARE(r.w->link().address(), 0x72);
    QVERIFY(r.bench.transfers().isEmpty());
    r.autoWriteOn();
    r.clickBox("chbControl2");
    QCOMPARE(r.bench.transfers(), QStringList{"W 72 00 04"});
}

void TestSaa1064Window::saveAsWritesTheRecord()
{
    Rig r;
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(1);
    r.clickBox("chbControl0");
    r.c<QSlider>("trbBright")->setValue(5);
    for (const char* box : {"chbDigit10", "chbDigit11", "chbDigit12", "chbDigit13", "chbDigit14", "chbDigit15",
                            "chbDigit21", "chbDigit22", "chbDigit30", "chbDigit31", "chbDigit33", "chbDigit34",
                            "chbDigit36", "chbDigit40", "chbDigit41", "chbDigit42", "chbDigit43", "chbDigit46"})
        r.clickBox(box);
    QCOMPARE(r.displays(), (QStringList{"51", "3F", "06", "5B", "4F"}));
    // Over a longer file: afterwards it holds the record and nothing else.
    r.putFile("display.mem", QByteArray(100, 'z'));
    r.bench.dialogs.files.append(r.path("display.mem"));
    r.menu("mnuSaveAs")->trigger();
    const ScriptedDialogs::Call call = r.bench.dialogs.of("save").last();
    QCOMPARE(call.request.title, QStringLiteral("Save SAA1064 Data As"));
    QCOMPARE(call.request.filters, (QStringList{"Mem files (*.mem)", "All files (*.*)"}));
    QCOMPARE(call.request.defaultSuffix, QStringLiteral("mem"));
    QFile f(r.path("display.mem"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), kMagic + QByteArray::fromHex("72513F065B4F"));
    QVERIFY(r.bench.transfers().isEmpty());

    // Cancelled: no file.
    r.menu("mnuSaveAs")->trigger();
    QCOMPARE(QDir(r.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"display.mem"});
}

void TestSaa1064Window::openAppliesTheRecord()
{
    Rig r;
    r.putFile("clock.mem", kMagic + QByteArray::fromHex("74 57 3F 06 5B 4F"));
    r.openFile("clock.mem");
    const ScriptedDialogs::Call call = r.bench.dialogs.of("open").last();
    QCOMPARE(call.request.title, QStringLiteral("Open SAA1064 Data File"));
    QCOMPARE(call.request.filters, (QStringList{"Mem files (*.mem)", "All files (*.*)"}));
    QCOMPARE(call.request.defaultSuffix, QStringLiteral("mem"));

    QCOMPARE(r.w->windowTitle(), QStringLiteral("clock.mem"));
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0x74"));
    QCOMPARE(r.w->link().address(), 0x74);
    QCOMPARE(r.displays(), (QStringList{"57", "3F", "06", "5B", "4F"}));
    QCOMPARE(r.c<QSlider>("trbBright")->value(), 5);
    QCOMPARE(r.c<QLCDNumber>("ledCurrent")->value(), 15.0);
    QVERIFY(r.c<QCheckBox>("chbControl0")->isChecked());
    QVERIFY(r.c<QCheckBox>("chbControl1")->isChecked());
    QVERIFY(r.c<QCheckBox>("chbControl2")->isChecked());
    QVERIFY(!r.c<QCheckBox>("chbControl3")->isChecked());
    QVERIFY(r.lit(1, 5) && !r.lit(1, 6) && r.lit(4, 6) && !r.lit(4, 7));
    QVERIFY(r.c<QGroupBox>("grbDigit4")->isVisible());
    QCOMPARE(r.w->focusWidget(), r.c<QPushButton>("btnWrite"));
    QVERIFY(r.bench.transfers().isEmpty()); // Auto Write off: nothing written
    QCOMPARE(r.bench.statusText(), QString());
}

void TestSaa1064Window::openWithAutoWriteWritesAll()
{
    Rig r;
    r.autoWriteOn();
    r.putFile("a.mem", kMagic + QByteArray::fromHex("76 17 01 02 03 04"));
    r.openFile("a.mem");
    // Loading wrote nothing register by register; then one Write All to the file's address.
    QCOMPARE(r.bench.transfers(), QStringList{"W 76 00 17 01 02 03 04"});
    QCOMPARE(r.c<LedToggle>("chbEnabled")->text(), QStringLiteral("Auto Write On"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
}

void TestSaa1064Window::openRefusesABadAddress()
{
    Rig r;
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(2);
    r.autoWriteOn();
    r.bench.clearLog();
    r.putFile("odd.mem", kMagic + QByteArray::fromHex("71 06 3F 06 5B 4F"));
    r.openFile("odd.mem");
    QCOMPARE(r.displays(), (QStringList{"06", "3F", "06", "5B", "4F"}));
    QCOMPARE(r.w->link().address(), 0x74);
    QCOMPARE(r.c<QComboBox>("cmbAddress")->currentText(), QStringLiteral("0x74"));
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Invalid address in datafile"));
    // The registers meant for another chip are not sent to this one.
    QVERIFY(r.bench.transfers().isEmpty());
    QCOMPARE(r.c<LedToggle>("chbEnabled")->text(), QStringLiteral("Auto Write On"));
}

void TestSaa1064Window::openRefusesBadFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("errorBox");
    QTest::addColumn<QString>("status");
    QTest::newRow("20 bytes") << kMagic + QByteArray::fromHex("70 07 01 02 03") << "Read beyond end of file."
                              << "";
    QTest::newRow("10 bytes") << QByteArray("SAA1064dat") << "Read beyond end of file." << "";
    QTest::newRow("wrong header") << QByteArray("SAA1064DATAFILE") + QByteArray::fromHex("70 07 01 02 03 04") << ""
                                  << "  Invalid Data File";
    QTest::newRow("missing") << QByteArray() << "Failed to open or create file." << "";
}

void TestSaa1064Window::openRefusesBadFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, errorBox);
    QFETCH(QString, status);
    Rig r;
    r.clickBox("chbDigit11");
    r.c<QComboBox>("cmbAddress")->setCurrentIndex(1);
    r.autoWriteOn();
    r.bench.clearLog();
    const QStringList before = r.displays();
    if (!file.isEmpty())
        r.putFile("bad.mem", file);
    r.openFile("bad.mem");
    QCOMPARE(r.bench.dialogs.texts("error"), errorBox.isEmpty() ? QStringList() : QStringList{errorBox});
    QCOMPARE(r.bench.statusText(), status);
    QCOMPARE(r.displays(), before);
    QCOMPARE(r.w->windowTitle(), QStringLiteral("SAA1064 LED Driver"));
    QCOMPARE(r.w->link().address(), 0x72);
    QVERIFY(r.bench.transfers().isEmpty());
    // A file that could not be read ends the open with Auto Write off; a
    // file read and refused gives it back.
    QCOMPARE(r.c<LedToggle>("chbEnabled")->text(),
             errorBox.isEmpty() ? QStringLiteral("Auto Write On") : QStringLiteral("Auto Write Off"));
}

void TestSaa1064Window::currentShowsInACommaLocale()
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([&] { QLocale::setDefault(before); });
    Rig r;
    r.c<QSlider>("trbBright")->setValue(7);
    auto* lcd = r.c<QLCDNumber>("ledCurrent");
    QCOMPARE(lcd->value(), 21.0);
    QCOMPARE(lcd->toolTip(), QStringLiteral("21,0 mA"));
}

void TestSaa1064Window::openedControlByte()
{
    Rig r;
    r.putFile("f7.mem", kMagic + QByteArray::fromHex("70 F7 00 00 00 00"));
    r.openFile("f7.mem");
    QCOMPARE(r.display("edtControl"), QStringLiteral("F7"));
    QCOMPARE(r.c<QSlider>("trbBright")->value(), 7);
    QCOMPARE(r.c<QLCDNumber>("ledCurrent")->value(), 21.0);
    QVERIFY(r.c<QCheckBox>("chbControl2")->isChecked());
    QVERIFY(!r.c<QCheckBox>("chbControl3")->isChecked());
    QVERIFY(r.c<QGroupBox>("grbDigit3")->isVisible());
    // Only the slider clears bit 7; a box keeps it.
    r.clickBox("chbControl3");
    QCOMPARE(r.display("edtControl"), QStringLiteral("FF"));
    r.c<QSlider>("trbBright")->setValue(6);
    r.c<QSlider>("trbBright")->setValue(7);
    QCOMPARE(r.display("edtControl"), QStringLiteral("7F"));
}

void TestSaa1064Window::previewShowsTheDigits()
{
    Rig r;
    auto look = [&](int d) { return r.c<SevenSegmentDigit>(QStringLiteral("pvwDigit%1").arg(d))->look(); };
    QVERIFY(!look(1).shown);
    r.clickBox("chbControl1"); // digits 1 and 3 on; static mode drives 1 and 2 only
    r.clickBox("chbDigit11");
    r.clickBox("chbDigit12");
    r.c<QSlider>("trbBright")->setValue(7);
    QCOMPARE(look(1), (tp::saa1064::DigitLook{true, 0x06, 1.0}));
    QVERIFY(!look(2).shown);
    QVERIFY(!look(3).shown);
    r.clickBox("chbControl0");
    QVERIFY(look(3).shown);
    QVERIFY(!look(4).shown);
    r.clickBox("chbControl3");
    QCOMPARE(int(look(3).segments), 0xFF);
}

void TestSaa1064Window::tabOrderFollowsTheLayout()
{
    Rig r;
    r.clickBox("chbControl0"); // all four digit groups shown
    QStringList expected{"cmbAddress", "chbEnabled", "btnWrite", "btnRead", "chbControl0", "chbControl1",
                         "chbControl2", "chbControl3", "trbBright"};
    for (int d = 1; d <= 4; ++d)
        for (int bit = 0; bit < 8; ++bit)
            expected << QStringLiteral("chbDigit%1%2").arg(d).arg(bit);
    QCOMPARE(tabChain(r.w), expected);
}

void TestSaa1064Window::layoutFitsTheFrame_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("full") << 1280;
    QTest::newRow("half") << 640;
}

void TestSaa1064Window::layoutFitsTheFrame()
{
    QFETCH(int, width);
    Rig r;
    r.bench.main->resize(width, 800);
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    r.clickBox("chbControl0");
    r.clickBox("chbControl1");
    r.clickBox("chbControl2");
    r.c<QSlider>("trbBright")->setValue(4);
    for (const char* box : {"chbDigit11", "chbDigit12", "chbDigit20", "chbDigit21", "chbDigit23", "chbDigit24",
                            "chbDigit26", "chbDigit30", "chbDigit31", "chbDigit32", "chbDigit33", "chbDigit36",
                            "chbDigit41", "chbDigit42", "chbDigit45", "chbDigit46", "chbDigit47"})
        r.clickBox(box);
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(r.w), QStringList());
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    QVERIFY(r.w->minimumSizeHint().height() <= r.bench.main->mdiArea()->viewport()->height());
    saveShot(r.bench.main.get(), width < 1280 ? "saa1064-half" : "saa1064");
}

TALLYPORT_TEST_MAIN(TestSaa1064Window)
#include "tst_saa1064_window.moc"
