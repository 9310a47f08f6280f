#include "tests/gui/ExpertFixture.h"
#include "tests/support/WindowChecks.h"

#include <QClipboard>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>

using tp::expert::MessageTable;
using Answer = Dialogs::Answer;

namespace {
const QByteArray kThreeRows = "Expert Mode Data File\r\n"
                              "A0,Write,No,0,00,Comments: pointer, then read\r\n"
                              "A0,Read,Yes,10,FF,FF,FF\r\n"
                              ",,,,,Comments: only notes\r\n"
                              "Sequence:02,01\r\n";
}

class TestExpertWindow : public QObject {
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<ExpertFixture>(); }
    void cleanup() { f.reset(); }

    void opensFromTheDeviceMenu();
    void hints_data();
    void hints();
    void menus_data();
    void menus();
    void shortcutsWorkOnTheTable();
    void editorShowsEveryByte_data();
    void editorShowsEveryByte();
    void editorGoesWhileShown_data();
    void editorGoesWhileShown();
    void activeRowLabel();
    void longCellsHaveTheirTextAsHint();

    void modifiedFlag_data();
    void modifiedFlag();
    void clipboardOutlivesTheWindow();
    void deleteAndCompactKeepOneRow();

    void editorOnEmptyRowGivesDefaults();
    void editorShowsAndWritesBack();
    void editorTypingAndTab();
    void editorOpensOnHexKeys_data();
    void editorOpensOnHexKeys();
    void editorBadDelayStillShows();
    void editorNotesStayOnOneLine();

    void newAsks_data();
    void newAsks();
    void closeAsks_data();
    void closeAsks();
    void saveAsWritesTheFile();
    void openReadsAFile();
    void openRefusesABadHeader();
    void openHeaderOnlyKeepsSequence();
    void openAsksWhenModified();
    void failedSaveKeepsTheWindow();

    void sequenceEditor();
    void sequenceEditorRefusesAbove64();

private:
    std::unique_ptr<ExpertFixture> f;
};

void TestExpertWindow::opensFromTheDeviceMenu()
{
    QVERIFY(f->bench.main->deviceAction("Expert Mode")->isEnabled());
    QVERIFY(f->w);
    QCOMPARE(f->w->windowTitle(), QString("I\u00B2C Expert Mode"));
    QCOMPARE(f->bench.main->windowReference("TfrmMessage"), f->w);
    QVERIFY(qobject_cast<QMdiSubWindow*>(f->w->parentWidget())->isMaximized());
    // A second choice brings the same window forward.
    QCOMPARE(f->bench.main->openCaption("Expert Mode"), f->w);

    QAbstractItemModel* m = f->grid()->model();
    QCOMPARE(m->rowCount(), 32);
    const QStringList headers{"Msg #", "Start", "Address", "R/W", "Data", "Stop?", "Delay", "Notes"};
    for (int c = 0; c < headers.size(); ++c)
        QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), headers[c]);
    QCOMPARE(f->shown(31, 0), QString("32"));
    QCOMPARE(f->shown(31, 1), QString("ST"));
    for (int c : {0, 1, 2, 3, 5, 6})
        QCOMPARE(m->index(0, c).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(f->grid()->editTriggers(), QAbstractItemView::NoEditTriggers);

    QCOMPARE(f->label("edtRow"), QString("Active Msg. = 00"));
    QCOMPARE(f->label("lblSending"), QString("Idle"));
    QCOMPARE(f->button("btnSendContinuous")->text(), QString("Send Continuously"));
    QCOMPARE(f->button("btnSendMessage")->text(), QString("Send Message"));
    QCOMPARE(f->button("btnSendAll")->text(), QString("Send All"));
    QCOMPARE(f->button("btnSequence")->text(), QString("Send Sequence"));
    QCOMPARE(f->label("lblGPIO"), QString("GPIO ?"));
    QCOMPARE(f->label("lblInputState"), QString("Input State unkown"));
    QVERIFY(child<QLineEdit>(f->w, "edtSequence")->isReadOnly());
}

void TestExpertWindow::hints_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("hint");
    const QList<QStringList> rows{
        {"btnNew", "New", "Open blank page"},
        {"btnOpen", "Open", "Open File"},
        {"btnSaveAs", "Save As", "Save As.."},
        {"btnClose", "Close", "Close Expert Mode"},
        {"btnInsertRow", "Insert Row", "Insert Row"},
        {"btnDeleteRow", "Delete Row", "Delete Row"},
        {"btnClearRow", "Clear", "Clear current message (current row)"},
        {"btnCopyRow", "Copy Row", "Copy Row"},
        {"btnPasteRow", "Paste Row", "Paste Row"},
        {"btnCompact", "Compact", "Compress Data"},
        {"btnTriggerHigh", "Trigger Out High", "Set Trigger Out High"},
        {"btnTriggerLow", "Trigger Out Low", "Set Trigger Low"},
        {"btnReadInput", "Read", "Read Input Pin"},
        {"btnSendMessage", "Send Message", "Send Active Message"},
        {"btnSendAll", "Send All", "Send all messages"},
        {"btnSequence", "Send Sequence", "Send a sequence of messages"},
        {"btnSendContinuous", "Send Continuously", ""},
        {"edtSequence", "", " Double-click to edit the sequence"},
        {"grdData", "", "Double-click on the desired message to edit the message"},
    };
    for (const QStringList& r : rows)
        QTest::newRow(qPrintable(r[0])) << r[0] << r[1] << r[2];
}

