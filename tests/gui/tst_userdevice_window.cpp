#include "tests/gui/UserDeviceFixture.h"
#include "tests/support/WindowChecks.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>

using Answer = Dialogs::Answer;
using tp::sim::Fault;

namespace {

// A .def file of MaxRegister 20 with register 5 named.
QByteArray smallDefinition(const QString& name = QStringLiteral("Fan Controller"))
{
    return crlfLines({"[Device Data]", "Address=5C", "MaxRegister=20", "Name=" + name, "[Register Data]",
                      "0=12", "5=C3", "20=7E", "[Register Description]", "5=Status, bit 7; see %x = 5"});
}

} // namespace

class TestUserDeviceWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<UserDeviceFixture>(); }
    void cleanup() { f.reset(); }

    void opensFromTheDeviceMenu();
    void controls_data();
    void controls();
    void menus_data();
    void menus();
    void statusBlankedCentredOnActivation();
    void tabOrderFollowsTheLayout();

    void addressField();
    void addressFieldLeftEmptyIsAnInvalidNumber();
    void cellEditing();
    void selectingShowsTheRegister();

    void writeAllIsOneTransfer();
    void byteModeTransfers();
    void readAllFillsTheGrid();
    void byteModeStopsAtTheFirstFailure();
    void readAllFailingPartWayChangesNothing_data();
    void readAllFailingPartWayChangesNothing();
    void cancelStopsBetweenTransfers_data();
    void cancelStopsBetweenTransfers();
    void singleRegisterTransfers();
    void singleTransfersRefuseUndefinedRegisters();

    void openShowsTheFile();
    void openRefusesABadFile_data();
    void openRefusesABadFile();
    void openCancelledChangesNothing();
    void openAsksToSaveChanges();
    void saveAndSaveAs();
    void saveKeepsTheEncodingItWasReadIn();
    void saveAsCancelledKeepsTheFlag();
    void closeAsks_data();
    void closeAsks();
    void ampersandInPath();
    void recentListSurvivesARestart();
    void recentListKeepsFourAndDropsMissingFiles();
    void resetGrid();
    void textExport();
    void printsToPdf();

    void layoutFitsTheFrame_data();
    void layoutFitsTheFrame();

private:
    std::unique_ptr<UserDeviceFixture> f;
};

// ------------------------------------------------------------------ window

void TestUserDeviceWindow::opensFromTheDeviceMenu()
{
    QVERIFY(f->bench->main->deviceAction("User Definable Device")->isEnabled());
    QCOMPARE(f->w->windowTitle(), QString("User Definable Device"));
    QCOMPARE(f->bench->main->windowReference("TfrmLongI2C"), f->w);
    QVERIFY(qobject_cast<QMdiSubWindow*>(f->w->parentWidget())->isMaximized());
    QCOMPARE(f->bench->main->openCaption("User Definable Device"), f->w);

    QAbstractItemModel* m = f->grid()->model();
    QCOMPARE(m->rowCount(), 16);
    QCOMPARE(m->columnCount(), 16);
    QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QString("0"));
    QCOMPARE(m->headerData(15, Qt::Horizontal).toString(), QString("F"));
    QCOMPARE(m->headerData(10, Qt::Vertical).toString(), QString("A"));
    QCOMPARE(f->cell(0), QString("FF"));
    QCOMPARE(f->cell(255), QString("FF"));
    QCOMPARE(f->panel(), QString("0x00: Undefined Register"));
    QCOMPARE(f->address()->text(), QString("A0"));
    QVERIFY(!child<QCheckBox>(f->w, "chbOneAtATime")->isChecked());
}

void TestUserDeviceWindow::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    const QList<QStringList> rows{
        {"edtAddress", "A0", "Enter the device write address (even number)"},
        {"grbAddress", "Address (hex)", "Device Address"},
        {"btnWriteOne", "Write B&yte", "Write to one register"},
        {"btnReadOne", "Read &Byte", "Read one register"},
        {"btnWrite", "&Write All", "Write to all registers"},
        {"btnRead", "&Read All", "Read entire EEPROM"},
        {"chbOneAtATime", "Byte Mode", "Send one byte per Start/Stop"},
        {"grbCreateControl", "Create Control", ""},
        {"btnSlider", "Slider Control", "Create slider control for current register"},
        {"btnSpin", "Spin Control", "Create slider control for current register"},
        {"btnBits", "Bit Control", "Create Bit Control for current register"},
        {"pnlRegister", "0x00: Undefined Register", "Address and name of active register"},
    };
    for (const QStringList& r : rows)
        QTest::newRow(qPrintable(r[0])) << r[0] << r[1] << r[2];
}

void TestUserDeviceWindow::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    QWidget* widget = child<QWidget>(f->w, name);
    QCOMPARE(widget->toolTip(), hint);
    if (auto* b = qobject_cast<QAbstractButton*>(widget))
        QCOMPARE(b->text(), text);
    else if (auto* e = qobject_cast<QLineEdit*>(widget))
        QCOMPARE(e->text(), text);
    else if (auto* l = qobject_cast<QLabel*>(widget))
        QCOMPARE(l->text(), text);
    else if (auto* g = qobject_cast<QGroupBox*>(widget))
        QCOMPARE(g->title(), text);
}

