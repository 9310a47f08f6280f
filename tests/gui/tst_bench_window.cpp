#include "core/sim/BenchBoard.h"
#include "core/sim/BenchState.h"
#include "core/sim/SerialMemoryChip.h"
#include "gui/bus/TfrmBench.h"
#include "gui/common/HexField.h"
#include "gui/memory/MemoryForm.h"
#include "tests/support/CliRun.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>


using namespace tp;

namespace {

const QString kEeprom = QStringLiteral("EEPROM/256 x 8 (2K bit)");
const QString kPcf8574 = QStringLiteral("PCF8574  8-bit I/O Expander");
const QString kPca9548 = QStringLiteral("PCA9548A 8-Channel Switch");

// The frame with the bench window open, driven by object names.
struct Rig {
    TestBench bench;
    TfrmBench* w = nullptr;

    Rig()
    {
        child<QAction>(bench.main.get(), "mnuBench")->trigger();
        w = bench.main->benchWindow();
        if (!w)
            qFatal("no bench window");
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    void click(const QString& name) { QTest::mouseClick(c<QPushButton>(name), Qt::LeftButton); }
    void type(const QString& name, const QString& text)
    {
        auto* e = c<QLineEdit>(name);
        e->selectAll();
        QTest::keyClicks(e, text);
    }
    // Adds a chip through the Chips page.
    void add(const QString& chip, const QString& address, const QString& segment = QStringLiteral("main bus"))
    {
        auto* types = c<QComboBox>("cmbType");
        QVERIFY2(types->findText(chip) >= 0, qPrintable(chip));
        types->setCurrentText(chip);
        type("edtAddress", address);
        auto* segments = c<QComboBox>("cmbSegment");
        QVERIFY2(segments->findText(segment) >= 0, qPrintable(segment));
        segments->setCurrentText(segment);
        click("btnAdd");
    }
    QTableView* table() { return c<QTableView>("grdChips"); }
    int rows() { return table()->model()->rowCount(); }
    QString cell(int row, int column) { return table()->model()->index(row, column).data().toString(); }
    int rowOf(const QString& chipType)
    {
        for (int r = 0; r < rows(); ++r)
            if (cell(r, 2).section(QLatin1Char(' '), 0, chipType.count(QLatin1Char(' '))) == chipType)
                return r;
        return -1;
    }
    void select(const QString& chipType)
    {
        w->refresh();
        const int r = rowOf(chipType);
        QVERIFY2(r >= 0, qPrintable(chipType));
        table()->selectRow(r);
    }
    TMemoryForm* eeprom() { return qobject_cast<TMemoryForm*>(bench.main->openCaption(kEeprom)); }
};

QString cliOut(const QStringList& args, int* code = nullptr)
{
    const CliRun r = runCliInProcess(args);
    if (code)
        *code = r.code;
    return r.out + r.err;
}

} // namespace

class TestBenchWindow : public QObject {
    Q_OBJECT
private slots:
    void eepromBehindAChannel();
    void portPinReachesTheWindow();
    void armedDataNackStopsWriteAll();
    void savedBenchIsTheCommandLinesBench();
    void damagedBenchFileChangesNothing();
    void fixedBoardNacksLikeHardware();
    void tableShowsWindowChipsAndNotes();
    void layout_data();
    void layout();
};

void TestBenchWindow::eepromBehindAChannel()
{
    Rig r;
    r.add("PCA9548A", "E0");
    r.add("EEPROM 256", "A0", "channel 2 of the PCA9548A at 0xE0");
    QCOMPARE(r.rows(), 2);
    const int ee = r.rowOf("EEPROM 256");
    QCOMPARE(r.cell(ee, 0), QStringLiteral("0xA0"));
    QCOMPARE(r.cell(ee, 1), QStringLiteral("0x50"));
    QCOMPARE(r.cell(ee, 3), QStringLiteral("channel 2 of the PCA9548A at 0xE0"));
    // Contents the window can recognise.
    tp::sim::BenchBoard board(*r.bench.sim);
    auto* chip = dynamic_cast<tp::sim::SerialMemoryChip*>(board.rows()[std::size_t(ee)].chip.get());
    QVERIFY(chip);
    for (std::size_t a = 0; a < 256; ++a)
        chip->setByte(a, std::uint8_t(a ^ 0x5A));

    TMemoryForm* mem = r.eeprom();
    QVERIFY(mem);
    mem->btnRead->click();
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(mem->image().value(1), std::uint8_t(0xFF)); // nothing shown of a failed read

    r.bench.main->deviceAction(kPca9548)->trigger();
    QWidget* sw = r.bench.main->windowReference("TfrmPCA9543");
    QVERIFY(sw);
    QTest::mouseClick(child<QAbstractButton>(sw, "chbPCA9548Auto"), Qt::LeftButton);
    QTest::mouseClick(child<QAbstractButton>(sw, "chb9548ch2"), Qt::LeftButton);
    r.w->refresh();
    QCOMPARE(r.cell(r.rowOf("PCA9548A"), 4), QStringLiteral("channel 2 on"));

    mem->btnRead->click();
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(mem->image().value(1), std::uint8_t(0x5B));
    QCOMPARE(mem->image().value(255), std::uint8_t(0xA5));
}

void TestBenchWindow::portPinReachesTheWindow()
{
    Rig r;
    r.bench.main->deviceAction(kPcf8574)->trigger();
    QWidget* pcf = r.bench.main->windowReference("TfrmPCF8574");
    QVERIFY(pcf);
    const auto readPort = [&] {
        QTest::mouseClick(child<QPushButton>(pcf, "btnPCF8574Read"), Qt::LeftButton);
        return child<QLineEdit>(pcf, "edtRead")->text();
    };
    QCOMPARE(readPort(), QStringLiteral("FF"));

    r.select("PCF8574");
    r.c<QSpinBox>("spnPin")->setValue(5);
    r.click("btnPinLow");
    QCOMPARE(readPort(), QStringLiteral("DF"));
    r.c<QSpinBox>("spnPin")->setValue(0);
    r.click("btnPinLow");
    r.c<QSpinBox>("spnPin")->setValue(5);
    r.click("btnPinHigh");
    QCOMPARE(readPort(), QStringLiteral("FE"));
    QCOMPARE(r.cell(r.rowOf("PCF8574"), 4), QStringLiteral("latch FF, pins FE"));
    // A chip with no pins has the pin controls off.
    r.add("LM75A", "90");
    r.select("LM75A");
    QVERIFY(!r.c<QPushButton>("btnPinLow")->isEnabled());
    QVERIFY(r.c<QPushButton>("btnSetTemperature")->isEnabled());
    r.type("edtTemperature", "41.5");
    r.click("btnSetTemperature");
    QCOMPARE(r.cell(r.rowOf("LM75A"), 4), QStringLiteral("41.500 \u00B0C"));
}

void TestBenchWindow::armedDataNackStopsWriteAll()
{
    Rig r;
    r.add("EEPROM 256", "A0");
    TMemoryForm* mem = r.eeprom();
    QVERIFY(mem);
    std::vector<std::uint8_t> shown(256);
    for (std::size_t a = 0; a < shown.size(); ++a)
        shown[a] = std::uint8_t(a);
    mem->image().display(0, shown);

    // "Data NACK at byte 5 of the next write at A0", from the form.
    auto* kind = r.c<QComboBox>("cmbFaultKind");
    kind->setCurrentIndex(kind->findData(QStringLiteral("data-nack")));
    r.type("edtFaultAddress", "A0");
    r.c<QSpinBox>("spnFaultByte")->setValue(5);
    r.c<QComboBox>("cmbFaultRepeat")->setCurrentIndex(0);
    QCOMPARE(r.c<QLineEdit>("edtFault")->text(), QStringLiteral("data-nack,address=A0,byte=5"));
    r.click("btnArm");
    const QString armed = QStringLiteral("data NACK at byte 5, once at 0xA0");
    QCOMPARE(r.c<QListWidget>("lstFaults")->count(), 1);
    QCOMPARE(r.c<QListWidget>("lstFaults")->item(0)->text(), armed);
    QCOMPARE(r.cell(r.rowOf("EEPROM 256"), 5), armed);

    r.bench.clearLog();
    mem->btnWrite->click();
    QCOMPARE(r.bench.statusText(), QString::fromStdString(statusMessage(status::DataNack)->text));
    // One page write, cut at its fifth data byte (the word address is byte 0); nothing after it.
    const auto transfers = r.bench.sim->log().transfers();
    QCOMPARE(int(transfers.size()), 1);
    QCOMPARE(int(transfers.back().status), int(status::DataNack));
    r.w->refresh();
    QCOMPARE(r.c<QListWidget>("lstFaults")->count(), 0);
    QVERIFY(r.cell(r.rowOf("EEPROM 256"), 5).isEmpty());
    QVERIFY2(r.cell(r.rowOf("EEPROM 256"), 4).startsWith("starts 00 01 02 03"), qPrintable(r.cell(0, 4)));
    tp::sim::BenchBoard board(*r.bench.sim);
    auto* chip = dynamic_cast<tp::sim::SerialMemoryChip*>(board.rows()[0].chip.get());
    QCOMPARE(chip->byte(3), std::uint8_t(3));
    QCOMPARE(chip->byte(4), std::uint8_t(0xFF));
    QCOMPARE(chip->byte(8), std::uint8_t(0xFF));
}

void TestBenchWindow::savedBenchIsTheCommandLinesBench()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("board.bench");
    QStringList listed;
    {
        Rig r;
        r.add("PCA9548A", "E0");
        r.add("EEPROM 256", "A0", "channel 2 of the PCA9548A at 0xE0");
        r.add("PCF8574", "40", "channel 5 of the PCA9548A at 0xE0");
        r.bench.dialogs.files << file;
        r.click("btnSaveBench");
        QCOMPARE(r.bench.dialogs.of("save").size(), 1);
        for (int i = 0; i < r.rows(); ++i)
            // The command line names every address in its 7-bit form.
            listed << r.cell(i, 1) + "  " + r.cell(i, 2) + "  " + QString(r.cell(i, 3)).replace("0xE0", "0x70");
    }
    int code = -1;
    const QString out = cliOut({"bench", "list", "--bench-state", file}, &code);
    QCOMPARE(code, 0);
    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), listed.size());
    for (int i = 0; i < lines.size(); ++i)
        QVERIFY2(lines[i].startsWith(listed[i]), qPrintable(lines[i] + " / " + listed[i]));

    // And back: what the command line places, the window opens.
    QCOMPARE(cliOut({"bench", "place", "PCA9548A", "71", "--bench-state", file}, &code), QString());
    QCOMPARE(cliOut({"bench", "set", "20", "pin", "1", "low", "--bench-state", file}, &code), QString());
    Rig r;
    r.bench.dialogs.files << file;
    r.click("btnOpenBench");
    QCOMPARE(r.rows(), 4);
    QCOMPARE(r.cell(r.rowOf("PCF8574"), 4), QStringLiteral("latch FF, pins FD"));
    QCOMPARE(r.c<QComboBox>("cmbSegment")->count(), 1 + 8 + 8);
}