void TestExpertWindow::hints()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QString, hint);
    QWidget* widget = child<QWidget>(f->w, name);
    QCOMPARE(widget->toolTip(), hint);
    if (auto* b = qobject_cast<QAbstractButton*>(widget))
        QCOMPARE(b->text(), text);
}

void TestExpertWindow::menus_data()
{
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QStringList>("entries"); // "text|shortcut", "-" for a separator
    QTest::newRow("file") << "mnuFile"
                          << QStringList{"New|Ctrl+N", "-",         "Open|Ctrl+O", "Save As..|Ctrl+S",
                                         "Close|",     "Close All|", "-",           "E&xit|Ctrl+X"};
    QTest::newRow("edit") << "mnuEdit"
                          << QStringList{"Insert Row|Ctrl+Ins", "Delete Row|Ctrl+Del", "Clear current message|Shift+Del",
                                         "-", "Copy Row|Ctrl+C", "Paste Row|Ctrl+V", "-", "Compact Rows|"};
}

void TestExpertWindow::menus()
{
    QFETCH(QString, menu);
    QFETCH(QStringList, entries);
    QMenu* m = nullptr;
    for (QMenu* c : f->w->childMenus())
        if (c->objectName() == menu)
            m = c;
    QVERIFY(m);
    QStringList got;
    for (QAction* a : m->actions())
        got << (a->isSeparator() ? QString("-") : a->text() + '|' + a->shortcut().toString());
    QCOMPARE(got, entries);
    // Merged into the frame's bar while the window is active.
    QVERIFY(f->bench.main->menuBar()->actions().contains(m->menuAction()));
}

void TestExpertWindow::shortcutsWorkOnTheTable()
{
    QApplication::setActiveWindow(f->bench.main.get());
    QVERIFY(QTest::qWaitForWindowActive(f->bench.main.get()));
    f->load(kThreeRows);
    QTableView* g = f->grid();
    g->setFocus();
    f->w->setActiveRow(0);

    QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);   // copy row 1
    QTest::keyClick(g, Qt::Key_Insert, Qt::ControlModifier); // empty row 2
    QCOMPARE(g->model()->rowCount(), 4);
    f->w->setActiveRow(1);
    QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);   // row 2 = row 1
    QCOMPARE(f->shown(1, MessageTable::Notes), QString("pointer, then read"));
    f->w->setActiveRow(2);
    QTest::keyClick(g, Qt::Key_Delete, Qt::ShiftModifier); // clear the read row
    QCOMPARE(f->shown(2, MessageTable::Start), QString());
    QTest::keyClick(g, Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(g->model()->rowCount(), 3);
    QCOMPARE(f->shown(2, MessageTable::Notes), QString("only notes"));
    QVERIFY(f->bench.dialogs.texts("confirm").isEmpty());

    f->bench.dialogs.answers << Answer::Cancel << Answer::Cancel;
    QTest::keyClick(g, Qt::Key_N, Qt::ControlModifier); // New asks: the table was changed
    QCOMPARE(f->bench.dialogs.texts("confirm"), QStringList{"Save changes?"});
    QTest::keyClick(g, Qt::Key_X, Qt::ControlModifier); // Exit asks too, and Cancel keeps all
    QCOMPARE(f->bench.dialogs.texts("confirm"), (QStringList{"Save changes?", "Save changes?"}));
    QVERIFY(f->bench.main->isVisible());
    QCOMPARE(f->grid()->model()->rowCount(), 3);
}

void TestExpertWindow::activeRowLabel()
{
    f->doubleClickRow(4);
    f->w->editor()->close();
    QCOMPARE(f->label("edtRow"), QString("Active Msg. = 5"));
    QCOMPARE(f->w->activeRow(), 4);
}

// Each operation alone, then Close: whether "Save changes?" is asked.
void TestExpertWindow::modifiedFlag_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<bool>("asks");
    QTest::newRow("nothing") << "" << false;
    QTest::newRow("insert") << "mnuInsertRow" << true;
    QTest::newRow("delete") << "mnuDeleteRow" << true;
    QTest::newRow("clear") << "mnuClearRow" << false;
    QTest::newRow("copy") << "mnuCopyRow" << true;
    QTest::newRow("paste") << "mnuPasteRow" << true;
    QTest::newRow("compact") << "mnuCompact" << true;
    QTest::newRow("editor") << "editor" << true;
    QTest::newRow("send all") << "send" << false;
    QTest::newRow("sequence edited") << "sequence" << true;
}

