// How the built windows sit in the frame: tiled two side by side at
// 1280 x 800, and in what order Tab walks their controls.
#include "gui/app/Catalogue.h"
#include "gui/app/TfrmBitrate.h"
#include "gui/app/WindowFactories.h"
#include "gui/app/TfrmPowerWarning.h"
#include "gui/app/TfrmSplash.h"
#include "gui/common/ChildForm.h"
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"
#include "gui/memory/TfrmGoTo.h"
#include "gui/universal/MessageEditor.h"
#include "gui/universal/Sequence.h"
#include "gui/universal/Universal_III.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QLayout>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSet>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

namespace {

QMdiSubWindow* subOf(TChildForm* w)
{
    return qobject_cast<QMdiSubWindow*>(w->parentWidget());
}

} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT
private slots:
    void twoTiledSideBySide_data();
    void twoTiledSideBySide();
    void arrangingKeepsEveryWindowInside_data();
    void arrangingKeepsEveryWindowInside();
    void everyWindowFitsHalfTheFrame_data();
    void everyWindowFitsHalfTheFrame();
    void mnemonicsClashWithNoMenu_data();
    void mnemonicsClashWithNoMenu();
    void altLetterRunsWriteAll_data();
    void altLetterRunsWriteAll();
    void tabOrderFollowsTheLayout_data();
    void tabOrderFollowsTheLayout();
    void tabOrderInDialogs_data();
    void tabOrderInDialogs();
    void focusStaysOnTheClickedBox_data();
    void focusStaysOnTheClickedBox();
};

void TestWindowLayout::twoTiledSideBySide_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("shot");
    QTest::newRow("PCF8574 and PCF8575") << "PCF8574  8-bit I/O Expander" << "PCF8575    16-bit I/O Expander"
                                         << "tiled-pcf";
    QTest::newRow("expert and PCF8575") << "Expert Mode" << "PCF8575    16-bit I/O Expander" << "tiled-expert";
    QTest::newRow("two small memories") << "EEPROM/256 x 8 (2K bit)" << "RAM / FRAM/2K x 8 (16K bit)"
                                        << "tiled-small-memory";
    QTest::newRow("large EEPROM and PCF8574") << "EEPROM/4K x 8 (32K bit)" << "PCF8574  8-bit I/O Expander"
                                              << "tiled-large-memory";
}

void TestWindowLayout::twoTiledSideBySide()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, shot);
    TestBench b;
    b.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(b.main.get()));
    TChildForm* one = b.main->openCaption(first);
    QVERIFY(one);
    QCoreApplication::processEvents();
    saveShot(b.main.get(), shot + "-full-1");
    TChildForm* two = b.main->openCaption(second);
    QVERIFY(two);
    QCoreApplication::processEvents();
    saveShot(b.main.get(), shot + "-full-2");

    b.main->mnuTileClick();
    QCoreApplication::processEvents();
    saveShot(b.main.get(), shot);
    QMdiArea* area = b.main->mdiArea();
    QVERIFY2(!area->horizontalScrollBar()->isVisible(), "tiled windows run out of the frame");
    QVERIFY2(!area->verticalScrollBar()->isVisible(), "tiled windows run out of the frame");
    for (TChildForm* w : {one, two}) {
        QVERIFY(subOf(w)->width() <= area->viewport()->width() / 2 + 1);
        QVERIFY2(w->width() >= w->minimumSizeHint().width(), qPrintable(w->windowTitle() + " squeezed"));
        QVERIFY2(w->height() >= w->minimumSizeHint().height(), qPrintable(w->windowTitle() + " squeezed"));
        if (w->layout()->hasHeightForWidth())
            QVERIFY2(w->height() >= w->layout()->totalHeightForWidth(w->width()),
                     qPrintable(w->windowTitle() + " wrapped taller than it is"));
        QCOMPARE(clippedControls(w), QStringList());
    }

    // A memory window keeps its hex grid; the ASCII grid is back with room.
    for (TChildForm* w : {one, two}) {
        auto* memory = qobject_cast<TMemoryForm*>(w);
        if (!memory)
            continue;
        QVERIFY(memory->stgMemory->isVisible());
        QVERIFY(!memory->stgText->isVisible());
        subOf(w)->showMaximized();
        QCoreApplication::processEvents();
        QVERIFY(memory->stgText->isVisible());
        QCOMPARE(memory->stgText->width(), memory->stgText->naturalWidth());
        QCOMPARE(clippedControls(w), QStringList());
        subOf(w)->showNormal();
    }
}

