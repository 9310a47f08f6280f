#include "core/memory/MemoryImage.h"
#include "gui/app/StatusLine.h"
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"
#include "gui/memory/TfrmGoTo.h"
#include "gui/universal/Universal_III.h"
#include "tests/support/TestBench.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTemporaryDir>

using namespace tp;

namespace {

QString cell(TMemoryForm* w, std::size_t a)
{
    return w->stgMemory->model()->data(w->stgMemory->gridModel()->indexOf(a), Qt::DisplayRole).toString();
}

QString ascii(TMemoryForm* w, std::size_t a)
{
    return w->stgText->model()->data(w->stgText->gridModel()->indexOf(a), Qt::DisplayRole).toString();
}

TMemoryForm* open(TestBench& b, const QString& path)
{
    auto* w = qobject_cast<TMemoryForm*>(b.main->openCaption(path));
    if (!w)
        qFatal("no memory window for %s", qPrintable(path));
    return w;
}

void leave(QWidget* w)
{
    // Focus moves on to another control of the same window.
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(w, &out);
}

} // namespace

class TestMemoryWindows : public QObject {
    Q_OBJECT
private slots:
    void layoutPerEntry_data();
    void layoutPerEntry();
    void everyChoiceOpensANewWindow();
    void hexCellEditing();
    void pastedJunkInACellStopsAtTheBoundary();
    void asciiTyping();
    void addressLabelFollowsClicks();
    void gridsScrollTogether();
    void fillAndItsRangeCheck();
    void checkerboards_data();
    void checkerboards();
    void copyFieldsAndCopy();
    void goToDialog();
    void keyFilterSparesTheAsciiGrid();
    void saveAndOpenRoundTrip_data();
    void saveAndOpenRoundTrip();
    void ramSaveOffersNoCsv();
    void savedNameFollowsTheType_data();
    void savedNameFollowsTheType();
    void memFileShowsWhatItHolds_data();
    void memFileShowsWhatItHolds();
    void wrongTypeNamesTheOneTheExtensionSays_data();
    void wrongTypeNamesTheOneTheExtensionSays();
    void malformedHexSaysSo_data();
    void malformedHexSaysSo();
    void largeCloseAllAsksEveryWindow();
};

void TestMemoryWindows::layoutPerEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("fields"); // fill from, to, copy start, end, target, target end
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("rows");
    QTest::newRow("16 EE") << "EEPROM/16 x 8 (128 bit)" << "16 Byte (128 bit) EEPROM" << "0 F 0 7 8 F" << "1" << "000" << 1;
    QTest::newRow("256 EE") << "EEPROM/256 x 8 (2K bit)" << "256 Byte (2048 bit) EEPROM" << "00 FF 00 7F 80 FF" << "8" << "000" << 16;
    QTest::newRow("512 RAM") << "RAM / FRAM/512 x 8 (4K bit)" << "512 Byte (4096 bit) RAM / FRAM" << "000 1FF 000 0FF 100 1FF" << "" << "000" << 32;
    QTest::newRow("4K EE") << "EEPROM/4K x 8 (32K bit)" << "4096 Byte (32768 bit) EEPROM" << "0 FFF 000 7FF 800 FFF" << "8" << "000" << 256;
    QTest::newRow("8K RAM") << "RAM / FRAM/8K x 8 (64K bit)" << "8192 Byte (64K bit) RAM / FRAM" << "0 1FFF 0000 FFF 1000 1FFF" << "" << "0000" << 512;
    QTest::newRow("64K EE") << "EEPROM/64K x 8 (512K bit)" << "65536 Byte (512K bit) EEPROM" << "0 FFFF 0000 7FFF 8000 FFFF" << "8" << "000" << 4096;
}