void TestExpertWindow::modifiedFlag()
{
    QFETCH(QString, op);
    QFETCH(bool, asks);
    if (op == "editor") {
        f->doubleClickRow(0);
        f->w->editor()->close();
    } else if (op == "send") {
        f->button("btnSendAll")->click();
    } else if (op == "sequence") {
        f->w->edtSequenceDblClick();
        child<QTableWidget>(f->w->sequenceEditor(), "grdSequencer")->item(0, 0)->setText("1");
        f->w->sequenceEditor()->close();
    } else if (!op.isEmpty()) {
        f->action(op)->trigger();
    }
    f->bench.dialogs.answers << Answer::Cancel;
    QPointer<TfrmMessage> w = f->w;
    f->action("mnuClose")->trigger();
    QCOMPARE(f->bench.dialogs.texts("confirm"), asks ? QStringList{"Save changes?"} : QStringList{});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(w.isNull(), !asks); // Cancel keeps it; without a question it closed
}

void TestExpertWindow::clipboardOutlivesTheWindow()
{
    f->load(kThreeRows);
    f->w->setActiveRow(1);
    f->action("mnuCopyRow")->trigger();
    f->bench.dialogs.answers << Answer::No;
    f->action("mnuClose")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!f->bench.main->windowReference("TfrmMessage"));

    f->w = qobject_cast<TfrmMessage*>(f->bench.main->openCaption("Expert Mode"));
    QCOMPARE(f->shown(7, MessageTable::Data), QString()); // a fresh window: blank table
    f->w->setActiveRow(7);
    f->action("mnuPasteRow")->trigger();
    QCOMPARE(f->shown(7, MessageTable::Data), QString("FF,FF,FF"));
    QCOMPARE(f->shown(7, MessageTable::RW), QString("Read"));
    QCOMPARE(f->shown(7, MessageTable::Delay), QString("10"));
}

void TestExpertWindow::deleteAndCompactKeepOneRow()
{
    f->load("Expert Mode Data File\r\nA0,Write,Yes,0,01\r\n");
    QCOMPARE(f->grid()->model()->rowCount(), 1);
    f->action("mnuDeleteRow")->trigger();
    QCOMPARE(f->grid()->model()->rowCount(), 1);
    QCOMPARE(f->shown(0, MessageTable::Data), QString("01"));
    QVERIFY(f->bench.dialogs.texts("confirm").isEmpty());

    f->action("mnuNew")->trigger();
    f->w->setActiveRow(31);
    f->action("mnuCompact")->trigger();
    QCOMPARE(f->grid()->model()->rowCount(), 1);
    QCOMPARE(f->w->activeRow(), 0);
    QCOMPARE(f->label("edtRow"), QString("Active Msg. = 1"));
}

// ------------------------------------------------------------------ editor

void TestExpertWindow::editorOnEmptyRowGivesDefaults()
{
    f->doubleClickRow(2);
    TfrmEditor* e = f->w->editor();
    QVERIFY(e && e->isVisible());
    QVERIFY(e->isWindow());
    QCOMPARE(e->windowTitle(), QString("Message Editor - Msg # 3"));
    QCOMPARE(child<QLineEdit>(e, "edtAddress")->text(), QString("A0"));
    QCOMPARE(child<QComboBox>(e, "cmbRW")->currentText(), QString("Write"));
    QCOMPARE(child<QSpinBox>(e, "spnBytes")->value(), 1);
    QCOMPARE(child<QTableWidget>(e, "grdWrite")->item(0, 0)->text(), QString("FF"));
    QCOMPARE(child<QComboBox>(e, "cmbStop")->currentText(), QString("Yes"));
    QCOMPARE(child<QSpinBox>(e, "edtDelay")->value(), 0);
    QCOMPARE(child<QLineEdit>(e, "edtNotes")->text(), QString());

    QTest::mouseClick(child<QPushButton>(e, "btnClose"), Qt::LeftButton);
    QVERIFY(!e->isVisible());
    QCOMPARE(f->w->table().record(2), (tp::expert::TGridRecord{"A0", "Write", "FF", "Yes", "0", ""}));
    QCOMPARE(f->shown(2, MessageTable::Data), QString("FF"));

    // Made once, then only shown again.
    f->doubleClickRow(5);
    QCOMPARE(f->w->editor(), e);
    QCOMPARE(e->windowTitle(), QString("Message Editor - Msg # 6"));
    e->close();
}

