#include "core/common/HexText.h"
#include "core/memory/Pca9500File.h"
#include "core/sim/EepromChip.h"
#include "core/sim/QuasiBidirectionalPort.h"
#include "gui/common/HexField.h"
#include "gui/common/LedToggle.h"
#include "gui/memory/MemoryGridModel.h"
#include "gui/memory/MemoryGridView.h"
#include "gui/memory/PTN3500.h"
#include "tests/support/MemoryImages.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>

using tp::sim::EepromChip;
using tp::sim::Fault;
using tp::sim::QuasiBidirectionalPort;
using memtest::readFile;
using memtest::writeFile;

namespace {

const QString kPca9500 = QStringLiteral("PCA9500  8-bit I/O Port with 2K EE");
const QString kPca9501 = QStringLiteral("PCA9501  8-bit I/O Port with 2K EE");

// The window on a bench holding one chip at B0 (EEPROM) and 30 (port).
struct Rig {
    TestBench bench;
    EepromChip* ee;
    QuasiBidirectionalPort* port;
    TfrmPTN3500* w = nullptr;

    explicit Rig(const QString& chip = QStringLiteral("PCA9501"), std::size_t page = 16, std::uint64_t cycleUs = 5000)
    {
        EepromChip::Params p{256, page, cycleUs, (chip + " EEPROM").toStdString()};
        ee = static_cast<EepromChip*>(&bench.sim->place(0xB0, std::make_unique<EepromChip>(p)));
        port = static_cast<QuasiBidirectionalPort*>(
            &bench.sim->place(0x30, std::make_unique<QuasiBidirectionalPort>((chip + " port").toStdString(), 1)));
        bench.main->deviceAction(chip == "PCA9500" ? kPca9500 : kPca9501)->trigger();
        w = qobject_cast<TfrmPTN3500*>(bench.main->windowReference("TfrmPTN3500"));
        bench.clearLog();
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    MemoryGridView* grid() { return c<MemoryGridView>("stgMemory"); }
    QString cell(std::size_t a) { return QString::fromStdString(w->image().cellText(a)); }
    QString shownCell(std::size_t a)
    {
        return grid()->model()->data(grid()->gridModel()->indexOf(a), Qt::DisplayRole).toString();
    }
    void clickCell(std::size_t a)
    {
        MemoryGridView* g = grid();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->gridModel()->indexOf(a)).center());
    }
    void click(const QString& name)
    {
        auto* b = c<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
    }
    void type(const QString& field, const QString& keys)
    {
        auto* f = c<QLineEdit>(field);
        f->selectAll();
        QTest::keyClicks(f, keys);
    }
    void activate()
    {
        bench.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(bench.main.get()));
    }
    void setWriteTime(int ms) { c<QSpinBox>("spnCycleTime")->setValue(ms); }
    QAction* menu(const QString& name) { return c<QAction>(name); }
    // Write transfers carrying data to the EEPROM (not the polls).
    QStringList dataWrites()
    {
        return bench.transfers().filter(QRegularExpression("^W B0 [0-9A-F]{2} "));
    }
};

QByteArray record(const tp::Pca9500Record& r)
{
    const auto bytes = tp::Pca9500File::encode(r);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

} // namespace

class TestPtn3500 : public QObject {
    Q_OBJECT
private slots:
    void init();
    void formDefaults();
    void newWindowUsesWhatItShows();
    void bothEntriesOpenOneWindow();
    void writeAllInPagesVerifies_data();
    void writeAllInPagesVerifies();
    void writeAllStopsAtTheFirstFailure();
    void readAndWriteOneByte();
    void failedReadLeavesTheGrid();
    void portWithoutPointerByte();
    void addressFields_data();
    void addressFields();
    void gridTypingAndTabTidy();
    void writeTimeStyleAndSetData();
    void fileRoundTrip();
    void refusedFilesChangeNothing_data();
    void refusedFilesChangeNothing();
    void closingAsks_data();
    void closingAsks();
    void layoutFitsWideAndTiled();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
};