void TestMemoryWindows::layoutPerEntry()
{
    QFETCH(QString, entry);
    QFETCH(QString, caption);
    QFETCH(QString, fields);
    QFETCH(QString, page);
    QFETCH(QString, label);
    QFETCH(int, rows);
    TestBench b;
    TMemoryForm* w = open(b, entry);
    QCOMPARE(w->windowTitle(), caption);
    QVERIFY(qobject_cast<QMdiSubWindow*>(w->parentWidget())->isMaximized());
    QCOMPARE(w->stgMemory->model()->rowCount(), rows);
    QCOMPARE(w->stgMemory->model()->headerData(rows - 1, Qt::Vertical).toString(),
             QString::number(rows - 1, 16).toUpper());
    QCOMPARE(cell(w, w->deviceSize() - 1), QString("FF"));
    QCOMPARE(ascii(w, 0), QString("."));
    QStringList got{w->edtFillFrom->text(), w->edtFillTo->text(), w->edtCopyStart->text(),
                    w->edtCopyEnd->text(), w->edtTargetStart->text(), w->edtTargetEnd->text()};
    QCOMPARE(got.join(' '), fields);
    QCOMPARE(w->cmbPageSize ? w->cmbPageSize->currentText() : QString(), page);
    QCOMPARE(w->lblWordAddress->text(), label);
    QCOMPARE(w->lblDeviceSize->text(), QString::number(w->deviceSize()));
    QCOMPARE(w->edtFillWith->text(), QString("FF"));
}

void TestMemoryWindows::everyChoiceOpensANewWindow()
{
    TestBench b;
    TMemoryForm* one = open(b, "EEPROM/128 x 8 (1K bit)");
    TMemoryForm* two = open(b, "EEPROM/128 x 8 (1K bit)");
    QVERIFY(one != two);
    one->edtFillWith->setText("41");
    one->btnFill->click();
    QCOMPARE(cell(one, 0), QString("41"));
    QCOMPARE(cell(two, 0), QString("FF"));
    QCOMPARE(b.main->childForms().size(), 2);
}

void TestMemoryWindows::hexCellEditing()
{
    TestBench b;
    TMemoryForm* w = open(b, "EEPROM/256 x 8 (2K bit)");
    b.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.main.get()));
    w->stgMemory->setFocus();
    w->stgMemory->setCurrentIndex(w->stgMemory->gridModel()->indexOf(0x10));
    QTest::keyClicks(w->stgMemory, "4");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(cell(w, 0x10), QString("04"));
    QCOMPARE(ascii(w, 0x10), QString(".")); // a single digit leaves the ASCII cell alone
    // Return moved on to the next cell in the small windows.
    QCOMPARE(w->stgMemory->currentIndex(), w->stgMemory->gridModel()->indexOf(0x11));
    QTest::keyClicks(QApplication::focusWidget(), "4a");
    QCOMPARE(ascii(w, 0x11), QString("J")); // follows while typing, upper-cased
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(cell(w, 0x11), QString("4A"));
    // Clearing a cell gives FF.
    w->stgMemory->setCurrentIndex(w->stgMemory->gridModel()->indexOf(0x20));
    QTest::keyClick(w->stgMemory, Qt::Key_F2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(cell(w, 0x20), QString("FF"));
}

void TestMemoryWindows::pastedJunkInACellStopsAtTheBoundary()
{
    // The cell editor reads "G1" as a number while it is typed: the error
    // ends at the editor's own reaction, through real key events, and
    // nothing reaches the application's last resort (TALLYPORT_TEST_MAIN
    // fails the run if it does).
    TestBench b;
    TMemoryForm* w = open(b, "EEPROM/256 x 8 (2K bit)");
    b.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.main.get()));
    w->stgMemory->setFocus();
    w->stgMemory->setCurrentIndex(w->stgMemory->gridModel()->indexOf(0x30));
    QTest::keyClick(w->stgMemory, Qt::Key_F2);
    QApplication::clipboard()->setText("G1");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(b.dialogs.of("error").size(), 1);
    QCOMPARE(b.dialogs.of("error").first().caption, QString("Tallyport"));
    QCOMPARE(b.dialogs.of("error").first().text, QString("'$G1' is not a valid integer value."));
    // The editor goes on; its text is kept as typed, as the cell's text.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(cell(w, 0x30), QString("G1"));
    QCOMPARE(ascii(w, 0x30), QString("."));
    QCOMPARE(TallyportApplication::lastResortCatches(), 0);
}