void TestUserDeviceWindow::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("entries"); // "text|shortcut", "-" for a separator; visible entries only
    QTest::newRow("file") << "mnuFile"
                          << QStringList{"Define New Device|",
                                         "Open Device Definition File|Ctrl+O",
                                         "Save|Ctrl+S",
                                         "Save As...|",
                                         "Save Registers in text format|",
                                         "Print Device Data|Ctrl+P",
                                         "Close|",
                                         "Close All|",
                                         "-",
                                         "E&xit|"};
    QTest::newRow("edit") << "mnuEdit" << QStringList{"Current Device|", "Current Register|", "Reset Grid|"};
    QTest::newRow("context") << "mnuPopup"
                             << QStringList{"Use Slider to Change Active Register|",
                                            "Use Bit Control to Change Active Register|",
                                            "Increment/Decrement Active Register Spin Control|",
                                            "Edit Current Device Data|", "Edit Current Register|"};
}

void TestUserDeviceWindow::menus()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, entries);
    QMenu* m = f->menu(menu);
    QStringList got;
    for (QAction* a : m->actions())
        if (a->isVisible())
            got << (a->isSeparator() ? QString("-") : a->text() + '|' + a->shortcut().toString());
    QCOMPARE(got, entries);
    if (menu != "mnuPopup")
        QVERIFY(f->bench->main->menuBar()->actions().contains(m->menuAction()));
}

void TestUserDeviceWindow::statusBlankedCentredOnActivation()
{
    f->bench->main->ErrorMessage(tp::status::AddressNack);
    f->bench->main->openCaption("Expert Mode");
    f->bench->main->openCaption("User Definable Device");
    QCOMPARE(f->bench->status(), tp::blankMessage(tp::Align::Centre));
}

void TestUserDeviceWindow::tabOrderFollowsTheLayout()
{
    QCOMPARE(tabChain(f->w), (QStringList{"edtAddress", "btnWriteOne", "btnReadOne", "btnWrite", "btnRead",
                                          "chbOneAtATime", "btnSlider", "btnSpin", "btnBits", "stgMemory"}));
}

// ------------------------------------------------------------------ fields and cells

void TestUserDeviceWindow::addressField()
{
    HexField* a = f->address();
    a->setFocus();
    a->selectAll();
    QTest::keyClicks(a, "a1");
    QCOMPARE(a->text(), QString("A0"));
    QCOMPARE(f->device().address(), std::uint8_t(0xA0));

    a->selectAll();
    QTest::keyClicks(a, "5");
    QCOMPARE(f->device().address(), std::uint8_t(0xA0)); // one digit: nothing yet
    f->grid()->setFocus();
    QCOMPARE(a->text(), QString("04"));
    QCOMPARE(f->device().address(), std::uint8_t(0x04));
    f->click("btnWriteOne");
    QCOMPARE(f->bench->transfers(), QStringList{"W 04 00 FF"});

    // The window-wide filter lets only hex keys through.
    a->setFocus();
    a->selectAll();
    QTest::keyClicks(a, "g 4e");
    QCOMPARE(a->text(), QString("4E"));
}

void TestUserDeviceWindow::addressFieldLeftEmptyIsAnInvalidNumber()
{
    HexField* a = f->address();
    a->setFocus();
    a->selectAll();
    QTest::keyClick(a, Qt::Key_Backspace);
    f->grid()->setFocus();
    QCOMPARE(f->dialogs().texts("error"), QStringList{"'$' is not a valid integer value."});
    QCOMPARE(f->device().address(), std::uint8_t(0xA0));
}