void TestExpertWindow::editorNotesStayOnOneLine()
{
    // A line break pasted into the notes would split the row in the data
    // file: the field takes it as a blank.
    f->bench.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f->bench.main.get()));
    f->doubleClickRow(0);
    TfrmEditor* e = f->w->editor();
    QVERIFY(QTest::qWaitForWindowActive(e));
    auto* notes = child<QLineEdit>(e, "edtNotes");
    notes->setFocus();
    QApplication::clipboard()->setText("first line\r\nA2,Read,Yes,0,FF\nend");
    QTest::keyClick(notes, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(notes->text(), QString("first line A2,Read,Yes,0,FF end"));
    e->close();
    QCOMPARE(f->shown(0, MessageTable::Notes), QString("first line A2,Read,Yes,0,FF end"));

    const QString path = f->dir.filePath("notes.txt");
    f->bench.dialogs.files << path;
    f->w->mnuSaveAsClick();
    f->bench.dialogs.files << path;
    f->w->mnuOpenClick();
    QCOMPARE(f->w->table().rowCount(), 1);
    QCOMPARE(f->shown(0, MessageTable::Notes), QString("first line A2,Read,Yes,0,FF end"));
}

void TestExpertWindow::editorShowsAndWritesBack()
{
    f->load(kThreeRows);
    f->doubleClickRow(1);
    TfrmEditor* e = f->w->editor();
    QCOMPARE(child<QComboBox>(e, "cmbRW")->currentText(), QString("Read"));
    QCOMPARE(child<QSpinBox>(e, "spnBytes")->value(), 3);
    QCOMPARE(child<QTableWidget>(e, "grdWrite")->columnCount(), 3);
    QCOMPARE(child<QSpinBox>(e, "edtDelay")->value(), 10);

    // Limits of the fields.
    QCOMPARE(child<QSpinBox>(e, "spnBytes")->maximum(), 129);
    QCOMPARE(child<QSpinBox>(e, "edtDelay")->maximum(), 2000);
    QCOMPARE(child<QSpinBox>(e, "edtDelay")->singleStep(), 5);
    QCOMPARE(child<QLineEdit>(e, "edtAddress")->maxLength(), 2);

    child<QComboBox>(e, "cmbStop")->setCurrentIndex(1);
    child<QSpinBox>(e, "edtDelay")->setValue(25);
    child<QLineEdit>(e, "edtNotes")->setText(QString::fromUtf8("read 3, \u00B5C"));
    child<QSpinBox>(e, "spnBytes")->setValue(0);
    e->close(); // closing the window writes back too
    QCOMPARE(f->w->table().record(1),
             (tp::expert::TGridRecord{"A0", "Read", "", "No", "25", "read 3, \xC2\xB5" "C"}));

    // Cells that dropped out with a smaller count come back with it.
    f->doubleClickRow(0);
    auto* bytes = child<QSpinBox>(e, "spnBytes");
    auto* cells = child<QTableWidget>(e, "grdWrite");
    bytes->setValue(3);
    cells->item(0, 1)->setText("12");
    cells->item(0, 2)->setText("34");
    bytes->setValue(1);
    bytes->setValue(3);
    e->close();
    QCOMPARE(f->shown(0, MessageTable::Data), QString("00,12,34"));
}

void TestExpertWindow::longCellsHaveTheirTextAsHint()
{
    QStringList bytes;
    for (int i = 0; i < 40; ++i)
        bytes << QString("%1").arg(i, 2, 16, QChar('0')).toUpper();
    f->load("Expert Mode Data File\r\n"
            "A0,Write,Yes,0," + bytes.join(',').toLatin1() + ",Comments: pointer, then <data> & more\r\n"
            "A0,Read,Yes,0,\r\n");
    const QVariant hint = f->grid()->model()->index(0, MessageTable::Data).data(Qt::ToolTipRole);
    const QStringList lines = hint.toString().split('\n');
    QCOMPARE(lines.size(), 3); // 16 bytes a line
    QCOMPARE(lines.first(), bytes.mid(0, 16).join(',') + ",");
    QCOMPARE(hint.toString().remove('\n'), bytes.join(','));
    const QString notes = f->grid()->model()->index(0, MessageTable::Notes).data(Qt::ToolTipRole).toString();
    QCOMPARE(notes, QString("<qt>pointer, then &lt;data&gt; &amp; more</qt>"));
    // An empty cell leaves the table's own hint.
    QVERIFY(!f->grid()->model()->index(1, MessageTable::Data).data(Qt::ToolTipRole).isValid());
    QVERIFY(!f->grid()->model()->index(0, MessageTable::Address).data(Qt::ToolTipRole).isValid());
}

void TestExpertWindow::editorShowsEveryByte_data()
{
    QTest::addColumn<int>("count");
    QTest::newRow("1 byte") << 1;
    QTest::newRow("13 bytes, the row scrolls") << 13;
    QTest::newRow("129 bytes") << 129;
}