void TestMemoryWindows::asciiTyping()
{
    TestBench b;
    TMemoryForm* w = open(b, "RAM / FRAM/128 x 8 (1K bit)");
    w->stgText->setCurrentIndex(w->stgText->gridModel()->indexOf(5));
    QTest::keyClicks(w->stgText, "z ");
    QCOMPARE(cell(w, 5), QString("7A"));
    QCOMPARE(ascii(w, 5), QString("z"));
    QCOMPARE(cell(w, 6), QString("20"));
    QTest::keyClick(w->stgText, Qt::Key_Backspace);
    QCOMPARE(cell(w, 7), QString("FF"));
}

void TestMemoryWindows::addressLabelFollowsClicks()
{
    TestBench b;
    TMemoryForm* small = open(b, "EEPROM/2K x 8 (16K bit)");
    auto click = [](MemoryGridView* v, std::size_t a) {
        QModelIndex i = v->gridModel()->indexOf(a);
        v->scrollTo(i);
        QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(i).center());
    };
    click(small->stgMemory, 0x1A5);
    QCOMPARE(small->lblWordAddress->text(), QString("1A5"));
    click(small->stgText, 0x03);
    QCOMPARE(small->lblWordAddress->text(), QString("003"));
    QTest::keyClick(small->stgText, Qt::Key_Down); // the keyboard does not move the label
    QCOMPARE(small->lblWordAddress->text(), QString("003"));
    TMemoryForm* large = open(b, "EEPROM/4K x 8 (32K bit)");
    click(large->stgMemory, 0x12);
    QCOMPARE(large->lblWordAddress->text(), QString("0012"));
}

void TestMemoryWindows::gridsScrollTogether()
{
    TestBench b;
    TMemoryForm* w = open(b, "RAM / FRAM/32K x 8 (256K bit)");
    w->stgMemory->scrollTo(w->stgMemory->gridModel()->indexOf(0x4000), QAbstractItemView::PositionAtTop);
    QCOMPARE(w->stgMemory->rowAt(0), 0x400);
    QCOMPARE(w->stgText->rowAt(0), 0x400);
    w->stgText->verticalScrollBar()->setValue(7);
    QCOMPARE(w->stgMemory->rowAt(0), 7);
}

void TestMemoryWindows::fillAndItsRangeCheck()
{
    TestBench b;
    TMemoryForm* w = open(b, "EEPROM/256 x 8 (2K bit)");
    w->edtFillFrom->setText("10");
    w->edtFillTo->setText("1F");
    w->edtFillWith->setText("41");
    w->btnFill->click();
    QCOMPARE(cell(w, 0x0F), QString("FF"));
    QCOMPARE(cell(w, 0x10), QString("41"));
    QCOMPARE(cell(w, 0x1F), QString("41"));
    QCOMPARE(ascii(w, 0x1F), QString("A"));
    QCOMPARE(cell(w, 0x20), QString("FF"));

    TMemoryForm* w512 = open(b, "EEPROM/512 x 8 (4K bit)");
    w512->edtFillTo->setText("200");
    w512->edtFillWith->setText("00");
    w512->btnFill->click();
    QCOMPARE(b.dialogs.of("warning").size(), 1);
    QCOMPARE(b.dialogs.lastText(), QString("The \"To hex address\" must be less than\r512  (0x1FF)"));
    QCOMPARE(w512->edtFillTo->text(), QString("1FF"));
    QCOMPARE(cell(w512, 0x10), QString("FF")); // nothing filled
    // From above to.
    w->edtFillFrom->setText("20");
    w->btnFill->click();
    QCOMPARE(b.dialogs.lastText(), QString("The \"From Address\"\rmust be less than\r\"To Address\""));

    // An empty fill value field becomes FF when left; one digit gets its zero.
    w->edtFillWith->setText("");
    leave(w->edtFillWith);
    QCOMPARE(w->edtFillWith->text(), QString("FF"));
    w->edtFillWith->setText("7");
    leave(w->edtFillWith);
    QCOMPARE(w->edtFillWith->text(), QString("07"));

    // A pasted non-hex range stops with the invalid-number error.
    w->edtFillFrom->setText("G0");
    QTest::mouseClick(w->btnFill, Qt::LeftButton);
    QCOMPARE(b.dialogs.of("error").size(), 1);
    QCOMPARE(b.dialogs.lastText(), QString("'$G0' is not a valid integer value."));
}