void TestUserDeviceWindow::cellEditing()
{
    QTableView* g = f->grid();
    g->setFocus();
    f->select(0x12);
    QTest::keyClicks(g, "3");
    QVERIFY(f->device().modified()); // starting an edit counts
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents(); // the cell takes the text after the key
    QCOMPARE(f->cell(0x12), QString("03"));

    f->select(0x13);
    QTest::keyClicks(g, "a");
    QTest::keyClicks(QApplication::focusWidget(), "bc");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents(); // the cell takes the text after the key
    QCOMPARE(f->cell(0x13), QString("AB"));

    f->select(0x14);
    QTest::keyClick(g, Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents(); // the cell takes the text after the key
    QCOMPARE(f->cell(0x14), QString("FF"));
    // Still typing when Write Byte is pressed from the keyboard: the typed value goes.
    f->select(0x15);
    QTest::keyClicks(g, "7");
    f->w->btnWriteOneClick();
    QCOMPARE(f->cell(0x15), QString("07"));
    QCOMPARE(f->bench->transfers(), QStringList{"W A0 15 07"});
}

void TestUserDeviceWindow::selectingShowsTheRegister()
{
    f->openFile(f->writeFile("small.def", smallDefinition()));
    f->select(5);
    QCOMPARE(f->panel(), QString("0x05: Status, bit 7; see %x = 5"));
    f->select(21);
    QCOMPARE(f->panel(), QString("Invalid Register selection"));
    QVERIFY(!(f->grid()->model()->flags(f->w->gridModel()->indexOf(21)) & Qt::ItemIsEditable));
}

// ------------------------------------------------------------------ bus

void TestUserDeviceWindow::writeAllIsOneTransfer()
{
    // A new window writes to the address its field shows (A0), never to 00.
    f->device().setValue(0, 0x11);
    f->device().setValue(255, 0x99);
    f->click("btnWrite");
    const QStringList log = f->bench->transfers();
    QCOMPARE(log.size(), 1);
    QVERIFY(log[0].startsWith("W A0 00 11 FF FF"));
    QVERIFY(log[0].endsWith("FF 99"));
    QCOMPARE(log[0].split(' ').size(), 2 + 1 + 256);
    QCOMPARE(f->chip->reg(0), std::uint8_t(0x11));
    QCOMPARE(f->chip->reg(255), std::uint8_t(0x99));
    QCOMPARE(f->bench->statusText(), QString("Transmission successful"));

    // An adapter that takes 33 bytes at a time (an SMBus block write) gets
    // eight pieces, each starting with its register.
    f->bench->sim->setMaxTransferLength(33);
    f->bench->clearLog();
    f->click("btnWrite");
    const QStringList pieces = f->bench->transfers();
    QCOMPARE(pieces.size(), 8);
    for (int p = 0; p < 8; ++p) {
        QVERIFY2(pieces[p].startsWith(QStringLiteral("W A0 %1 ").arg(p * 32, 2, 16, QChar('0')).toUpper()),
                 qPrintable(pieces[p]));
        QCOMPARE(pieces[p].split(' ').size(), 2 + 1 + 32);
    }
    QVERIFY(pieces[7].endsWith("FF 99"));
    QCOMPARE(f->bench->statusText(), QString("Transmission successful"));
}

void TestUserDeviceWindow::byteModeTransfers()
{
    f->openFile(f->writeFile("small.def", smallDefinition()));
    f->w->setAddress(0xA0);
    child<QCheckBox>(f->w, "chbOneAtATime")->setChecked(true);
    f->bench->clearLog();
    f->click("btnWrite");
    QStringList expected;
    for (int i = 0; i <= 20; ++i)
        expected << QStringLiteral("W A0 %1 %2")
                        .arg(i, 2, 16, QChar('0'))
                        .arg(f->device().valueText(i).c_str())
                        .toUpper();
    QCOMPARE(f->bench->transfers(), expected);

    f->bench->clearLog();
    f->click("btnRead");
    expected.clear();
    for (int i = 0; i <= 20; ++i)
        expected << QStringLiteral("W A0 %1").arg(i, 2, 16, QChar('0')).toUpper()
                 << QStringLiteral("Sr R A0 %1").arg(f->device().valueText(i).c_str());
    QCOMPARE(f->bench->transfers(), expected);
}

void TestUserDeviceWindow::readAllFillsTheGrid()
{
    f->click("btnRead");
    const QStringList log = f->bench->transfers();
    QCOMPARE(log.size(), 2);
    QCOMPARE(log[0], QString("W A0 00"));
    QVERIFY(log[1].startsWith("Sr R A0 5A 5B 58"));
    QCOMPARE(f->cell(0), QString("5A"));
    QCOMPARE(f->cell(0xFF), QString("A5"));
    QVERIFY(!f->device().modified());
    // Nothing is written back.
    QVERIFY(!log.join('|').contains("W A0 00 "));

    // An adapter that reads 64 bytes at a time: four pointer-and-read pairs.
    f->bench->sim->setMaxTransferLength(64);
    f->chip->setReg(0xC0, 0x11);
    f->bench->clearLog();
    f->click("btnRead");
    const QStringList pieces = f->bench->transfers();
    QCOMPARE(pieces.size(), 8);
    for (int p = 0; p < 4; ++p) {
        QCOMPARE(pieces[2 * p], QStringLiteral("W A0 %1").arg(p * 64, 2, 16, QChar('0')).toUpper());
        QCOMPARE(pieces[2 * p + 1].split(' ').size(), 3 + 64);
    }
    QCOMPARE(f->cell(0xC0), QString("11"));
    QCOMPARE(f->cell(0xFF), QString("A5"));
}

void TestUserDeviceWindow::byteModeStopsAtTheFirstFailure()
{
    child<QCheckBox>(f->w, "chbOneAtATime")->setChecked(true);
    f->bench->sim->inject(Fault{Fault::Kind::AddressNack, std::uint8_t(0xA0), 0, -1});
    f->click("btnWrite");
    QCOMPARE(f->bench->transfers().size(), 1);
    QCOMPARE(f->bench->statusText(), QString("  Address not acknowledged"));
    f->bench->clearLog();
    f->click("btnRead");
    QCOMPARE(f->bench->transfers().size(), 1);
    QCOMPARE(f->cell(0), QString("FF"));
}

void TestUserDeviceWindow::readAllFailingPartWayChangesNothing_data()
{
    QTest::addColumn<bool>("byteMode");
    QTest::addColumn<int>("maxTransfer"); // 0: the bench's own
    QTest::addColumn<int>("readsBefore"); // transactions that succeed first
    QTest::addColumn<int>("fault");       // Fault::Kind
    QTest::addColumn<QString>("status");
    QTest::newRow("byte mode, fourth register")
        << true << 0 << 3 << int(Fault::Kind::AddressNack) << "  Address not acknowledged";
    QTest::newRow("byte mode, last register") << true << 0 << 255 << int(Fault::Kind::TimeOut) << "  I\u00B2C Time-Out";
    QTest::newRow("third piece of 64") << false << 64 << 2 << int(Fault::Kind::TimeOut) << "  I\u00B2C Time-Out";
    QTest::newRow("last piece of 33") << false << 33 << 7 << int(Fault::Kind::AddressNack)
                                      << "  Address not acknowledged";
}

void TestUserDeviceWindow::readAllFailingPartWayChangesNothing()
{
    QFETCH(bool, byteMode);
    QFETCH(int, maxTransfer);
    QFETCH(int, readsBefore);
    QFETCH(int, fault);
    QFETCH(QString, status);
    child<QCheckBox>(f->w, "chbOneAtATime")->setChecked(byteMode);
    if (maxTransfer)
        f->bench->sim->setMaxTransferLength(std::size_t(maxTransfer));
    f->device().setValue(0, 0x12);
    f->device().setValue(0x80, 0x34);
    f->bench->sim->inject(Fault{Fault::Kind(fault), std::uint8_t(0xA0), 0, 1, readsBefore});
    f->click("btnRead");
    QCOMPARE(f->bench->statusText(), status);
    // Some registers did arrive before the failure ...
    QVERIFY(f->bench->transfers().join('|').contains("Sr R A0 5A"));
    // ... yet the grid shows none of them.
    QCOMPARE(f->cell(0), QString("12"));
    QCOMPARE(f->cell(1), QString("FF"));
    QCOMPARE(f->cell(0x80), QString("34"));
    QCOMPARE(f->cell(0xFF), QString("FF"));

    // Read again without the fault: all of it.
    f->click("btnRead");
    QCOMPARE(f->cell(0), QString("5A"));
    QCOMPARE(f->cell(0x80), QString("DA"));
    QCOMPARE(f->cell(0xFF), QString("A5"));
}

void TestUserDeviceWindow::cancelStopsBetweenTransfers_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<bool>("byteMode");
    QTest::addColumn<int>("maxTransfer"); // 0: the bench's own
    QTest::addColumn<int>("perTransfer"); // registers each transfer carries
    QTest::newRow("Read All, byte mode") << false << true << 0 << 1;
    QTest::newRow("Write All, byte mode") << true << true << 0 << 1;
    QTest::newRow("Read All, pieces of 8") << false << false << 8 << 8;
    QTest::newRow("Write All, pieces of 8") << true << false << 9 << 8;
}