void TestExpertWindow::editorShowsEveryByte()
{
    QFETCH(int, count);
    f->doubleClickRow(0);
    TfrmEditor* e = f->w->editor();
    QApplication::setActiveWindow(e);
    QVERIFY(QTest::qWaitForWindowActive(e));
    child<QSpinBox>(e, "spnBytes")->setValue(count);
    auto* cells = child<QTableWidget>(e, "grdWrite");
    QCoreApplication::processEvents();
    for (int c : {0, count / 2, count - 1}) {
        cells->scrollTo(cells->model()->index(0, c));
        const QRect cell = cells->visualRect(cells->model()->index(0, c));
        // Whole, above the scroll bar, and as tall as the text needs.
        QVERIFY2(cells->viewport()->rect().contains(cell), qPrintable(QString("cell %1").arg(c + 1)));
        QVERIFY(cell.height() >= cells->fontMetrics().height() + 4);
        cells->setFocus();
        cells->setCurrentCell(0, c);
        QTest::keyClicks(cells, "a"); // opens the cell's editor
        QTest::keyClicks(QApplication::focusWidget(), "b");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(cells->item(0, c)->text(), QString("AB"));
    }
    QCOMPARE(cells->horizontalHeader()->isVisible(), true);
    QVERIFY(cells->viewport()->height() >= cells->rowHeight(0));
    saveShot(e, QString("editor-%1-bytes").arg(count));
    e->close();
    QCOMPARE(f->shown(0, MessageTable::Data).split(',').size(), count);
    QCOMPARE(f->shown(0, MessageTable::Data).split(',').last(), QString("AB"));
}

void TestExpertWindow::editorGoesWhileShown_data()
{
    QTest::addColumn<bool>("programEnds");
    QTest::newRow("the editor itself") << false;
    QTest::newRow("the program ends") << true;
}

void TestExpertWindow::editorGoesWhileShown()
{
    QFETCH(bool, programEnds);
    f->doubleClickRow(0);
    QPointer<TfrmEditor> e = f->w->editor();
    QApplication::setActiveWindow(e);
    QVERIFY(QTest::qWaitForWindowActive(e));
    auto* address = child<QLineEdit>(e, "edtAddress");
    address->setFocus();
    address->clear();
    QTest::keyClicks(address, "4");
    // As it goes the window is hidden and the desktop makes another one
    // active, so its focused field loses the focus and reports that its
    // editing finished: nothing may reach the editor then (its exit handling
    // would complete "4" to "04" on a half-destroyed window).
    struct Deactivate : QObject {
        QWidget* next;
        explicit Deactivate(QWidget* n) : next(n) {}
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Hide)
                QApplication::setActiveWindow(next);
            return false;
        }
    } deactivate(f->bench.main.get());
    e->installEventFilter(&deactivate);
    QStringList texts;
    connect(address, &QLineEdit::textChanged, this, [&texts](const QString& t) { texts << t; });
    if (programEnds) {
        f->w->table().setModified(false);
        f->bench.main.reset();
    } else {
        delete e.data();
    }
    QVERIFY(!e);
    QCOMPARE(texts, QStringList());
}