void TestMemoryWindows::checkerboards_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("row1");
    QTest::addColumn<QString>("row2");
    QTest::addColumn<QString>("ascii1");
    QTest::newRow("small") << "EEPROM/128 x 8 (1K bit)" << "mnuCheckerBoard" << "55" << "AA" << "U";
    QTest::newRow("small inverted") << "RAM / FRAM/128 x 8 (1K bit)" << "mnuInvCheckerBoard" << "AA" << "55" << ".";
    QTest::newRow("16 bytes: one row, no pair") << "EEPROM/16 x 8 (128 bit)" << "mnuCheckerBoard" << "FF" << "" << ".";
    QTest::newRow("large leaves ASCII") << "EEPROM/4K x 8 (32K bit)" << "mnuCheckerboard" << "55" << "AA" << ".";
}

void TestMemoryWindows::checkerboards()
{
    QFETCH(QString, entry);
    QFETCH(QString, action);
    QFETCH(QString, row1);
    QFETCH(QString, row2);
    QFETCH(QString, ascii1);
    TestBench b;
    TMemoryForm* w = open(b, entry);
    child<QAction>(w, action)->trigger();
    QCOMPARE(cell(w, 3), row1);
    QCOMPARE(ascii(w, 3), ascii1);
    if (!row2.isEmpty()) {
        QCOMPARE(cell(w, 16 + 3), row2);
        QCOMPARE(cell(w, w->deviceSize() - 1), row2);
    }
}

void TestMemoryWindows::copyFieldsAndCopy()
{
    TestBench b;
    TMemoryForm* w = open(b, "EEPROM/256 x 8 (2K bit)");
    w->edtCopyEnd->setText("3F");
    w->edtTargetStart->setText("81");
    w->edtTargetStart->setText("80");
    QCOMPARE(w->edtTargetEnd->text(), QString("0BF"));
    // End below start: warning when leaving, start + 1.
    w->edtCopyStart->setText("10");
    w->edtCopyEnd->setText("05");
    leave(w->edtCopyEnd);
    QVERIFY(b.dialogs.texts("warning").contains("End of Block must be greater than beginning of block"));
    QCOMPARE(w->edtCopyEnd->text(), QString("011"));
    // Beyond the image: message, field corrected without a second message.
    b.dialogs.calls.clear();
    w->edtCopyEnd->setText("1FF");
    QCOMPARE(b.dialogs.texts("information"), QStringList{"Maximum address = 0FF"});
    QCOMPARE(w->edtCopyEnd->text(), QString("0FF"));

    // Overlapping forward copy: 00..07 to 04.
    for (int a = 0; a < 16; ++a)
        w->image().setCellText(std::size_t(a), QString("%1").arg(a, 2, 16, QChar('0')).toUpper().toStdString());
    w->edtCopyStart->setText("0");
    w->edtCopyEnd->setText("7");
    w->edtTargetStart->setText("4");
    w->btnCopy->click();
    QStringList got;
    for (int a = 0; a < 13; ++a)
        got << cell(w, std::size_t(a));
    QCOMPARE(got.join(' '), QString("00 01 02 03 00 01 02 03 04 05 06 07 0C"));
}