void TestUserDeviceWindow::cancelStopsBetweenTransfers()
{
    QFETCH(bool, write);
    QFETCH(bool, byteMode);
    QFETCH(int, maxTransfer);
    QFETCH(int, perTransfer);
    child<QCheckBox>(f->w, "chbOneAtATime")->setChecked(byteMode);
    if (maxTransfer)
        f->bench->sim->setMaxTransferLength(std::size_t(maxTransfer));
    for (int i = 0; i < 256; ++i)
        f->device().setValue(i, std::uint8_t(i ^ 0x33));
    const std::vector<std::uint8_t> chipBefore = [&] {
        std::vector<std::uint8_t> v;
        for (int i = 0; i < 256; ++i)
            v.push_back(f->chip->reg(std::uint8_t(i)));
        return v;
    }();
    f->w->setProgressDelayMs(0);
    f->bench->sim->setTransferDelayUs(20000);
    f->bench->clearLog();

    bool pressed = false;
    QTimer::singleShot(300, f->w, [&] {
        auto* dlg = f->w->findChild<QProgressDialog*>();
        QVERIFY(dlg);
        QCOMPARE(dlg->labelText(), write ? QString("Writing...") : QString("Reading..."));
        QTest::mouseClick(dlg->findChild<QPushButton*>(), Qt::LeftButton);
        pressed = true;
    });
    f->click(write ? "btnWrite" : "btnRead");
    QVERIFY(pressed);
    QVERIFY(!f->w->findChild<QProgressDialog*>());

    // It says how far it got, in whole transfers, and that is what went over the bus.
    const QRegularExpressionMatch m =
        QRegularExpression(R"(^ Transfer cancelled after (\d+) of 256 bytes$)").match(f->bench->statusText());
    QVERIFY2(m.hasMatch(), qPrintable(f->bench->statusText()));
    const int done = m.captured(1).toInt();
    QVERIFY2(done > 0 && done < 256 && done % perTransfer == 0, qPrintable(QString::number(done)));
    const QStringList log = f->bench->transfers();
    QCOMPARE(log.size(), (write ? 1 : 2) * done / perTransfer);
    for (int i = 0; i < 256; ++i) {
        const std::uint8_t want = write && i < done ? std::uint8_t(i ^ 0x33) : chipBefore[std::size_t(i)];
        QCOMPARE(f->chip->reg(std::uint8_t(i)), want);
    }
    // A cancelled read leaves the grid as it was.
    QCOMPARE(f->cell(0), QString("33"));
    QCOMPARE(f->cell(255), QString("CC"));

    // The next run goes to the end.
    f->bench->sim->setTransferDelayUs(0);
    f->click(write ? "btnWrite" : "btnRead");
    QCOMPARE(f->bench->statusText(), QString("Transmission successful"));
    QCOMPARE(f->chip->reg(255), write ? std::uint8_t(0xCC) : chipBefore[255]);
}