void TestWindowLayout::arrangingKeepsEveryWindowInside_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("tile");
    for (int n : {2, 5, 13}) {
        QTest::addRow("tile %d", n) << n << true;
        QTest::addRow("cascade %d", n) << n << false;
    }
}

void TestWindowLayout::arrangingKeepsEveryWindowInside()
{
    QFETCH(int, count);
    QFETCH(bool, tile);
    TestBench b;
    b.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(b.main.get()));
    // Windows of different classes, the widest first: the PCA9555 and the
    // non-volatile registers are the ones that used to push a column out.
    QStringList entries{"PCA9555  16-bit I/O Expander", "PCA8550  4-bit Multiplexed/1-Bit Latched 5-Bit"};
    QSet<QString> seen;
    for (const CatalogueEntry& e : standardCatalogue()) {
        if (entries.size() >= count)
            break;
        if (!standardFactories().contains(e.windowClass) || seen.contains(e.windowClass) ||
            e.windowClass == "TfrmPCA9555" || e.windowClass == "TfrmPCA8550")
            continue;
        seen.insert(e.windowClass);
        entries << e.submenu + "/" + e.caption;
    }
    entries = entries.mid(0, count);
    QList<TChildForm*> windows;
    for (const QString& e : entries) {
        TChildForm* w = b.main->openCaption(e);
        QVERIFY2(w, qPrintable(e));
        windows << w;
    }
    QCOMPARE(b.main->childForms().size(), count);

    tile ? b.main->mnuTileClick() : b.main->mnuCascadeClick();
    QCoreApplication::processEvents();
    saveShot(b.main.get(), QString("%1-%2").arg(tile ? "tile" : "cascade").arg(count));
    QMdiArea* area = b.main->mdiArea();
    QVERIFY2(!area->horizontalScrollBar()->isVisible(), "a window lies off to the side");
    QVERIFY2(!area->verticalScrollBar()->isVisible(), "a window lies off below");
    const QRect view = area->viewport()->rect();
    QList<QRect> frames;
    for (TChildForm* w : windows) {
        QMdiSubWindow* sub = subOf(w);
        QVERIFY2(!sub->isMaximized() && !sub->isMinimized(), qPrintable(w->windowTitle()));
        QVERIFY2(view.contains(sub->geometry()),
                 qPrintable(QString("%1 at %2,%3 %4x%5 leaves the frame")
                                .arg(w->windowTitle())
                                .arg(sub->x())
                                .arg(sub->y())
                                .arg(sub->width())
                                .arg(sub->height())));
        // Smaller than its controls, it scrolls within itself rather than
        // cutting them off.
        QVERIFY2(w->width() >= w->minimumSizeHint().width() && w->height() >= w->minimumSizeHint().height(),
                 qPrintable(w->windowTitle() + " squeezed"));
        frames << sub->geometry();
    }
    if (tile) {
        for (int i = 0; i < frames.size(); ++i)
            for (int j = i + 1; j < frames.size(); ++j)
                QVERIFY2(!frames[i].intersects(frames[j]), "tiled windows overlap");
        // Together they fill the frame.
        int areaSum = 0;
        for (const QRect& r : frames)
            areaSum += r.width() * r.height();
        QCOMPARE(areaSum, view.width() * view.height());
    } else {
        // Each title bar stays in sight below the one before.
        for (int i = 1; i < frames.size(); ++i)
            QVERIFY(frames[i].top() > frames[i - 1].top() && frames[i].left() > frames[i - 1].left());
        QVERIFY(frames.last().width() >= view.width() / 2 && frames.last().height() >= view.height() / 2);
    }
}

void TestWindowLayout::everyWindowFitsHalfTheFrame_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("windowClass");
    QSet<QString> seen;
    for (const CatalogueEntry& e : standardCatalogue()) {
        if (!standardFactories().contains(e.windowClass) || seen.contains(e.windowClass))
            continue;
        seen.insert(e.windowClass);
        QTest::newRow(qPrintable(e.windowClass)) << e.submenu + "/" + e.caption << e.windowClass;
    }
}