void TestMemoryWindows::goToDialog()
{
    TestBench b;
    TMemoryForm* w = open(b, "EEPROM/4K x 8 (32K bit)");
    child<QAction>(w, "mnuGoto")->trigger();
    QPointer<TfrmGoTo> dlg = TfrmGoTo::instance();
    QVERIFY(dlg);
    QCOMPARE(dlg->windowTitle(), QString("Go To Byte..."));
    QCOMPARE(dlg->edtNote->text(), QString("Note: maximum address = 0x0FFF"));
    QVERIFY(QTest::qWaitForWindowActive(dlg));
    dlg->edtHex->setFocus();
    QTest::keyClicks(dlg->edtHex, "1000");
    QCOMPARE(b.dialogs.texts("information"), QStringList{"Maximum address = 0FFF"});
    QCOMPARE(dlg->edtHex->text(), QString("0FFF"));
    QCOMPARE(dlg->edtDecimal->text(), QString("4095"));
    dlg->edtDecimal->setFocus();
    dlg->edtDecimal->selectAll();
    QTest::keyClicks(dlg->edtDecimal, "300");
    QCOMPARE(dlg->edtHex->text(), QString("012C"));
    dlg->OKBtn->click();
    QTRY_VERIFY(!dlg);
    QCOMPARE(w->stgMemory->currentIndex().row(), 18);
    QCOMPARE(w->stgMemory->currentIndex().column(), 12);
    // The next opening starts afresh; a 16 KB window retargets it.
    TMemoryForm* big = open(b, "EEPROM/16K x 8 (128K bit)");
    child<QAction>(big, "mnuGoto")->trigger();
    QVERIFY(TfrmGoTo::instance()->edtHex->text().isEmpty());
    QCOMPARE(TfrmGoTo::instance()->edtNote->text(), QString("Note: maximum address = 0x3FFF"));
}

void TestMemoryWindows::keyFilterSparesTheAsciiGrid()
{
    TestBench b;
    TMemoryForm* w = open(b, "EEPROM/256 x 8 (2K bit)");
    b.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.main.get()));
    w->edtFillWith->setFocus();
    w->edtFillWith->clear();
    QTest::keyClicks(w->edtFillWith, "gz1");
    QCOMPARE(w->edtFillWith->text(), QString("1"));
    w->stgText->setFocus();
    w->stgText->setCurrentIndex(w->stgText->gridModel()->indexOf(0));
    QTest::keyClicks(w->stgText, "g");
    QCOMPARE(cell(w, 0), QString("67"));
}

void TestMemoryWindows::saveAndOpenRoundTrip_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("small mem") << "EEPROM/256 x 8 (2K bit)" << 1 << "mem";
    QTest::newRow("small hex") << "RAM / FRAM/2K x 8 (16K bit)" << 2 << "hex";
    QTest::newRow("small bin") << "EEPROM/16 x 8 (128 bit)" << 3 << "bin";
    QTest::newRow("small csv") << "EEPROM/128 x 8 (1K bit)" << 4 << "csv";
    QTest::newRow("large mem") << "EEPROM/8K x 8 (64K bit)" << 1 << "mem";
    QTest::newRow("large hex") << "RAM / FRAM/64K x 8 (512K bit)" << 2 << "hex";
    QTest::newRow("large csv") << "RAM / FRAM/4K x 8 (32K bit)" << 4 << "csv";
}