void TestPtn3500::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void TestPtn3500::formDefaults()
{
    Rig r;
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCA9500 / PCA9501 System Maintenance and Control Devices"));
    QVERIFY(qobject_cast<QMdiSubWindow*>(r.w->parentWidget())->isMaximized());
    QCOMPARE(r.c<QGroupBox>("grbIO")->title(), QStringLiteral("I/O Expander"));
    QCOMPARE(r.c<QGroupBox>("grbIO")->toolTip(), QStringLiteral("Click 'LEDs' to change state of I/Os"));
    QCOMPARE(r.c<HexField>("edtIOAddress")->text(), QStringLiteral("30"));
    QCOMPARE(r.c<HexField>("edtIOAddress")->toolTip(), QStringLiteral("Enter a hex value for the I/O Address"));
    QCOMPARE(r.c<HexField>("edtIO")->text(), QStringLiteral("FF"));
    QCOMPARE(r.c<HexField>("edtIO")->toolTip(), QStringLiteral("Enter a hex value for the Port data"));
    for (int b = 0; b < 8; ++b) {
        auto* led = r.c<LedToggle>(QStringLiteral("chbP%1").arg(b));
        QVERIFY(led->isChecked());
        QCOMPARE(led->text(), QStringLiteral("P%1").arg(b));
    }
    auto* autoWrite = r.c<LedToggle>("chbAuto");
    QCOMPARE(autoWrite->text(), QStringLiteral("Auto Write Off"));
    QVERIFY(!autoWrite->isChecked());
    QCOMPARE(autoWrite->toolTip(), QStringLiteral("Click to turn Auto Write on (green)/off (red)"));
    const QList<QStringList> buttons{{"btnIOWrite", "Write I/O", "Write to I/O port of device"},
                                     {"btnIORead", "Read I/O", "Read from I/O port of device"},
                                     {"btnReadOne", "Read &Byte", "Read byte defined by Word Address"},
                                     {"btnRead", "&Read All", "Read entire EEPROM"},
                                     {"btnWriteOne", "Write B&yte", "Write byte defined by Word Address"},
                                     {"btnWrite", "&Write All", "Write entire EEPROM"},
                                     {"btnVerify", "Verify", ""},
                                     {"btnSet", "Set Data", "Set entire grid with hex value"}};
    for (const QStringList& b : buttons) {
        QCOMPARE(r.c<QPushButton>(b[0])->text(), b[1]);
        QCOMPARE(r.c<QPushButton>(b[0])->toolTip(), b[2]);
    }
    QCOMPARE(r.c<QGroupBox>("grbAddress")->title(), QStringLiteral("EEPROM Address"));
    QCOMPARE(r.c<QGroupBox>("grbAddress")->toolTip(), QStringLiteral("EEPROM I\u00B2C Address"));
    QCOMPARE(r.c<HexField>("edtAddress")->text(), QStringLiteral("B0"));
    QCOMPARE(r.c<QGroupBox>("grbWord")->title(), QStringLiteral(" Word Address"));
    QCOMPARE(r.c<QLabel>("lblWord")->text(), QStringLiteral("00h    0d"));
    QCOMPARE(r.c<QGroupBox>("grbWriteTime")->title(), QStringLiteral(" Write Time (ms)"));
    QCOMPARE(r.c<QGroupBox>("grbWriteTime")->toolTip(), QStringLiteral("EEPROM Erase/Write Cycle Time (in milliseconds)"));
    auto* spn = r.c<QSpinBox>("spnCycleTime");
    QCOMPARE(spn->value(), 10);
    QCOMPARE(spn->minimum(), 0);
    QCOMPARE(spn->maximum(), 200);
    QVERIFY(!spn->font().bold());
    QCOMPARE(r.c<QGroupBox>("grbPreset")->title(), QStringLiteral(" Preset"));
    QCOMPARE(r.c<QLineEdit>("edtPreset")->text(), QStringLiteral("FF"));
    QCOMPARE(r.c<QLineEdit>("edtPreset")->toolTip(), QStringLiteral(" Grid can be filled with this value"));

    MemoryGridView* g = r.grid();
    QCOMPARE(g->model()->rowCount(), 16);
    QCOMPARE(g->model()->columnCount(), 16);
    QCOMPARE(g->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("0"));
    QCOMPARE(g->model()->headerData(15, Qt::Vertical).toString(), QStringLiteral("F"));
    for (std::size_t a = 0; a < 256; ++a)
        QCOMPARE(r.cell(a), QStringLiteral("FF"));
    QVERIFY(r.w->findChildren<MemoryGridView*>().size() == 1); // no ASCII grid

    QStringList menu;
    for (QAction* a : r.w->childMenus().first()->actions())
        menu << a->text();
    QCOMPARE(menu, (QStringList{"Open", "Save", "Save As...", "Close", "Close All", "E&xit"}));
    QCOMPARE(r.menu("mnuSave")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    QCOMPARE(r.w->childMenus().first()->title(), QStringLiteral("&File"));

    QCOMPARE(int(r.w->eepromAddress()), 0xB0);
    QCOMPARE(int(r.w->ioAddress()), 0x30);
    QCOMPARE(r.w->writeTimeUs(), 10000u);
    QVERIFY(!r.w->modified());
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPtn3500::newWindowUsesWhatItShows()
{
    Rig r;
    r.type("edtAddress", "A4");
    r.type("edtIOAddress", "42");
    r.setWriteTime(3);
    QCOMPARE(int(r.w->eepromAddress()), 0xA4);
    QCOMPARE(int(r.w->ioAddress()), 0x42);
    QCOMPARE(r.w->writeTimeUs(), 3000u);
    QVERIFY(r.w->modified());
    r.bench.dialogs.answers << Dialogs::Answer::No;
    r.w->parentWidget()->close();
    QTRY_VERIFY(!r.bench.main->windowReference("TfrmPTN3500"));

    // The next window shows its form's values and uses them.
    r.bench.main->deviceAction(kPca9501)->trigger();
    auto* w = qobject_cast<TfrmPTN3500*>(r.bench.main->windowReference("TfrmPTN3500"));
    QCOMPARE(child<HexField>(w, "edtAddress")->text(), QStringLiteral("B0"));
    QCOMPARE(int(w->eepromAddress()), 0xB0);
    QCOMPARE(int(w->ioAddress()), 0x30);
    QCOMPARE(w->writeTimeUs(), 10000u);
    QVERIFY(!w->modified());
    r.bench.clearLog();
    QTest::mouseClick(child<QPushButton>(w, "btnIOWrite"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "btnReadOne"), Qt::LeftButton);
    QCOMPARE(r.bench.transfers(), (QStringList{"W 30 FF", "W B0 00", "Sr R B0 FF"}));
    // Closing an untouched window asks nothing.
    const int asked = r.bench.dialogs.of("confirm").size();
    w->parentWidget()->close();
    QTRY_VERIFY(!r.bench.main->windowReference("TfrmPTN3500"));
    QCOMPARE(r.bench.dialogs.of("confirm").size(), asked);
}

void TestPtn3500::bothEntriesOpenOneWindow()
{
    TestBench b; // the bench places the chip the entry names
    b.main->deviceAction(kPca9500)->trigger();
    auto* w = qobject_cast<TfrmPTN3500*>(b.main->windowReference("TfrmPTN3500"));
    QVERIFY(w);
    QCOMPARE(w->variant(), tp::pca9500::Variant::Pca9500);
    QTest::mouseClick(child<QPushButton>(w, "btnIOWrite"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>(w, "btnWriteOne"), Qt::LeftButton);
    QCOMPARE(b.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(b.sim->chipAt(0x30)->type(), std::string("PCA9500 port"));
    QCOMPARE(b.sim->chipAt(0xB0)->type(), std::string("PCA9500 EEPROM"));
    QCOMPARE(int(b.sim->chipAt<EepromChip>(0xB0)->params().pageSize), 4);

    b.main->deviceAction(kPca9501)->trigger();
    QCOMPARE(b.main->windowReference("TfrmPTN3500"), w);
    QCOMPARE(b.main->childForms().size(), 1);
    QCOMPARE(w->variant(), tp::pca9500::Variant::Pca9501);
    QTest::mouseClick(child<QPushButton>(w, "btnReadOne"), Qt::LeftButton);
    QCOMPARE(b.sim->chipAt(0xB0)->type(), std::string("PCA9501 EEPROM"));
}

void TestPtn3500::writeAllInPagesVerifies_data()
{
    QTest::addColumn<QString>("chip");
    QTest::addColumn<int>("page");
    QTest::newRow("PCA9500, 4-byte pages") << "PCA9500" << 4;
    QTest::newRow("PCA9501, 16-byte pages") << "PCA9501" << 16;
}

void TestPtn3500::writeAllInPagesVerifies()
{
    QFETCH(QString, chip);
    QFETCH(int, page);
    Rig r(chip, std::size_t(page), 5000);
    std::vector<std::uint8_t> bytes(256);
    for (int a = 0; a < 256; ++a)
        bytes[std::size_t(a)] = std::uint8_t(255 - a);
    r.w->DisplayData(1, bytes);
    r.setWriteTime(0); // shorter than the chip's cycle: polling waits for it
    r.click("btnWrite");
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QVERIFY(r.ee->bytes() == bytes);

    // 64 pages of 4 bytes, each at a multiple of 4, each polled until the chip answers.
    const QStringList writes = r.dataWrites();
    QCOMPARE(writes.size(), 64);
    QCOMPARE(writes.first(), QStringLiteral("W B0 00 FF FE FD FC"));
    QCOMPARE(writes.last(), QStringLiteral("W B0 FC 03 02 01 00"));
    const QStringList all = r.bench.transfers();
    QVERIFY(all.indexOf("W B0") == all.indexOf(writes.first()) + 1); // a poll right after the page

    r.bench.clearLog();
    r.click("btnVerify");
    QCOMPARE(r.bench.statusText(), QStringLiteral(" Verification Successful"));
    QVERIFY(r.bench.dialogs.of("error").isEmpty());

    // A difference is reported with its address.
    r.ee->setByte(0x42, 0x00);
    r.click("btnVerify");
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Verification Error"));
    QCOMPARE(r.bench.dialogs.texts("error"),
             QStringList{"Device failed Verify at Address 0x42\rRead value=0x00\rCorrect value=0xBD"});
}

void TestPtn3500::writeAllStopsAtTheFirstFailure()
{
    {
        // The chip refuses the third data byte of the first page.
        Rig r("PCA9500", 4);
        Fault nack;
        nack.kind = Fault::Kind::DataNack;
        nack.address = 0xB0;
        nack.byteIndex = 3;
        r.bench.sim->inject(nack);
        r.click("btnWrite");
        QCOMPARE(r.bench.statusText(), QStringLiteral("  Data not acknowledged"));
        QCOMPARE(r.bench.transfers(), QStringList{"W B0 00 FF FF"}); // nothing after the failure
    }
    {
        // A chip whose write cycle outlasts any polling: the first page's
        // failure ends the write, never "successful".
        Rig r("PCA9501", 16, 2000000);
        r.setWriteTime(0);
        r.click("btnWrite");
        QVERIFY(r.bench.statusText() != QStringLiteral("Transmission successful"));
        QVERIFY(!r.bench.statusText().isEmpty());
        QCOMPARE(r.dataWrites(), QStringList{"W B0 00 FF FF FF FF"});
        QCOMPARE(int(r.ee->writeCycles()), 1);
    }
}

void TestPtn3500::readAndWriteOneByte()
{
    Rig r;
    r.ee->setByte(0x1F, 0x5A);
    r.clickCell(0x1F);
    QCOMPARE(r.c<QLabel>("lblWord")->text(), QStringLiteral("1Fh     31d"));
    QCOMPARE(r.w->wordAddress(), std::size_t(0x1F));
    r.click("btnReadOne");
    QCOMPARE(r.bench.transfers(), (QStringList{"W B0 1F", "Sr R B0 5A"}));
    QCOMPARE(r.shownCell(0x1F), QStringLiteral("5A"));
    QVERIFY(!r.w->modified()); // a read is not an edit

    // Keyboard movement does not change the word address.
    QTest::keyClick(r.grid(), Qt::Key_Right);
    QCOMPARE(r.w->wordAddress(), std::size_t(0x1F));

    r.clickCell(0xA7);
    QCOMPARE(r.c<QLabel>("lblWord")->text(), QStringLiteral("A7h     167d"));
    const std::uint8_t v[] = {0x77};
    r.w->DisplayData(0xA, std::span<const std::uint8_t>(v, 0)); // nothing
    r.w->image().setCellText(0xA7, "77");
    r.bench.clearLog();
    r.click("btnWriteOne");
    QCOMPARE(r.bench.transfers().first(), QStringLiteral("W B0 A7 77"));
    QCOMPARE(r.bench.transfers().at(1), QStringLiteral("W B0")); // acknowledge polling
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(int(r.ee->byte(0xA7)), 0x77);
    QVERIFY(!r.ee->inWriteCycle());
}

void TestPtn3500::failedReadLeavesTheGrid()
{
    Rig r;
    for (std::size_t a = 0; a < 256; ++a)
        r.ee->setByte(a, 0x11);
    Fault nack;
    nack.kind = Fault::Kind::AddressNack;
    nack.address = 0xB0;
    r.bench.sim->inject(nack);
    r.click("btnRead");
    QCOMPARE(r.bench.statusText(), QStringLiteral("  Address not acknowledged"));
    QCOMPARE(r.cell(0x80), QStringLiteral("FF"));
    r.click("btnRead");
    QCOMPARE(r.bench.statusText(), QStringLiteral("Transmission successful"));
    QCOMPARE(r.shownCell(0x80), QStringLiteral("11"));
    QCOMPARE(r.bench.transfers().mid(1), (QStringList{"W B0 00", "Sr R B0 " + QStringList(256, "11").join(' ')}));
}

void TestPtn3500::portWithoutPointerByte()
{
    Rig r;
    // Auto Write off: a click changes only the field.
    r.click("chbP3");
    QCOMPARE(r.c<HexField>("edtIO")->text(), QStringLiteral("F7"));
    QVERIFY(!r.c<LedToggle>("chbP3")->isChecked());
    QVERIFY(r.bench.transfers().isEmpty());
    QVERIFY(r.w->modified());
    r.click("btnIOWrite");
    QCOMPARE(r.bench.transfers(), QStringList{"W 30 F7"});
    QCOMPARE(int(r.port->latch()), 0xF7);

    // Auto Write on: the click writes once, the read writes nothing back.
    r.click("chbAuto");
    QCOMPARE(r.c<LedToggle>("chbAuto")->text(), QStringLiteral("Auto Write On"));
    r.bench.clearLog();
    r.click("chbP3");
    QCOMPARE(r.bench.transfers(), QStringList{"W 30 FF"});
    QVERIFY(r.c<QGroupBox>("grbIO")->isEnabled());
    r.port->setExternal(0, 0x5A);
    r.bench.clearLog();
    r.click("btnIORead");
    QCOMPARE(r.bench.transfers(), QStringList{"R 30 5A"});
    QCOMPARE(r.c<HexField>("edtIO")->text(), QStringLiteral("5A"));
    QVERIFY(!r.c<LedToggle>("chbP0")->isChecked());
    QVERIFY(r.c<LedToggle>("chbP1")->isChecked());
    QVERIFY(r.c<LedToggle>("chbAuto")->isChecked());
    QCOMPARE(int(r.port->latch()), 0xFF);

    // Typing the port value writes it with Auto Write on.
    r.bench.clearLog();
    r.type("edtIO", "0c");
    QCOMPARE(r.bench.transfers(), QStringList{"W 30 0C"});
}

void TestPtn3500::addressFields_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("message");
    QTest::newRow("EEPROM 21: message, used as 20") << "edtAddress" << "21" << 0x20 << "Invalid Address Entered for EEPROM";
    QTest::newRow("EEPROM A1") << "edtAddress" << "a1" << 0xA0 << "";
    QTest::newRow("I/O 80: message, used as 80") << "edtIOAddress" << "80" << 0x80 << "Invalid Address Entered for IO Expander";
    QTest::newRow("I/O 43") << "edtIOAddress" << "43" << 0x42 << "";
}

void TestPtn3500::addressFields()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, address);
    QFETCH(QString, message);
    Rig r;
    r.type(field, typed);
    QCOMPARE(r.c<HexField>(field)->text(), typed.toUpper());
    QCOMPARE(r.bench.dialogs.texts("information"), message.isEmpty() ? QStringList{} : QStringList{message});
    QCOMPARE(int(field == "edtAddress" ? r.w->eepromAddress() : r.w->ioAddress()), address);
    QVERIFY(r.w->modified());

    // Leaving a field half typed shows two digits, or the address in use.
    r.activate();
    auto* f = r.c<HexField>(field);
    f->setFocus();
    QTRY_VERIFY(f->hasFocus());
    f->selectAll();
    QTest::keyClicks(f, "9");
    QTest::keyClick(f, Qt::Key_Tab);
    QCOMPARE(f->text(), QStringLiteral("09"));
    QCOMPARE(int(field == "edtAddress" ? r.w->eepromAddress() : r.w->ioAddress()), 0x08);
    f->setFocus();
    QTRY_VERIFY(f->hasFocus());
    f->clear();
    QTest::keyClick(f, Qt::Key_Tab);
    QCOMPARE(f->text(), QStringLiteral("08"));
}

void TestPtn3500::gridTypingAndTabTidy()
{
    Rig r;
    r.activate();
    MemoryGridView* g = r.grid();
    g->setFocus();
    g->setCurrentIndex(g->gridModel()->indexOf(0x10));
    QTest::keyClicks(g, "a");
    QTest::keyClicks(QApplication::focusWidget(), "5");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(r.cell(0x10), QStringLiteral("A5"));
    QVERIFY(r.w->modified());

    // A key that is no hex digit changes nothing.
    g->setFocus();
    g->setCurrentIndex(g->gridModel()->indexOf(0x20));
    QTest::keyClicks(g, "g");
    QCOMPARE(QApplication::focusWidget(), g); // no editor opened
    QCOMPARE(r.cell(0x20), QStringLiteral("FF"));

    // Tab tidies the cell last clicked.
    for (const char* text : {" 5", "5 "}) {
        r.w->image().setCellText(0x33, text);
        r.clickCell(0x33);
        QTest::keyClick(g, Qt::Key_Tab);
        QCOMPARE(r.cell(0x33), QStringLiteral("05"));
    }
}

void TestPtn3500::writeTimeStyleAndSetData()
{
    Rig r;
    auto* spn = r.c<QSpinBox>("spnCycleTime");
    r.activate();
    spn->setFocus();
    QTest::keyClick(spn, Qt::Key_Down);
    QCOMPARE(spn->value(), 9);
    QCOMPARE(r.w->writeTimeUs(), 9000u);
    QVERIFY(spn->font().bold());
    QCOMPARE(spn->palette().color(QPalette::Text), QColor(Qt::red));
    QTest::keyClicks(spn, "55"); // typing is no way in
    QCOMPARE(spn->value(), 9);
    QTest::keyClick(spn, Qt::Key_Up);
    QVERIFY(!spn->font().bold());
    QVERIFY(spn->palette().color(QPalette::Text) != QColor(Qt::red));

    r.type("edtPreset", "3c");
    QCOMPARE(r.c<QLineEdit>("edtPreset")->text(), QStringLiteral("3C"));
    r.click("btnSet");
    for (std::size_t a : {0u, 0x80u, 0xFFu})
        QCOMPARE(r.shownCell(a), QStringLiteral("3C"));
    QVERIFY(r.bench.transfers().isEmpty());
}

void TestPtn3500::fileRoundTrip()
{
    Rig r;
    std::vector<std::uint8_t> bytes(256);
    for (int a = 0; a < 256; ++a)
        bytes[std::size_t(a)] = std::uint8_t(a * 7 + 3);
    r.w->DisplayData(1, bytes);
    r.click("chbP3"); // port F7
    QVERIFY(r.w->modified());

    const QString file = path("board");
    r.bench.dialogs.files << file;
    r.menu("mnuSave")->trigger(); // no name yet: asks for one
    const auto saves = r.bench.dialogs.of("save");
    QCOMPARE(saves.size(), 1);
    QCOMPARE(saves[0].request.title, QStringLiteral("Save As..."));
    QCOMPARE(saves[0].request.filters, QStringList{"Mem files (*.mem)"});
    QCOMPARE(saves[0].request.defaultSuffix, QStringLiteral("mem"));
    QVERIFY(!r.w->modified());
    QCOMPARE(r.w->windowTitle(), QStringLiteral("board.mem"));

    const QByteArray saved = readFile((file + ".mem").toStdString());
    QCOMPARE(saved.size(), 284);
    QCOMPARE(saved.left(18), QByteArray("\xB0" "PTN3500" "\xB1" "datafile3"));
    QCOMPARE(saved.mid(18, 6), QByteArray("\xB0\x00\x0A\x00\x00\x01", 6));
    QCOMPARE(saved.mid(24, 256), QByteArray(reinterpret_cast<const char*>(bytes.data()), 256));
    QCOMPARE(saved.mid(280, 4), QByteArray("\x30\x00\xF7\x00", 4));

    // Save again: no dialog, the same file; Save As now has its new title.
    r.w->image().setCellText(0, "00");
    r.menu("mnuSave")->trigger();
    QCOMPARE(r.bench.dialogs.of("save").size(), 1);
    QCOMPARE(readFile((file + ".mem").toStdString()).at(24), '\0');
    r.menu("mnuSaveAs")->trigger(); // cancelled
    QCOMPARE(r.bench.dialogs.of("save").last().request.title, QStringLiteral("Save PTN350x Data As"));
    QCOMPARE(r.bench.dialogs.of("save").last().request.fileName, QFileInfo(file + ".mem").absoluteFilePath());

    // Another file with other settings, opened in a fresh window.
    tp::Pca9500Record other;
    other.eepromAddress = 0xA4;
    other.writeTimeMs = 7;
    other.ioAddress = 0x44;
    other.port = 0x3C;
    for (int a = 0; a < 256; ++a)
        other.eeprom[std::size_t(a)] = std::uint8_t(a ^ 0x55);
    writeFile(path("other.mem").toStdString(), record(other));
    r.w->parentWidget()->close();
    QTRY_VERIFY(!r.bench.main->windowReference("TfrmPTN3500"));
    r.bench.main->deviceAction(kPca9501)->trigger();
    r.w = qobject_cast<TfrmPTN3500*>(r.bench.main->windowReference("TfrmPTN3500"));
    r.click("chbAuto");
    r.bench.clearLog();
    r.bench.dialogs.files << path("other.mem");
    r.menu("mnuOpen")->trigger();
    QCOMPARE(r.bench.dialogs.of("open").last().request.title, QStringLiteral("Open PTN350x Data File"));
    QCOMPARE(r.bench.dialogs.of("open").last().request.filters, QStringList{"Mem Files (*.mem)"});
    QCOMPARE(r.w->windowTitle(), QStringLiteral("other.mem"));
    QCOMPARE(r.c<HexField>("edtAddress")->text(), QStringLiteral("A4"));
    QCOMPARE(int(r.w->eepromAddress()), 0xA4);
    QCOMPARE(r.c<QSpinBox>("spnCycleTime")->value(), 7);
    QCOMPARE(r.w->writeTimeUs(), 7000u);
    QCOMPARE(r.c<HexField>("edtIOAddress")->text(), QStringLiteral("44"));
    QCOMPARE(int(r.w->ioAddress()), 0x44);
    QCOMPARE(r.c<HexField>("edtIO")->text(), QStringLiteral("3C"));
    QVERIFY(!r.c<LedToggle>("chbP0")->isChecked());
    QVERIFY(r.c<LedToggle>("chbP2")->isChecked());
    QCOMPARE(r.bench.transfers(), QStringList{"W 44 3C"}); // the port value, with Auto Write on
    for (int a = 0; a < 256; ++a)
        QCOMPARE(r.shownCell(std::size_t(a)), QString::fromStdString(tp::byteText(std::uint8_t(a ^ 0x55))));
    QVERIFY(!r.w->modified()); // opening is no edit

    // Saved back unchanged, byte for byte.
    r.menu("mnuSave")->trigger();
    QCOMPARE(readFile(path("other.mem").toStdString()), record(other));

    // A longer file (bytes after the record) opens, and saving leaves exactly the record.
    writeFile(path("long.mem").toStdString(), record(other) + QByteArray(116, '\x77'));
    r.bench.dialogs.files << path("long.mem");
    r.menu("mnuOpen")->trigger();
    QCOMPARE(r.w->windowTitle(), QStringLiteral("long.mem"));
    r.menu("mnuSave")->trigger();
    QCOMPARE(readFile(path("long.mem").toStdString()), record(other));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 3); // no temporary left behind
}