void TestBenchWindow::damagedBenchFileChangesNothing()
{
    QTemporaryDir dir;
    const QString file = dir.filePath("other.bench");
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("Tallyport bench state 2\nchip 40 PCF8574\nfield latch ZZ\n");
    f.close();
    Rig r;
    r.add("PCA9548A", "E0");
    r.c<QCheckBox>("chbPlaceForWindows")->click();
    const std::string before = tp::sim::BenchState::save(*r.bench.sim);
    r.bench.dialogs.files << file;
    r.click("btnOpenBench");
    QCOMPARE(r.bench.dialogs.of("error").size(), 1);
    const QString text = r.bench.dialogs.of("error").first().text;
    QVERIFY2(text.contains("was not opened: not a bench state: line 2: PCF8574: field latch is not hexadecimal"), qPrintable(text));
    QVERIFY2(text.contains("The bench is as it was."), qPrintable(text));
    QCOMPARE(tp::sim::BenchState::save(*r.bench.sim), before);
    QCOMPARE(r.rows(), 1);
    QVERIFY(!r.c<QCheckBox>("chbPlaceForWindows")->isChecked());
}

void TestBenchWindow::fixedBoardNacksLikeHardware()
{
    Rig r;
    QVERIFY(r.c<QCheckBox>("chbPlaceForWindows")->isChecked());
    r.c<QCheckBox>("chbPlaceForWindows")->click();
    QVERIFY(!r.bench.sim->placeForWindows());
    r.bench.main->deviceAction(kPcf8574)->trigger();
    QWidget* pcf = r.bench.main->windowReference("TfrmPCF8574");
    QTest::mouseClick(child<QPushButton>(pcf, "btnPCF8574Read"), Qt::LeftButton);
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    r.w->refresh();
    QCOMPARE(r.rows(), 0);
}