void TestMemoryWindows::saveAndOpenRoundTrip()
{
    QFETCH(QString, entry);
    QFETCH(int, type);
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    TestBench b;
    TMemoryForm* src = open(b, entry);
    for (std::size_t a = 0; a < src->deviceSize(); a += 7)
        src->image().setCellText(a, QString("%1").arg(a % 251, 2, 16, QChar('0')).toUpper().toStdString());
    if (src->cmbPageSize) {
        src->cmbPageSize->setCurrentText("16");
        src->spnWriteTime->setValue(5);
    }
    src->cmbAddress->setCurrentIndex(0);
    // A name typed without extension gets the chosen type's.
    b.dialogs.files << dir.filePath("image");
    b.dialogs.filterIndexes << type;
    child<QAction>(src, src->findChild<QAction*>("mnuEESaveAs") ? "mnuEESaveAs" : "mnuSaveAs")->trigger();
    const QString path = dir.filePath("image." + suffix);
    QVERIFY(QFile::exists(path));
    QCOMPARE(src->windowTitle(), path);

    TMemoryForm* dst = open(b, entry);
    b.dialogs.files << path;
    b.dialogs.filterIndexes << type;
    child<QAction>(dst, "mnuOpen")->trigger();
    QVERIFY(b.dialogs.of("error").isEmpty());
    for (std::size_t a = 0; a < src->deviceSize(); ++a)
        QCOMPARE(cell(dst, a), cell(src, a));
    QCOMPARE(ascii(dst, 7), ascii(src, 7));
    if (type == 1 && dst->cmbPageSize) {
        QCOMPARE(dst->cmbPageSize->currentText(), QString("16"));
        QCOMPARE(dst->spnWriteTime->value(), 5);
    }
    // The dialogs now default to the type last used.
    const auto save = b.dialogs.of("open").last().request;
    QCOMPARE(save.defaultSuffix, QString("mem")); // a new window starts at mem
    b.dialogs.files << std::nullopt;
    child<QAction>(dst, "mnuOpen")->trigger();
    QCOMPARE(b.dialogs.of("open").last().request.defaultSuffix, suffix);
}

void TestMemoryWindows::ramSaveOffersNoCsv()
{
    TestBench b;
    TMemoryForm* w = open(b, "RAM / FRAM/256 x 8 (2K bit)");
    b.dialogs.files << std::nullopt << std::nullopt;
    child<QAction>(w, "mnuSaveAs")->trigger();
    child<QAction>(w, "mnuOpen")->trigger();
    QCOMPARE(b.dialogs.of("save").first().request.filters,
             (QStringList{"mem files (*.mem)", "hex files (*.hex)", "bin files (*.bin)"}));
    QCOMPARE(b.dialogs.of("save").first().request.title, QString("Save EEPROM Data As"));
    QCOMPARE(b.dialogs.of("open").first().request.filters.size(), 4);
    QCOMPARE(b.dialogs.of("open").first().request.title, QString("Open Data File"));
}

void TestMemoryWindows::savedNameFollowsTheType_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("opened"); // a file opened first ("" for none)
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("type");     // chosen in the save dialog; 0 keeps the preselected one
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("RAM: after a csv, mem is offered as mem") << "RAM / FRAM/16 x 8 (128 bit)" << "in.csv" << "out"
                                                             << 0 << "out.mem" << QByteArray("TarnwickSmallEE016");
    QTest::newRow("EEPROM: typed csv, chose hex") << "EEPROM/16 x 8 (128 bit)" << "" << "dump.csv" << 2 << "dump.hex"
                                                  << QByteArray(":00000001FF");
    QTest::newRow("large: typed bin, chose mem") << "RAM / FRAM/4K x 8 (32K bit)" << "" << "image.BIN" << 1
                                                 << "image.mem" << QByteArray();
}