void TestExpertWindow::editorTypingAndTab()
{
    f->doubleClickRow(0);
    TfrmEditor* e = f->w->editor();
    QApplication::setActiveWindow(e);
    QVERIFY(QTest::qWaitForWindowActive(e));
    auto* address = child<QLineEdit>(e, "edtAddress");
    address->clear();
    address->setFocus();
    QTest::keyClicks(address, "4g");
    QCOMPARE(address->text(), QString("4")); // no "g"
    emit address->editingFinished();
    QCOMPARE(address->text(), QString("04"));
    address->clear();
    emit address->editingFinished();
    QCOMPARE(address->text(), QString("A0"));
    QTest::keyClicks(address, "e");
    QCOMPARE(address->text(), QString("A0")); // two characters at most

    child<QSpinBox>(e, "spnBytes")->setValue(3);
    auto* cells = child<QTableWidget>(e, "grdWrite");
    cells->setFocus();
    const QPoint c0 = cells->visualItemRect(cells->item(0, 0)).center();
    QTest::mouseClick(cells->viewport(), Qt::LeftButton, {}, c0);
    QTest::keyClicks(cells, "5");
    QCOMPARE(cells->item(0, 0)->text(), QString("5"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(cells->item(0, 0)->text(), QString("05")); // the cell last clicked is completed
    QTest::keyClicks(QApplication::focusWidget(), "ax"); // upper case, hex only
    QCOMPARE(cells->item(0, 1)->text(), QString("A"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // not clicked: left as it is
    QCOMPARE(cells->item(0, 1)->text(), QString("A"));
    e->close();
    QCOMPARE(f->shown(0, MessageTable::Data), QString("05,0A,FF"));
    QCOMPARE(f->shown(0, MessageTable::Address), QString("A0"));
}

void TestExpertWindow::editorOpensOnHexKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<bool>("opens");
    QTest::newRow("digit") << int(Qt::Key_7) << "7" << 0 << true;
    QTest::newRow("letter") << int(Qt::Key_C) << "c" << 0 << true;
    QTest::newRow("keypad") << int(Qt::Key_3) << "3" << int(Qt::KeypadModifier) << true;
    QTest::newRow("not hex") << int(Qt::Key_G) << "g" << 0 << false;
    QTest::newRow("space") << int(Qt::Key_Space) << " " << 0 << false;
}

void TestExpertWindow::editorOpensOnHexKeys()
{
    QFETCH(int, key);
    QFETCH(QString, text);
    QFETCH(int, modifiers);
    QFETCH(bool, opens);
    QKeyEvent press(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), text);
    QApplication::sendEvent(f->grid(), &press);
    QCOMPARE(f->w->editor() && f->w->editor()->isVisible(), opens);
    if (opens)
        f->w->editor()->close();
}

void TestExpertWindow::editorBadDelayStillShows()
{
    f->load("Expert Mode Data File\r\n42,Read,No,1x,01,02,Comments: new\r\n");
    f->doubleClickRow(0);
    TfrmEditor* e = f->w->editor();
    QCOMPARE(f->bench.dialogs.texts("error"), QStringList{"'1x' is not a valid integer value."});
    QVERIFY(e->isVisible());
    QCOMPARE(child<QLineEdit>(e, "edtAddress")->text(), QString("42"));
    QCOMPARE(child<QSpinBox>(e, "spnBytes")->value(), 2);
    QCOMPARE(child<QComboBox>(e, "cmbStop")->currentText(), QString("No"));
    QCOMPARE(child<QLineEdit>(e, "edtNotes")->text(), QString()); // not reached
    e->close(); // and the row gets a Delay it can send with
    QCOMPARE(f->shown(0, MessageTable::Delay), QString("0"));
}

// ------------------------------------------------------------------ files

void TestExpertWindow::newAsks_data()
{
    QTest::addColumn<bool>("modified");
    QTest::addColumn<int>("answer"); // -1: not asked
    QTest::addColumn<bool>("saveChosen");
    QTest::addColumn<bool>("blanked");
    QTest::addColumn<bool>("stillModified");
    QTest::newRow("unmodified") << false << -1 << false << true << false;
    QTest::newRow("yes, saved") << true << int(Answer::Yes) << true << true << false;
    QTest::newRow("yes, save cancelled") << true << int(Answer::Yes) << false << false << true;
    QTest::newRow("no") << true << int(Answer::No) << false << true << true;
    QTest::newRow("cancel") << true << int(Answer::Cancel) << false << false << true;
}

void TestExpertWindow::newAsks()
{
    QFETCH(bool, modified);
    QFETCH(int, answer);
    QFETCH(bool, saveChosen);
    QFETCH(bool, blanked);
    QFETCH(bool, stillModified);

    f->load(kThreeRows);
    if (modified)
        f->action("mnuCopyRow")->trigger();
    f->bench.dialogs.calls.clear();
    if (answer >= 0)
        f->bench.dialogs.answers << Answer(answer);
    const QString saved = f->dir.filePath("saved.txt");
    if (saveChosen)
        f->bench.dialogs.files << saved;
    child<QToolButton>(f->w, "btnNew")->click();

    QCOMPARE(f->bench.dialogs.texts("confirm"), answer >= 0 ? QStringList{"Save changes?"} : QStringList{});
    QCOMPARE(f->grid()->model()->rowCount(), blanked ? 32 : 3);
    if (blanked) {
        QCOMPARE(f->shown(0, MessageTable::Address), QString());
        QCOMPARE(f->shown(0, MessageTable::Start), QString("ST"));
    }
    QCOMPARE(f->sequence(), QString("02,01")); // New keeps the sequence
    QCOMPARE(f->w->table().modified(), stillModified);
    QCOMPARE(QFile::exists(saved), saveChosen);
}

void TestExpertWindow::closeAsks_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saveChosen");
    QTest::addColumn<bool>("closed");
    QTest::newRow("yes, saved") << int(Answer::Yes) << true << true;
    QTest::newRow("yes, save cancelled") << int(Answer::Yes) << false << false;
    QTest::newRow("no") << int(Answer::No) << false << true;
    QTest::newRow("cancel") << int(Answer::Cancel) << false << false;
}

void TestExpertWindow::closeAsks()
{
    QFETCH(int, answer);
    QFETCH(bool, saveChosen);
    QFETCH(bool, closed);

    f->load(kThreeRows);
    f->doubleClickRow(0); // opening the editor is a change
    f->w->editor()->close();
    f->bench.dialogs.answers << Answer(answer);
    const QString saved = f->dir.filePath("closing.txt");
    if (saveChosen)
        f->bench.dialogs.files << saved;
    QPointer<TfrmMessage> w = f->w;
    QPointer<TfrmEditor> editor = f->w->editor();
    child<QToolButton>(f->w, "btnClose")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(f->bench.dialogs.texts("confirm"), QStringList{"Save changes?"});
    QCOMPARE(w.isNull(), closed);
    QCOMPARE(editor.isNull(), closed); // the editor goes with the window
    QCOMPARE(!f->bench.main->windowReference("TfrmMessage"), closed);
    QCOMPARE(QFile::exists(saved), saveChosen);
}

void TestExpertWindow::saveAsWritesTheFile()
{
    f->load(kThreeRows);
    const QString path = f->dir.filePath("out.txt");
    f->bench.dialogs.files << path;
    f->action("mnuSaveAs")->trigger();
    const auto save = f->bench.dialogs.of("save");
    QCOMPARE(save.size(), 1);
    QCOMPARE(save[0].request.filters, (QStringList{"Text files (*.txt)", "All files (*.*)"}));
    QCOMPARE(save[0].request.defaultSuffix, QString("txt"));
    QCOMPARE(f->w->windowTitle(), QString("out.txt"));
    QVERIFY(!f->w->table().modified());

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), kThreeRows);
}