void TestPtn3500::refusedFilesChangeNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    const QByteArray good = record(tp::Pca9500Record{});
    QTest::newRow("100 bytes with a sound header") << good.left(100);
    QTest::newRow("283 bytes") << good.left(283);
    QTest::newRow("10 bytes") << good.left(10);
    QByteArray small = QByteArray("TarnwickSmallEE256\xA0\x08\x0A\x00\x00\x01", 24) + QByteArray(256, '\x11');
    QTest::newRow("a small memory record") << small;
    QByteArray time = good;
    time[20] = char(0x2C); // 300 ms
    time[21] = char(0x01);
    QTest::newRow("write time 300 ms") << time;
    QByteArray port = good;
    port[283] = 0x01;
    QTest::newRow("port above FF") << port;
}

void TestPtn3500::refusedFilesChangeNothing()
{
    QFETCH(QByteArray, content);
    Rig r;
    r.w->DisplayData(1, std::vector<std::uint8_t>(256, 0x22));
    r.click("chbP7");
    writeFile(path("bad.mem").toStdString(), content);
    r.bench.dialogs.files << path("bad.mem");
    r.menu("mnuOpen")->trigger();
    QCOMPARE(r.bench.statusText(), QStringLiteral(" Invalid Data File"));
    QCOMPARE(r.bench.status().background, tp::colour::Red);
    QCOMPARE(r.bench.status().textColour, tp::colour::White);
    QCOMPARE(r.w->windowTitle(), QStringLiteral("PCA9500 / PCA9501 System Maintenance and Control Devices"));
    QCOMPARE(r.cell(5), QStringLiteral("22"));
    QCOMPARE(r.c<HexField>("edtIO")->text(), QStringLiteral("7F"));
    QCOMPARE(r.c<HexField>("edtAddress")->text(), QStringLiteral("B0"));
    QCOMPARE(r.c<QSpinBox>("spnCycleTime")->value(), 10);
    QVERIFY(r.bench.dialogs.of("error").isEmpty());
    // The next Save still asks where to: the refused file is not its target.
    r.menu("mnuSave")->trigger();
    QCOMPARE(r.bench.dialogs.of("save").size(), 1);
    QCOMPARE(readFile(path("bad.mem").toStdString()), content);
}