void TestWindowLayout::everyWindowFitsHalfTheFrame()
{
    QFETCH(QString, entry);
    QFETCH(QString, windowClass);
    TestBench b;
    b.main->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(b.main.get()));
    TChildForm* w = b.main->openCaption(entry);
    QVERIFY(w);
    QMdiArea* area = b.main->mdiArea();
    QMdiSubWindow* sub = subOf(w);
    sub->showNormal();
    // One of two tiled side by side.
    sub->setGeometry(0, 0, area->viewport()->width() / 2, area->viewport()->height());
    QCoreApplication::processEvents();
    saveShot(b.main.get(), "half-" + windowClass);
    QVERIFY2(sub->width() <= area->viewport()->width() / 2,
             qPrintable(QString("needs %1 px").arg(sub->minimumSizeHint().width())));
    QVERIFY2(w->width() >= w->minimumSizeHint().width(),
             qPrintable(QString("squeezed to %1, needs %2").arg(w->width()).arg(w->minimumSizeHint().width())));
    QVERIFY2(w->height() >= w->minimumSizeHint().height(), "squeezed");
    // A tall window may scroll up and down, never sideways.
    QStringList clipped = clippedControls(w);
    clipped.removeIf([](const QString& s) { return s.endsWith(QLatin1String("reaches beyond qt_scrollarea_viewport")); });
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join('\n')));
    for (QScrollArea* scroll : w->findChildren<QScrollArea*>())
        QVERIFY2(!scroll->horizontalScrollBar()->isVisible(), qPrintable(scroll->objectName() + " scrolls sideways"));
}

void TestWindowLayout::mnemonicsClashWithNoMenu_data()
{
    everyWindowFitsHalfTheFrame_data();
}

// A letter a control and a menu of the frame share takes two presses: the
// first only moves the focus, the second opens the menu, and the button
// never runs. Each window is checked with its own menus merged in.
void TestWindowLayout::mnemonicsClashWithNoMenu()
{
    QFETCH(QString, entry);
    TestBench b;
    TChildForm* w = b.main->openCaption(entry);
    QVERIFY(w);
    QMap<QKeySequence, QString> menus;
    for (QAction* a : b.main->menuBar()->actions()) {
        if (!a->isVisible())
            continue;
        const QKeySequence key = QKeySequence::mnemonic(a->text());
        if (key.isEmpty())
            continue;
        QVERIFY2(!menus.contains(key), qPrintable(a->text() + " and " + menus.value(key) + " share a letter"));
        menus.insert(key, a->text());
    }
    QVERIFY(menus.contains(QKeySequence(Qt::ALT | Qt::Key_N))); // the Window menu keeps a letter of its own
    QStringList clashes;
    const auto check = [&](QWidget* control, const QString& text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty() && control->isVisibleTo(w) && menus.contains(key))
            clashes << QString("%1 \"%2\" and the menu %3").arg(control->objectName(), text, menus.value(key));
    };
    for (QAbstractButton* button : w->findChildren<QAbstractButton*>())
        check(button, button->text());
    for (QLabel* label : w->findChildren<QLabel*>())
        if (label->buddy())
            check(label, label->text());
    for (QGroupBox* group : w->findChildren<QGroupBox*>())
        check(group, group->title());
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join('\n')));
}

void TestWindowLayout::altLetterRunsWriteAll_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("button");
    QTest::newRow("memory") << "EEPROM/256 x 8 (2K bit)" << "btnWrite";
    QTest::newRow("PCA9500") << "PCA9500  8-bit I/O Port with 2K EE" << "btnWrite";
    QTest::newRow("user definable device") << "User Definable Device" << "btnWrite";
    QTest::newRow("SAA1064") << "SAA1064 LED Driver" << "btnWrite";
}

void TestWindowLayout::altLetterRunsWriteAll()
{
    QFETCH(QString, entry);
    QFETCH(QString, button);
    TestBench b;
    TChildForm* w = b.main->openCaption(entry);
    QVERIFY(w);
    auto* write = child<QAbstractButton>(w, button);
    QCOMPARE(write->text(), QString("&Write All"));
    int runs = 0;
    connect(write, &QAbstractButton::clicked, this, [&] { ++runs; });
    b.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.main.get()));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : b.main.get(), Qt::Key_W,
                    Qt::AltModifier);
    QTRY_COMPARE(runs, 1);
    QVERIFY(!child<QMenu>(b.main.get(), "mnuWindow")->isVisible());
}