void TestExpertWindow::openReadsAFile()
{
    f->w->setActiveRow(20);
    f->load("Vessmarch Data File\r\n"
            "// made elsewhere\r\n"
            "\r\n"
            "A2,Write,Yes,5,10,20,Comments: caf\xE9, ok\r\n"
            "A0,Write\r\n"
            "Sequence:02\r\n");
    const auto open = f->bench.dialogs.of("open");
    QCOMPARE(open.size(), 1);
    QCOMPARE(open[0].caption, QString("Open data file"));
    QCOMPARE(open[0].request.filters, (QStringList{"Text Files (*.txt)", "All Files (*.*)"}));
    QCOMPARE(open[0].request.defaultSuffix, QString("txt"));

    QCOMPARE(f->w->windowTitle(), QString("load.txt"));
    QCOMPARE(f->grid()->model()->rowCount(), 2);
    QCOMPARE(f->shown(0, MessageTable::Notes), QString::fromUtf8("caf\u00E9, ok"));
    QCOMPARE(f->shown(0, MessageTable::Data), QString("10,20"));
    QCOMPARE(f->shown(1, MessageTable::Address), QString("A0"));
    QCOMPARE(f->shown(1, MessageTable::Data), QString("Write"));
    QCOMPARE(f->shown(1, MessageTable::RW), QString());
    QCOMPARE(f->shown(1, MessageTable::Number), QString("2"));
    QCOMPARE(f->sequence(), QString("02"));
    QVERIFY(!f->w->table().modified());
    QCOMPARE(f->w->activeRow(), 1);
}

void TestExpertWindow::openRefusesABadHeader()
{
    f->load(kThreeRows);
    f->action("mnuInsertRow")->trigger(); // unsaved work
    f->bench.dialogs.answers << Answer::No;
    f->bench.dialogs.files << f->writeFile("bad.txt", "Expert Mode Data File \r\nB0,Write,Yes,0,01\r\nSequence:09\r\n");
    f->w->mnuOpenClick();
    QCOMPARE(f->bench.statusText(), QString(" Invalid Text File"));
    QCOMPARE(f->grid()->model()->rowCount(), 4);
    QCOMPARE(f->shown(0, MessageTable::Notes), QString("pointer, then read"));
    QCOMPARE(f->sequence(), QString("02,01"));
    // The caption names the file chosen and the flag is cleared, as after any Open.
    QCOMPARE(f->w->windowTitle(), QString("bad.txt"));
    QVERIFY(!f->w->table().modified());

    // A later Open that works shows its own result, not the old complaint.
    f->load(kThreeRows);
    QCOMPARE(f->bench.status(), tp::blankMessage());
    QCOMPARE(f->w->windowTitle(), QString("load.txt"));
    QCOMPARE(f->grid()->model()->rowCount(), 3);
}

void TestExpertWindow::openHeaderOnlyKeepsSequence()
{
    f->load(kThreeRows);
    f->load("Pellwright Data File\r\n");
    QCOMPARE(f->grid()->model()->rowCount(), 1);
    QCOMPARE(f->shown(0, MessageTable::Number), QString("1"));
    QCOMPARE(f->shown(0, MessageTable::Start), QString("ST"));
    QCOMPARE(f->shown(0, MessageTable::Address), QString());
    QCOMPARE(f->sequence(), QString("02,01"));
}

void TestExpertWindow::openAsksWhenModified()
{
    f->action("mnuCopyRow")->trigger();
    // Yes, then the save dialog cancelled: nothing is opened over the unsaved table.
    f->bench.dialogs.answers << Answer::Yes;
    f->bench.dialogs.files << std::nullopt << f->writeFile("a.txt", kThreeRows);
    f->w->mnuOpenClick();
    QCOMPARE(f->bench.dialogs.texts("confirm"), QStringList{"Save changes?"});
    QCOMPARE(f->bench.dialogs.of("open").size(), 0);
    QCOMPARE(f->grid()->model()->rowCount(), 32);

    // Yes and saved: then the file is read.
    f->bench.dialogs.calls.clear();
    f->bench.dialogs.files.clear();
    f->bench.dialogs.answers << Answer::Yes;
    f->bench.dialogs.files << f->dir.filePath("saved.txt") << f->writeFile("a.txt", kThreeRows);
    f->w->mnuOpenClick();
    QCOMPARE(f->bench.dialogs.of("open").size(), 1);
    QCOMPARE(f->grid()->model()->rowCount(), 3);
    QVERIFY(QFile::exists(f->dir.filePath("saved.txt")));
}