void TestUserDeviceWindow::singleRegisterTransfers()
{
    f->select(0x1F);
    f->click("btnReadOne");
    QCOMPARE(f->bench->transfers(), (QStringList{"W A0 1F", "Sr R A0 45"}));
    QCOMPARE(f->cell(0x1F), QString("45"));
    f->device().setValue(0x1F, 0x3C);
    f->bench->clearLog();
    f->click("btnWriteOne");
    QCOMPARE(f->bench->transfers(), QStringList{"W A0 1F 3C"});
    QCOMPARE(f->chip->reg(0x1F), std::uint8_t(0x3C));
}

void TestUserDeviceWindow::singleTransfersRefuseUndefinedRegisters()
{
    f->openFile(f->writeFile("small.def", smallDefinition()));
    f->select(0x15);
    f->bench->clearLog();
    f->click("btnWriteOne");
    f->click("btnReadOne");
    QCOMPARE(f->bench->transfers(), QStringList());
    QCOMPARE(f->dialogs().texts("information"),
             (QStringList{"Invalid Register selection", "Invalid Register selection"}));
}

// ------------------------------------------------------------------ files

void TestUserDeviceWindow::openShowsTheFile()
{
    const QString path = f->writeFile("small.def", smallDefinition());
    f->openFile(path);
    const auto open = f->dialogs().of("open");
    QCOMPARE(open.size(), 1);
    QCOMPARE(open[0].request.title, QString("Open Defined Device"));
    QCOMPARE(open[0].request.filters, (QStringList{"Definition files (*.def)", "All files (*.*)"}));
    QCOMPARE(open[0].request.defaultSuffix, QString("def"));

    QCOMPARE(f->w->windowTitle(), QString("Fan Controller"));
    QCOMPARE(f->address()->text(), QString("5C"));
    QCOMPARE(f->grid()->model()->rowCount(), 2);
    QCOMPARE(f->cell(0), QString("12"));
    QCOMPARE(f->cell(1), QString("FF"));
    QCOMPARE(f->cell(5), QString("C3"));
    QCOMPARE(f->cell(20), QString("7E"));
    for (int i = 21; i <= 31; ++i) {
        QCOMPARE(f->cell(i), QString());
        QCOMPARE(f->w->gridModel()->indexOf(i).data(Qt::BackgroundRole).value<QBrush>().color().blue() > 150,
                 true);
    }
    QVERIFY(!f->device().modified());
    QCOMPARE(QString::fromStdString(f->device().currentFile()), path);
    QCOMPARE(f->recentCaptions(), QStringList{path});
    QVERIFY(f->action("mnuRecentSeparator")->isVisible());
}

void TestUserDeviceWindow::openRefusesABadFile_data()
{
    QTest::addColumn<QString>("maxRegister");
    QTest::newRow("999") << "999";
    QTest::newRow("-1") << "-1";
    QTest::newRow("abc") << "abc";
}

void TestUserDeviceWindow::openRefusesABadFile()
{
    QFETCH(QString, maxRegister);
    const QString good = f->writeFile("good.def", smallDefinition());
    f->openFile(good);
    f->select(5);
    const QString bad =
        f->writeFile("bad.def", crlfLines({"[Device Data]", "Name=Bad", "MaxRegister=" + maxRegister}));
    f->openFile(bad);
    const QStringList errors = f->dialogs().texts("error");
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith(
                 "\"bad.def\" is not a valid definition file: MaxRegister must be a number from 0 "
                 "to 255"),
             qPrintable(errors[0]));
    // Nothing changed.
    QCOMPARE(f->w->windowTitle(), QString("Fan Controller"));
    QCOMPARE(f->device().maxRegister(), 20);
    QCOMPARE(f->cell(5), QString("C3"));
    QCOMPARE(f->panel(), QString("0x05: Status, bit 7; see %x = 5"));
    QCOMPARE(QString::fromStdString(f->device().currentFile()), good);
    QCOMPARE(f->recentCaptions(), QStringList{good});
}

void TestUserDeviceWindow::openCancelledChangesNothing()
{
    const QString path = f->writeFile("small.def", smallDefinition());
    f->openFile(path);
    f->device().setValue(0, 0x77);
    f->device().setModified(true);
    f->dialogs().answers << Answer::No; // do not save; then the file dialog is cancelled
    f->action("mnuOpen")->trigger();
    QCOMPARE(f->dialogs().texts("confirm"), QStringList{"Save changes?"});
    QVERIFY(f->device().modified());
    QCOMPARE(QString::fromStdString(f->device().currentFile()), path);
    QCOMPARE(f->cell(0), QString("77"));

    // Closing still asks, so nothing is lost.
    f->dialogs().answers << Answer::No;
    f->action("mnuClose")->trigger();
    QCOMPARE(f->dialogs().texts("confirm").last(), QString("Would you like to save this device?"));
}