// A window's chip is on the bench as soon as the window opens, marked as the
// window's; the bench's own doings and the user's are notes in the log.
void TestBenchWindow::tableShowsWindowChipsAndNotes()
{
    Rig r;
    r.bench.main->deviceAction(kPcf8574)->trigger(); // both halves: PCF8574 at 40, PCF8574A at 70
    r.w->refresh();
    QCOMPARE(r.rows(), 2);
    const int row = r.rowOf("PCF8574");
    QCOMPARE(r.cell(row, 2), QStringLiteral("PCF8574 (for a window)"));
    QCOMPARE(r.cell(row, 3), QStringLiteral("main bus"));
    r.select("PCF8574");
    r.type("edtAddress", "42");
    r.click("btnMove");
    QCOMPARE(r.cell(r.rowOf("PCF8574"), 0), QStringLiteral("0x42"));
    QCOMPARE(r.cell(r.rowOf("PCF8574"), 2), QStringLiteral("PCF8574")); // the user's now
    r.click("btnRemove");
    QCOMPARE(r.rows(), 1);
    QStringList notes;
    const auto& log = r.bench.sim->log();
    for (std::size_t i = 0; i < log.size(); ++i)
        if (log.at(i).isNote())
            notes << QString::fromStdString(log.at(i).note);
    QVERIFY2(notes.contains("bench: placed a simulated PCF8574 at 0x40"), qPrintable(notes.join('\n')));
    QCOMPARE(notes.mid(notes.size() - 2), (QStringList{"bench: you moved the PCF8574 at 0x40 to 0x42 on the main bus",
                                                       "bench: you removed the PCF8574 at 0x42"}));
}

void TestBenchWindow::layout_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("1280") << 1280;
    QTest::newRow("half") << 640;
}

void TestBenchWindow::layout()
{
    QFETCH(int, width);
    Rig r;
    r.bench.main->resize(width, 800);
    r.bench.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(r.bench.main.get()));
    r.add("PCA9548A", "E0");
    r.add("EEPROM 256", "A0", "channel 2 of the PCA9548A at 0xE0");
    r.add("SA56004", "98");
    r.bench.main->deviceAction(kPcf8574)->trigger();
    r.c<QComboBox>("cmbFaultRepeat")->setCurrentIndex(2);
    r.click("btnArm");
    r.select("SA56004");
    auto* tabs = r.c<QTabWidget>("tabBench");
    for (int page = 0; page < tabs->count(); ++page) {
        tabs->setCurrentIndex(page);
        QTest::qWait(50);
        QCOMPARE(clippedControls(r.w), QStringList());
        saveShot(r.bench.main.get(), QStringLiteral("bench-%1-%2").arg(width).arg(page));
    }
}

TALLYPORT_TEST_MAIN(TestBenchWindow)
#include "tst_bench_window.moc"