void TestPtn3500::closingAsks_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("answer"); // Dialogs::Answer
    QTest::addColumn<bool>("fileChosen");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("close box, Cancel") << "box" << int(Dialogs::Answer::Cancel) << false << false << false;
    QTest::newRow("close box, No") << "box" << int(Dialogs::Answer::No) << false << true << false;
    QTest::newRow("close box, Yes, save cancelled") << "box" << int(Dialogs::Answer::Yes) << false << false << false;
    QTest::newRow("close box, Yes, saved") << "box" << int(Dialogs::Answer::Yes) << true << true << true;
    QTest::newRow("File Close, Cancel") << "mnuClose" << int(Dialogs::Answer::Cancel) << false << false << false;
    QTest::newRow("File Close, Yes, saved") << "mnuClose" << int(Dialogs::Answer::Yes) << true << true << true;
    QTest::newRow("Close All, Cancel") << "mnuCloseAll" << int(Dialogs::Answer::Cancel) << false << false << false;
    QTest::newRow("Close All, No") << "mnuCloseAll" << int(Dialogs::Answer::No) << false << true << false;
}

void TestPtn3500::closingAsks()
{
    QFETCH(QString, how);
    QFETCH(int, answer);
    QFETCH(bool, fileChosen);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    Rig r;
    r.w->image().setCellText(3, "44");
    r.type("edtPreset", "12");
    r.click("btnSet");
    QVERIFY(r.w->modified());
    r.bench.dialogs.answers << Dialogs::Answer(answer);
    if (fileChosen)
        r.bench.dialogs.files << path("closing.mem");
    if (how == "box")
        r.w->parentWidget()->close();
    else
        r.menu(how)->trigger();
    QCoreApplication::processEvents();
    QCOMPARE(r.bench.dialogs.texts("confirm"), QStringList{"Save Data?"});
    QCOMPARE(r.bench.dialogs.of("confirm").first().caption, QStringLiteral("Confirm"));
    if (closes)
        QTRY_VERIFY(!r.bench.main->windowReference("TfrmPTN3500"));
    else
        QCOMPARE(r.bench.main->windowReference("TfrmPTN3500"), r.w);
    QCOMPARE(QFileInfo::exists(path("closing.mem")), saved);
    if (saved)
        QCOMPARE(readFile(path("closing.mem").toStdString()).at(24 + 0x80), '\x12');
}