void TestWindowLayout::tabOrderFollowsTheLayout_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QStringList>("stops");
    const auto pins = [](const QString& prefix, int port = -1) {
        QStringList out;
        for (int b = 7; b >= 0; --b)
            out << prefix + (port >= 0 ? QString::number(port) : QString()) + QString::number(b);
        return out;
    };
    // Two chips side by side: the left one top to bottom, then the right one.
    QTest::newRow("PCF8574") << "PCF8574  8-bit I/O Expander" << "rdgPCF8574_0"
                             << QStringList{"rdgPCF8574_0", "btnPCF8574Read", "edtWrite"} + pins("chb74P") +
                                    QStringList{"btnPCF8574Write", "chbEnabled", "chbReadBack", "rdgPCF8574A_0",
                                                "btnPCF8574ARead", "edtPCF8574AWrite"} +
                                    pins("chb74AP") + QStringList{"btnPCF8574AWrite", "chbPCF8574A", "chbReadBackA"};
    QTest::newRow("PCF8575") << "PCF8575    16-bit I/O Expander" << "rdgPCF8575_0"
                             << QStringList{"rdgPCF8575_0", "btnRead", "edtWriteH", "edtWriteL"} + pins("chbP", 1) +
                                    pins("chbP", 0) + QStringList{"btnPCF8575Write", "chbEnabled"};
    const QStringList buttons{"btnReadOne", "btnRead", "btnWriteOne", "btnWrite", "btnVerify"};
    QTest::newRow("small EEPROM") << "EEPROM/256 x 8 (2K bit)" << "cmbAddress"
                                  << QStringList{"cmbAddress", "cmbPageSize", "spnWriteTime"} + buttons +
                                         QStringList{"edtFrom", "edtTo", "edtPreset", "btnFill", "edtStart",
                                                     "edtEnding", "edtTarget", "edtEndTarget", "btnCopy",
                                                     "stgMemory", "stgText"};
    QTest::newRow("small RAM") << "RAM / FRAM/256 x 8 (2K bit)" << "cmbAddress"
                               << QStringList{"cmbAddress"} + buttons +
                                      QStringList{"edtFrom", "edtTo", "edtPreset", "btnFill", "edtStart", "edtEnding",
                                                  "edtTarget", "edtEndTarget", "btnCopy", "stgMemory", "stgText"};
    QTest::newRow("large EEPROM") << "EEPROM/64K x 8 (512K bit)" << "cmbAddress"
                                  << QStringList{"cmbAddress", "cmbPageSize", "spnWriteTime"} + buttons +
                                         QStringList{"edtFillFrom", "edtFillTo", "edtFillWith", "btnFill",
                                                     "edtCopyStart", "edtCopyEnd", "edtTargetStart", "edtTargetEnd",
                                                     "btnCopy", "stgMemory", "stgText"};
    QTest::newRow("expert") << "Expert Mode" << "btnNew"
                            << QStringList{"btnNew",        "btnOpen",     "btnSaveAs",      "btnClose",
                                           "btnInsertRow",  "btnDeleteRow", "btnClearRow",   "btnCopyRow",
                                           "btnPasteRow",   "btnCompact",  "btnSendMessage", "btnSendAll",
                                           "btnSequence",   "btnSendContinuous", "edtSequence", "grdData"};
}

void TestWindowLayout::tabOrderFollowsTheLayout()
{
    QFETCH(QString, entry);
    QFETCH(QString, first);
    QFETCH(QStringList, stops);
    TestBench b;
    TChildForm* w = b.main->openCaption(entry);
    QVERIFY(w);
    b.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.main.get()));
    QCOMPARE(tabStops(child<QWidget>(w, first)), stops);
}