void TestMemoryWindows::savedNameFollowsTheType()
{
    QFETCH(QString, entry);
    QFETCH(QString, opened);
    QFETCH(QString, typed);
    QFETCH(int, type);
    QFETCH(QString, saved);
    QFETCH(QByteArray, starts);
    QTemporaryDir dir;
    TestBench b;
    TMemoryForm* w = open(b, entry);
    if (!opened.isEmpty()) {
        QFile f(dir.filePath(opened));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("00,01,02,03,04,05,06,07,08,09,0A,0B,0C,0D,0E,0F\r\n"));
        f.close();
        b.dialogs.files << f.fileName();
        b.dialogs.filterIndexes << 4;
        child<QAction>(w, "mnuOpen")->trigger();
        QCOMPARE(cell(w, 15), QString("0F"));
    }
    b.dialogs.files << dir.filePath(typed);
    if (type)
        b.dialogs.filterIndexes << type;
    child<QAction>(w, w->findChild<QAction*>("mnuEESaveAs") ? "mnuEESaveAs" : "mnuSaveAs")->trigger();
    const auto request = b.dialogs.of("save").last().request;
    QCOMPARE(request.defaultSuffix, QString("mem")); // the type the dialog shows first
    QStringList files{saved};
    if (!opened.isEmpty())
        files << opened;
    files.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), files);
    QFile f(dir.filePath(saved));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QVERIFY(f.readAll().startsWith(starts));
    QCOMPARE(w->windowTitle(), dir.filePath(saved));

    // Renamed onto a file that is there: asked first, as the dialog would have.
    b.dialogs.files << dir.filePath(typed);
    if (type)
        b.dialogs.filterIndexes << type;
    b.dialogs.answers << Dialogs::Answer::No;
    w->image().setCellText(0, "77");
    child<QAction>(w, w->findChild<QAction*>("mnuEESaveAs") ? "mnuEESaveAs" : "mnuSaveAs")->trigger();
    if (QFileInfo(typed).suffix().isEmpty()) {
        QVERIFY(b.dialogs.texts("confirm").isEmpty()); // the dialog gave that very name
    } else {
        QCOMPARE(b.dialogs.texts("confirm"), QStringList{saved + " already exists.\rDo you want to replace it?"});
        QVERIFY(!QDir(dir.path()).entryList(QDir::Files).contains(typed));
    }
}

void TestMemoryWindows::memFileShowsWhatItHolds_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("header"); // offsets 18 to 25 of a large .mem stream
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("writeTime"); // -1: the window has none
    // Address 0xB0 is on no list; a write time of 5000 ms is beyond the old limit.
    QTest::newRow("large RAM, address off the list") << "RAM / FRAM/4K x 8 (32K bit)"
                                                     << QByteArray("\xB0\x00\x00\x00\x00\x10\x00\x00", 8) << "B0" << -1;
    QTest::newRow("large EEPROM, long write time") << "EEPROM/4K x 8 (32K bit)"
                                                   << QByteArray("\xA6\x00\x88\x13\x00\x10\x20\x00", 8) << "A6" << 5000;
    QTest::newRow("large EEPROM, both") << "EEPROM/4K x 8 (32K bit)"
                                        << QByteArray("\xC2\x00\xFF\xFF\x00\x10\x20\x00", 8) << "C2" << 65535;
}

void TestMemoryWindows::memFileShowsWhatItHolds()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, header);
    QFETCH(QString, address);
    QFETCH(int, writeTime);
    QTemporaryDir dir;
    QFile f(dir.filePath("board.mem"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(18, 'x') + header + QByteArray(4096, '\x42'));
    f.close();
    TestBench b;
    TMemoryForm* w = open(b, entry);
    b.dialogs.files << f.fileName();
    b.dialogs.filterIndexes << 1;
    child<QAction>(w, "mnuOpen")->trigger();
    QCOMPARE(cell(w, 4095), QString("42"));
    QCOMPARE(w->cmbAddress->currentText(), address);
    if (writeTime >= 0)
        QCOMPARE(w->spnWriteTime->value(), writeTime);
    QVERIFY(b.dialogs.calls.size() == 1); // no notice: the file fits
}

void TestMemoryWindows::wrongTypeNamesTheOneTheExtensionSays_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("type"); // chosen in the dialog
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("hint");
    QTest::newRow("small EEPROM, hex as mem") << "EEPROM/256 x 8 (2K bit)" << 1 << "image.hex" << "an Intel HEX file";
    QTest::newRow("large EEPROM, hex as mem") << "EEPROM/4K x 8 (32K bit)" << 1 << "image.hex" << "an Intel HEX file";
    QTest::newRow("small RAM, csv as hex") << "RAM / FRAM/256 x 8 (2K bit)" << 2 << "image.csv" << "a CSV file";
}