void TestPtn3500::layoutFitsWideAndTiled()
{
    Rig r;
    r.bench.main->resize(1280, 800);
    r.activate();
    QCoreApplication::processEvents();
    QVERIFY(r.grid()->x() > r.c<QWidget>("pnlEEPROMControls")->width()); // the grid beside the controls
    QCOMPARE(clippedControls(r.w), QStringList());
    QVERIFY(r.w->minimumSizeHint().width() <= r.bench.main->mdiArea()->viewport()->width());
    r.clickCell(0x5B);
    saveShot(r.bench.main.get(), "ptn3500");

    QStringList order;
    QWidget* first = r.c<QWidget>("edtIOAddress");
    QWidget* w = first;
    do {
        if ((w->focusPolicy() & Qt::TabFocus) && r.w->isAncestorOf(w) && !w->objectName().isEmpty() &&
            !w->objectName().startsWith("qt_"))
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != first);
    QCOMPARE(order, (QStringList{"edtIOAddress", "edtIO", "btnIOWrite", "btnIORead", "chbP7", "chbP6", "chbP5",
                                 "chbP4", "chbP3", "chbP2", "chbP1", "chbP0", "chbAuto", "edtAddress", "spnCycleTime",
                                 "btnReadOne", "btnRead", "btnWriteOne", "btnWrite", "btnVerify", "edtPreset", "btnSet",
                                 "stgMemory"}));

    auto* sub = qobject_cast<QMdiSubWindow*>(r.w->parentWidget());
    sub->showNormal();
    const QSize area = r.bench.main->mdiArea()->viewport()->size();
    sub->setGeometry(0, 0, area.width() / 2, area.height());
    QCoreApplication::processEvents();
    QVERIFY(r.w->width() < 640);
    const QStringList clipped =
        clippedControls(r.w).filter(QRegularExpression("^(?!.*beyond qt_scrollarea_viewport)"));
    QCOMPARE(clipped, QStringList());
    auto* scroll = r.c<QScrollArea>("scrContent");
    QVERIFY(!scroll->horizontalScrollBar()->isVisible());
    saveShot(r.bench.main.get(), "ptn3500-tiled");
}

TALLYPORT_TEST_MAIN(TestPtn3500)
#include "tst_ptn3500.moc"