void TestUserDeviceWindow::openAsksToSaveChanges()
{
    const QString first = f->writeFile("first.def", smallDefinition("First"));
    const QString second = f->writeFile("second.def", smallDefinition("Second"));
    f->openFile(first);
    f->device().setValue(0, 0x66);
    f->device().setModified(true);
    f->dialogs().answers << Answer::Yes;
    f->openFile(second);
    QCOMPARE(f->w->windowTitle(), QString("Second"));
    QVERIFY(f->readFile(first).contains("\r\n0=66\r\n")); // saved to the file it came from
    QCOMPARE(f->recentCaptions(), (QStringList{second, first}));
}

void TestUserDeviceWindow::saveAndSaveAs()
{
    // No file yet: Save asks for one.
    f->device().setValue(3, 0x33);
    f->device().setModified(true);
    const QString one = f->dir.filePath("one.def");
    f->dialogs().files << one;
    f->action("mnuSave")->trigger();
    const auto saves = f->dialogs().of("save");
    QCOMPARE(saves.size(), 1);
    QCOMPARE(saves[0].request.title, QString("Save Device Information"));
    QCOMPARE(saves[0].request.filters, (QStringList{"Definition files (*.def)", "All files (*.*)"}));
    QCOMPARE(saves[0].request.defaultSuffix, QString("def"));
    QVERIFY(!f->device().modified());
    const QByteArray oneBytes = f->readFile(one);
    QVERIFY(oneBytes.startsWith(
        "[Device Data]\r\nAddress=A0\r\nMaxRegister=255\r\nName=User Definable Device\r\n"));
    QVERIFY(oneBytes.contains("\r\n3=33\r\n"));

    // Save As to another name: Save goes there from now on, "one.def" stays as it was.
    const QString two = f->dir.filePath("two.def");
    f->dialogs().files << two;
    f->action("mnuSaveAs")->trigger();
    f->device().setValue(3, 0x44);
    f->action("mnuSave")->trigger();
    QCOMPARE(f->dialogs().of("save").size(), 2);
    QCOMPARE(f->readFile(one), oneBytes);
    QVERIFY(f->readFile(two).contains("\r\n3=44\r\n"));
    QCOMPARE(f->recentCaptions(), (QStringList{two, one}));

    // Define New Device: no file again, so Save asks.
    f->w->mnuDefineNewClick();
    child<QPushButton>(f->w->definitionWindow(), "btnOK")->click();
    f->action("mnuSave")->trigger(); // cancelled
    QCOMPARE(f->dialogs().of("save").size(), 3);
    QVERIFY(f->readFile(two).contains("\r\n3=44\r\n"));
}

void TestUserDeviceWindow::saveKeepsTheEncodingItWasReadIn()
{
    // A name and a description outside code page 1252.
    const QByteArray name("\xCE\xA9 meter");
    const QByteArray description("\xE4\xB8\xAD \xE2\x84\x83");
    const QString path =
        f->writeFile("utf8.def", "\xEF\xBB\xBF[Device Data]\r\nAddress=5C\r\nMaxRegister=1\r\nName=" + name +
                                     "\r\n[Register Description]\r\n1=" + description + "\r\n");
    f->openFile(path);
    QCOMPARE(f->w->windowTitle(), QString::fromUtf8(name));
    f->device().setValue(0, 0x42);
    f->device().setModified(true);
    f->action("mnuSave")->trigger();
    QByteArray saved = f->readFile(path);
    QVERIFY(saved.startsWith("\xEF\xBB\xBF[Device Data]\r\n"));
    QVERIFY(saved.contains("\r\nName=" + name + "\r\n"));
    QVERIFY(saved.contains("\r\n1=" + description + "\r\n"));
    QVERIFY(saved.contains("\r\n0=42\r\n"));
    QVERIFY(!saved.contains('?'));

    // Edited in the definition window, still the same file.
    f->w->mnuCurrentDeviceClick();
    child<QPushButton>(f->w->definitionWindow(), "btnOK")->click();
    f->action("mnuSave")->trigger();
    saved = f->readFile(path);
    QVERIFY(saved.startsWith("\xEF\xBB\xBF"));
    QVERIFY(saved.contains("\r\n1=" + description + "\r\n"));

    // A new device goes to a new file in the code page.
    f->w->mnuDefineNewClick();
    child<QPushButton>(f->w->definitionWindow(), "btnOK")->click();
    const QString fresh = f->dir.filePath("fresh.def");
    f->dialogs().files << fresh;
    f->action("mnuSave")->trigger();
    QVERIFY(f->readFile(fresh).startsWith("[Device Data]\r\n"));
}

void TestUserDeviceWindow::saveAsCancelledKeepsTheFlag()
{
    f->device().setModified(true);
    f->action("mnuSaveAs")->trigger();
    QVERIFY(f->device().modified());
    f->action("mnuSave")->trigger();
    QVERIFY(f->device().modified());
}

void TestUserDeviceWindow::closeAsks_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer"); // -1: none expected
    QTest::addColumn<bool>("fileChosen");
    QTest::addColumn<bool>("closes");
    QTest::newRow("unmodified") << false << -1 << false << true;
    QTest::newRow("No") << true << int(Answer::No) << false << true;
    QTest::newRow("Yes, saved") << true << int(Answer::Yes) << true << true;
    QTest::newRow("Yes, save cancelled") << true << int(Answer::Yes) << false << false;
}