void TestExpertWindow::failedSaveKeepsTheWindow()
{
    f->action("mnuInsertRow")->trigger();
    f->bench.dialogs.answers << Answer::Yes;
    f->bench.dialogs.files << f->dir.filePath("missing/folder/x.txt");
    QPointer<TfrmMessage> w = f->w;
    // Through the event boundary, as a click on the window's close box would.
    QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(f->w->parentWidget());
    QCloseEvent close;
    QApplication::sendEvent(sub, &close);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(w);
    QCOMPARE(f->bench.dialogs.of("error").size(), 1);
    QVERIFY(f->bench.dialogs.texts("error")[0].startsWith("Cannot create file"));
    QVERIFY(f->w->table().modified());
}

// ------------------------------------------------------------------ sequence editor

void TestExpertWindow::sequenceEditor()
{
    f->load(kThreeRows);
    QLineEdit* seq = child<QLineEdit>(f->w, "edtSequence");
    QTest::mouseDClick(seq, Qt::LeftButton);
    TfrmSequenceEditor* e = f->w->sequenceEditor();
    QVERIFY(e && e->isVisible() && e->isWindow());
    QCOMPARE(e->windowTitle(), QString("Sequence Editor"));
    auto* cells = child<QTableWidget>(e, "grdSequencer");
    // All 64 entries in sight at once, four rows of 16.
    QCOMPARE(cells->rowCount() * cells->columnCount(), 64);
    QCOMPARE(cells->columnCount(), 16);
    QCOMPARE(cells->horizontalHeaderItem(15)->text(), QString("16"));
    QCOMPARE(cells->verticalHeaderItem(3)->text(), QString("+48"));
    QCOMPARE(cells->item(3, 15)->toolTip(), QString("Entry 64"));
    QCoreApplication::processEvents();
    for (int r = 0; r < cells->rowCount(); ++r)
        for (int c = 0; c < cells->columnCount(); ++c)
            QVERIFY(cells->viewport()->rect().contains(cells->visualItemRect(cells->item(r, c))));
    QVERIFY(e->rect().contains(QRect(cells->mapTo(e, QPoint(0, 0)), cells->size())));
    QVERIFY(e->width() < 1280);
    QCOMPARE(cells->item(0, 0)->text(), QString("02"));
    QCOMPARE(cells->item(0, 1)->text(), QString("01"));

    // Typing: digits only.
    cells->setFocus();
    cells->setCurrentCell(0, 2);
    QTest::keyClicks(cells, "7a");
    QCOMPARE(cells->item(0, 2)->text(), QString("7"));
    cells->item(0, 3)->setText("00");
    cells->item(0, 4)->setText("0");
    cells->item(0, 6)->setText("64");
    QTest::mouseClick(child<QPushButton>(e, "btnClose"), Qt::LeftButton);
    QVERIFY(!e->isVisible());
    QCOMPARE(f->sequence(), QString("02,01,07,64"));

    // Shown again with an empty sequence text, the cells keep what they had.
    f->bench.dialogs.answers << Answer::No; // the edited sequence is unsaved work
    f->load("Expert Mode Data File\r\nSequence:\r\n");
    QCOMPARE(f->sequence(), QString());
    QTest::mouseDClick(seq, Qt::LeftButton);
    QCOMPARE(f->w->sequenceEditor(), e);
    QCOMPARE(cells->item(0, 2)->text(), QString("7"));
    e->close();
    QCOMPARE(f->sequence(), QString("02,01,07,64"));
}

void TestExpertWindow::sequenceEditorRefusesAbove64()
{
    f->w->edtSequenceDblClick();
    TfrmSequenceEditor* e = f->w->sequenceEditor();
    auto* cells = child<QTableWidget>(e, "grdSequencer");
    cells->item(0, 0)->setText("3");
    cells->item(0, 1)->setText("65");
    QTest::mouseClick(child<QPushButton>(e, "btnClose"), Qt::LeftButton);
    QCOMPARE(f->bench.dialogs.texts("information"), QStringList{"The maximum Msg #\nis 64 in the Sequencer"});
    QVERIFY(e->isVisible());
    QCOMPARE(f->sequence(), QString());
    cells->item(0, 1)->setText("");
    e->close();
    QVERIFY(!e->isVisible());
    QCOMPARE(f->sequence(), QString("03"));
}

TALLYPORT_TEST_MAIN(TestExpertWindow)
#include "tst_expert_window.moc"