void TestWindowLayout::tabOrderInDialogs_data()
{
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QStringList>("stops");
    QTest::newRow("frequency") << "frmBitrate" << "edtFrequency"
                               << QStringList{"edtFrequency", "spnSCLh", "spnSCLl", "btnOK"};
    QTest::newRow("power warning") << "frmPowerWarning" << "chbShow" << QStringList{"chbShow", "btnClose"};
    QTest::newRow("go to") << "frmGoTo" << "edtHex" << QStringList{"edtHex", "edtDecimal", "OKBtn", "CancelBtn"};
    QTest::newRow("message editor") << "frmEditor" << "edtAddress"
                                    << QStringList{"edtAddress", "cmbRW",    "spnBytes", "cmbStop",
                                                   "edtDelay",   "grdWrite", "edtNotes", "btnClose"};
    QTest::newRow("sequence editor") << "frmSequenceEditor" << "grdSequencer" << QStringList{"grdSequencer", "btnClose"};
    QTest::newRow("quick start") << "frmSplash" << "memText" << QStringList{"memText", "chbShow"};
}

void TestWindowLayout::tabOrderInDialogs()
{
    QFETCH(QString, dialog);
    QFETCH(QString, first);
    QFETCH(QStringList, stops);
    TestBench b;
    QWidget* d = nullptr;
    if (dialog == "frmBitrate") {
        b.main->mnuFrequencyClick();
        d = b.main->bitrateWindow();
    } else if (dialog == "frmPowerWarning") {
        b.main->mnu3VPowerClick();
        d = b.main->powerWarning();
    } else if (dialog == "frmGoTo") {
        auto* w = qobject_cast<TMemoryForm*>(b.main->openCaption("EEPROM/4K x 8 (32K bit)"));
        w->mnuGotoClick();
        d = TfrmGoTo::instance();
    } else if (dialog == "frmEditor") {
        auto* w = qobject_cast<TfrmMessage*>(b.main->openCaption("Expert Mode"));
        w->grdDataDblClick();
        d = w->editor();
        child<QSpinBox>(d, "spnBytes")->setValue(3); // Tab walks the cells, then leaves
        child<QSpinBox>(d, "spnBytes")->setValue(20);
        child<QSpinBox>(d, "spnBytes")->setValue(3);
    } else if (dialog == "frmSequenceEditor") {
        auto* w = qobject_cast<TfrmMessage*>(b.main->openCaption("Expert Mode"));
        w->edtSequenceDblClick();
        d = w->sequenceEditor();
    } else if (dialog == "frmSplash") {
        b.main->showSplash();
        d = b.main->splashWindow();
    }
    QVERIFY(d);
    d->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(d->window()));
    QCOMPARE(tabStops(child<QWidget>(d, first)), stops);
    QCOMPARE(clippedControls(d), QStringList());
    saveShot(d, "dialog-" + dialog);
}

void TestWindowLayout::focusStaysOnTheClickedBox_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("autoWrite"); // "" leaves Auto Write off
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("value");
    QTest::newRow("PCF8574") << "PCF8574  8-bit I/O Expander" << "chb74P3" << "" << "edtWrite" << "F7";
    QTest::newRow("PCF8574A, Auto Write") << "PCF8574  8-bit I/O Expander" << "chb74AP0" << "chbPCF8574A"
                                          << "edtPCF8574AWrite" << "FE";
    QTest::newRow("PCF8575 high byte") << "PCF8575    16-bit I/O Expander" << "chbP16" << "" << "edtWriteH" << "BF";
    QTest::newRow("PCF8575 low byte, Auto Write") << "PCF8575    16-bit I/O Expander" << "chbP00" << "chbEnabled"
                                                  << "edtWriteL" << "FE";
}

void TestWindowLayout::focusStaysOnTheClickedBox()
{
    QFETCH(QString, entry);
    QFETCH(QString, box);
    QFETCH(QString, autoWrite);
    QFETCH(QString, field);
    QFETCH(QString, value);
    TestBench b;
    TChildForm* w = b.main->openCaption(entry);
    b.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(b.main.get()));
    if (!autoWrite.isEmpty())
        QTest::mouseClick(child<QAbstractButton>(w, autoWrite), Qt::LeftButton);
    auto* target = child<QAbstractButton>(w, box);
    QTest::mouseClick(target, Qt::LeftButton);
    QCOMPARE(child<QLineEdit>(w, field)->text(), value);
    QCOMPARE(QApplication::focusWidget(), target);
    // And the keyboard goes on from there.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(QApplication::focusWidget() != target);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    QCOMPARE(QApplication::focusWidget(), target);
}

TALLYPORT_TEST_MAIN(TestWindowLayout)
#include "tst_window_layout.moc"