void TestUserDeviceWindow::closeAsks()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, fileChosen);
    QFETCH(bool, closes);
    f->device().setModified(modified);
    if (answer >= 0)
        f->dialogs().answers << Answer(answer);
    const QString path = f->dir.filePath("closing.def");
    if (fileChosen)
        f->dialogs().files << path;
    QPointer<TfrmLongI2C> w = f->w;
    f->w->btnBitsClick();
    f->action("mnuClose")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(f->dialogs().texts("confirm"),
             answer >= 0 ? QStringList{"Would you like to save this device?"} : QStringList{});
    QCOMPARE(w.isNull(), closes);
    QCOMPARE(QFile::exists(path), fileChosen);
    if (!closes)
        QCOMPARE(w->registerControls().size(), 1);
}

void TestUserDeviceWindow::ampersandInPath()
{
    QVERIFY(QDir(f->dir.path()).mkdir("R&D"));
    const QString path = f->writeFile("R&D/x.def", smallDefinition());
    f->openFile(path);
    f->device().setValue(0, 0x21);
    f->device().setModified(true);
    f->action("mnuSave")->trigger();
    QVERIFY(f->readFile(path).contains("\r\n0=21\r\n"));
    QVERIFY(!QFile::exists(f->dir.filePath("RD/x.def")));
    // The menu shows "&" doubled; the entry opens the real path.
    QCOMPARE(f->recentCaptions(), QStringList{QString(path).replace("&", "&&")});
    f->w->mnuResetGridClick();
    f->action("mnuRecent1")->trigger();
    QCOMPARE(f->w->windowTitle(), QString("Fan Controller"));
    QCOMPARE(f->cell(0), QString("21"));
    QCOMPARE(QString::fromStdString(f->device().currentFile()), path);
}

void TestUserDeviceWindow::recentListSurvivesARestart()
{
    const QString a = f->writeFile("a.def", smallDefinition("A"));
    const QString b = f->writeFile("b.def", smallDefinition("B"));
    f->openFile(a);
    f->openFile(b);
    f->restart();
    QCOMPARE(f->recentCaptions(), (QStringList{b, a}));
    f->action("mnuRecent2")->trigger();
    QCOMPARE(f->w->windowTitle(), QString("A"));
    QCOMPARE(f->recentCaptions(), (QStringList{a, b}));

    // Stored under one spelling: "numMRUs" and "mru1".."mru4".
    f->bench.reset();
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Bramwick", "Tallyport");
    s.beginGroup("MRUS");
    QCOMPARE(s.childKeys(), (QStringList{"mru1", "mru2", "numMRUs"}));
    QCOMPARE(s.value("numMRUs").toInt(), 2);
    QCOMPARE(s.value("mru1").toString(), a);
    // Another spelling written by someone else is read, and replaced.
    s.remove("");
    s.setValue("MRU1", b);
    s.sync();
    f->bench = std::make_unique<TestBench>();
    f->open();
    QCOMPARE(f->recentCaptions(), QStringList{b});
    f->openFile(a);
    f->bench.reset();
    s.sync();
    QCOMPARE(s.childKeys(), (QStringList{"mru1", "mru2", "numMRUs"}));
    s.remove("");
}

void TestUserDeviceWindow::recentListKeepsFourAndDropsMissingFiles()
{
    QStringList paths;
    for (const char* n : {"1", "2", "3", "4", "5"}) {
        paths << f->writeFile(QString("%1.def").arg(n), smallDefinition(n));
        f->openFile(paths.last());
    }
    QCOMPARE(f->recentCaptions(), (QStringList{paths[4], paths[3], paths[2], paths[1]}));
    QFile::remove(paths[2]);
    f->action("mnuRecent3")->trigger();
    QCOMPARE(f->dialogs().texts("information"), QStringList{"File does not exist"});
    QCOMPARE(f->recentCaptions(), (QStringList{paths[4], paths[3], paths[1]}));
    QCOMPARE(f->w->windowTitle(), QString("5"));
    f->restart();
    QCOMPARE(f->recentCaptions(), (QStringList{paths[4], paths[3], paths[1]}));
    QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Bramwick", "Tallyport");
    f->bench.reset();
    s.remove("MRUS");
}

void TestUserDeviceWindow::resetGrid()
{
    const QString path = f->writeFile("small.def", smallDefinition());
    f->openFile(path);
    f->w->btnSliderClick();
    f->device().setModified(true);
    f->dialogs().answers << Answer::No;
    f->action("mnuResetGrid")->trigger();
    QCOMPARE(f->dialogs().texts("confirm"), QStringList{"Are you sure you want to reset the grid?"});
    QCOMPARE(f->w->windowTitle(), QString("Fan Controller"));

    f->dialogs().answers << Answer::Yes;
    f->action("mnuResetGrid")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(f->w->windowTitle(), QString("Unknown Device"));
    QCOMPARE(f->grid()->model()->rowCount(), 16);
    QCOMPARE(f->cell(5), QString("FF"));
    QCOMPARE(f->cell(255), QString("FF"));
    QCOMPARE(f->address()->text(), QString("A0"));
    QVERIFY(!f->device().modified());
    QVERIFY(f->device().currentFile().empty());
    QVERIFY(f->w->registerControls().isEmpty());
    f->select(5);
    QCOMPARE(f->panel(), QString("0x05: Undefined Register"));
    // The list is read again, and still has the file opened since the start.
    QCOMPARE(f->recentCaptions(), QStringList{path});
}