void TestMemoryWindows::wrongTypeNamesTheOneTheExtensionSays()
{
    QFETCH(QString, entry);
    QFETCH(int, type);
    QFETCH(QString, file);
    QFETCH(QString, hint);
    QTemporaryDir dir;
    QFile f(dir.filePath(file));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file.endsWith(".hex") ? ":1000000000112233445566778899AABBCCDDEEFFF8\r\n:00000001FF\r\n"
                                  : "0,1,2,3\r\nzz,yy\r\n");
    f.close();
    TestBench b;
    TMemoryForm* w = open(b, entry);
    b.dialogs.files << f.fileName();
    b.dialogs.filterIndexes << type;
    child<QAction>(w, "mnuOpen")->trigger();
    QStringList said = b.dialogs.texts("error") + b.dialogs.texts("warning") + QStringList{b.statusText()};
    QVERIFY2(said.join('\n').contains("this looks like " + hint + ": choose that type"), qPrintable(said.join('\n')));
    QCOMPARE(cell(w, 0), QString("FF")); // nothing of the file shown
}

void TestMemoryWindows::malformedHexSaysSo_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("status");
    const QByteArray good = ":1000000000112233445566778899AABBCCDDEEFFF8\r\n";
    QTest::newRow("small EEPROM, line without colon") << "EEPROM/256 x 8 (2K bit)" << good + "1000\r\n"
                                                      << "  Invalid Hex File";
    QTest::newRow("small EEPROM, address beyond") << "EEPROM/16 x 8 (128 bit)" << good + ":0100100012DD\r\n"
                                                  << "  Invalid Hex File Address";
    QTest::newRow("small RAM") << "RAM / FRAM/256 x 8 (2K bit)" << good + "junk\r\n" << "  Invalid Hex File";
    QTest::newRow("large EEPROM") << "EEPROM/4K x 8 (32K bit)" << good + "junk\r\n" << "  Invalid Hex File";
}

void TestMemoryWindows::malformedHexSaysSo()
{
    QFETCH(QString, entry);
    QFETCH(QByteArray, file);
    QFETCH(QString, status);
    QTemporaryDir dir;
    QFile f(dir.filePath("bad.hex"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(file);
    f.close();
    TestBench b;
    TMemoryForm* w = open(b, entry);
    const QString caption = w->windowTitle();
    w->image().setCellText(1, "5A");
    b.dialogs.files << f.fileName();
    b.dialogs.filterIndexes << 2;
    child<QAction>(w, "mnuOpen")->trigger();
    QCOMPARE(b.statusText(), status);
    QCOMPARE(b.status().background, Rgb(colour::Red));
    QCOMPARE(b.status().align, Align::Centre);
    QCOMPARE(cell(w, 0), QString("FF")); // nothing of the file shown
    QCOMPARE(cell(w, 1), QString("5A"));
    QCOMPARE(w->windowTitle(), caption);
}

void TestMemoryWindows::largeCloseAllAsksEveryWindow()
{
    TestBench b;
    open(b, "EEPROM/256 x 8 (2K bit)");
    TMemoryForm* large = open(b, "RAM / FRAM/16K x 8 (128K bit)");
    b.main->ErrorMessage(1);
    child<QAction>(large, "mnuCloseAll")->trigger();
    QTRY_VERIFY(b.main->childForms().isEmpty());
    QTRY_VERIFY(!b.main->windowReference("TfrmLargeRAM"));
    QCOMPARE(b.status(), blankMessage(Align::Centre));

    // A window with unsaved work is asked, and may stay.
    auto* expert = qobject_cast<TfrmMessage*>(b.main->openCaption("Expert Mode"));
    QVERIFY(expert);
    expert->table().setModified(true);
    large = open(b, "EEPROM/4K x 8 (32K bit)");
    b.dialogs.answers << Dialogs::Answer::Cancel;
    child<QAction>(large, "mnuCloseAll")->trigger();
    QTRY_VERIFY(!b.main->windowReference("TfrmEEPROM"));
    QCOMPARE(b.dialogs.texts("confirm"), QStringList{"Save changes?"});
    QCOMPARE(b.main->childForms(), QList<TChildForm*>{expert});
}

TALLYPORT_TEST_MAIN(TestMemoryWindows)
#include "tst_memory_windows.moc"