void TestUserDeviceWindow::textExport()
{
    f->openFile(f->writeFile("small.def", smallDefinition()));
    const QString path = f->writeFile("regs.txt", "[Register Data]\r\n99=stale\r\n");
    f->dialogs().files << path;
    f->action("mnuSaveText")->trigger();
    const auto saves = f->dialogs().of("save");
    QCOMPARE(saves[0].request.title, QString("Save Register Data in Text Format"));
    QCOMPARE(saves[0].request.filters, (QStringList{"Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(saves[0].request.defaultSuffix, QString("txt"));
    const QByteArray text = f->readFile(path);
    QVERIFY(text.startsWith(
        "[Device Data]\r\nAddress=5C\r\nMaxRegister=20\r\n\r\n[Register Data]\r\n00=12  ;Undefined "
        "Register\r\n"));
    QVERIFY(text.contains("\r\n05=C3  ;Status, bit 7; see %x = 5\r\n"));
    QVERIFY(text.endsWith("\r\n14=7E  ;Undefined Register\r\n"));
    QVERIFY(!text.contains("stale"));
}

void TestUserDeviceWindow::printsToPdf()
{
    const QString pdf =
        qEnvironmentVariableIsSet("KEEP_PDF") ? QString("/tmp/report.pdf") : f->dir.filePath("report.pdf");
    f->device().setValue(255, 0x42);
    f->device().setRegisterName(255, "Last one");
    f->dialogs().printAccepted = true;
    f->dialogs().printFile = pdf;
    f->action("mnuPrint")->trigger();
    QCOMPARE(f->dialogs().of("print").size(), 1);
    const QByteArray bytes = f->readFile(pdf);
    QVERIFY(bytes.startsWith("%PDF"));

    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed: make deps installs it");
    // A fixed pitch (the font's advance at 10 pt) keeps the blanks between columns.
    QProcess p;
    p.start(pdftotext, {"-fixed", "6", pdf, "-"});
    QVERIFY(p.waitForFinished(30000));
    const QStringList pageTexts =
        QString::fromUtf8(p.readAllStandardOutput()).split('\f', Qt::SkipEmptyParts);
    QVERIFY2(pageTexts.size() >= 3, qPrintable(QString::number(pageTexts.size())));
    // The page margin comes out as blanks before every line.
    const QString firstLine = pageTexts[0].split('\n')[0];
    const int margin = int(firstLine.size() - firstLine.trimmed().size());
    auto linesOf = [margin](const QString& page) {
        QStringList out;
        for (const QString& l : page.split('\n'))
            if (!l.trimmed().isEmpty())
                out << l.mid(margin);
        return out;
    };
    const QStringList first = linesOf(pageTexts[0]);
    QCOMPARE(first[0], QString("Device Name is: User Definable Device"));
    QCOMPARE(first[1], QString("Device Address is: 0xA0"));
    QCOMPARE(first[2], QString("Register  Value  Register Description"));
    QCOMPARE(first[3], QString("  0x00     FF    ;Undefined Register"));
    QCOMPARE(first[4], QString("  0x01     FF    ;Undefined Register"));
    // Every later page starts with the column heading; the last holds 0xFF.
    int registers = 0;
    for (int n = 0; n < pageTexts.size(); ++n) {
        const QStringList lines = linesOf(pageTexts[n]);
        if (n > 0)
            QCOMPARE(lines[0], QString("Register  Value  Register Description"));
        QCOMPARE(lines.last().trimmed(), QString("Page %1 of %2").arg(n + 1).arg(pageTexts.size()));
        for (const QString& l : lines)
            registers += l.startsWith("  0x");
    }
    QCOMPARE(registers, 256);
    const QStringList last = linesOf(pageTexts.last());
    QCOMPARE(last[last.size() - 2], QString("  0xFF     42    ;Last one"));
}

// ------------------------------------------------------------------ layout

void TestUserDeviceWindow::layoutFitsTheFrame_data()
{
    QTest::addColumn<int>("width");
    QTest::newRow("full") << 1280;
    QTest::newRow("half") << 640;
}

void TestUserDeviceWindow::layoutFitsTheFrame()
{
    QFETCH(int, width);
    f->bench->main->resize(width, 800);
    QVERIFY(QTest::qWaitForWindowExposed(f->bench->main.get()));
    f->openFile(f->writeFile("small.def", smallDefinition()));
    f->select(5);
    QCoreApplication::processEvents();
    QCOMPARE(clippedControls(f->w), QStringList());
    QVERIFY(f->w->minimumSizeHint().width() <= f->bench->main->mdiArea()->viewport()->width());
    const QTableView* g = f->grid();
    QVERIFY(g->horizontalScrollBar()->maximum() == 0); // all 16 columns in view
    saveShot(f->bench->main.get(), width < 1280 ? "userdevice-half" : "userdevice");
}

TALLYPORT_TEST_MAIN(TestUserDeviceWindow)
#include "tst_userdevice_window.moc"
