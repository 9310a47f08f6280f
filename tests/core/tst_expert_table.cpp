#include "core/common/Errors.h"
#include "core/universal/MessageEditing.h"
#include "core/universal/MessageTable.h"
#include "core/universal/SequenceText.h"

#include <QtTest>

using namespace tp::expert;
using T = MessageTable;

namespace {

// The table as "number:start:address:rw:data:stop:delay:notes|..." for compact comparisons.
QString dump(const MessageTable& t)
{
    QStringList rows;
    for (int r = 0; r < t.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < T::ColumnCount; ++c)
            cells << QString::fromStdString(t.cell(r, c));
        rows << cells.join(':');
    }
    return rows.join('|');
}

TGridRecord rec(const char* address, const char* data, const char* notes = "")
{
    return {address, "Write", data, "Yes", "0", notes};
}

// Three rows: "A0 00", empty, "A2 01".
MessageTable small()
{
    MessageTable t;
    t.resetToOneRow();
    t.setRecord(0, rec("A0", "00"));
    t.appendRow();
    t.setRecord(t.appendRow(), rec("A2", "01"));
    return t;
}

} // namespace

class TestExpertTable : public QObject {
    Q_OBJECT
private slots:
    void startsWithThirtyTwoNumberedRows();
    void operations_data();
    void operations();
    void deleteKeepsTheLastRow();
    void compactOfEmptyTableLeavesOneRow();
    void compactKeepsMessagesInOrder();
    void clearEmptiesStartUntilRenumbered();
    void copyAndPasteUseTheClipboard();
    void emptyRowIgnoresNumberAndStart();

    void showRow_data();
    void showRow();
    void showRowWithBadDelayKeepsNotes();
    void showRowCapsBytes();
    void writeBack_data();
    void writeBack();
    void emptyRowRoundTripsToDefaults();
    void tabCompletion_data();
    void tabCompletion();
    void addressCompletion_data();
    void addressCompletion();

    void sequenceEntries_data();
    void sequenceEntries();
    void sequenceEntryNotANumber();
    void sequenceFromCells_data();
    void sequenceFromCells();
    void sequenceCellsOfText();
};

void TestExpertTable::startsWithThirtyTwoNumberedRows()
{
    MessageTable t;
    QCOMPARE(t.rowCount(), 32);
    QVERIFY(!t.modified());
    for (int r = 0; r < 32; ++r) {
        QCOMPARE(t.cell(r, T::Number), std::to_string(r + 1));
        QCOMPARE(t.cell(r, T::Start), std::string("ST"));
        QVERIFY(t.isEmptyRow(r));
    }
}

// Each operation on the three-row table at an active row: the rows after
// it and whether the modified flag is set.
void TestExpertTable::operations_data()
{
    QTest::addColumn<QString>("op");
    QTest::addColumn<int>("active");
    QTest::addColumn<QString>("rows");
    QTest::addColumn<bool>("modified");

    const QString a = "A0:Write:00:Yes:0:", e = ":::::", b = "A2:Write:01:Yes:0:";
    QTest::newRow("insert after first") << "insert" << 0 << QString("1:ST:%1|2:ST:%2|3:ST:%2|4:ST:%3").arg(a, e, b) << true;
    QTest::newRow("insert after last") << "insert" << 2 << QString("1:ST:%1|2:ST:%2|3:ST:%3|4:ST:%2").arg(a, e, b) << true;
    QTest::newRow("delete middle") << "delete" << 1 << QString("1:ST:%1|2:ST:%2").arg(a, b) << true;
    QTest::newRow("delete first") << "delete" << 0 << QString("1:ST:%1|2:ST:%2").arg(e, b) << true;
    QTest::newRow("clear") << "clear" << 2 << QString("1:ST:%1|2:ST:%2|3:::::::").arg(a, e) << false;
    QTest::newRow("compact") << "compact" << 0 << QString("1:ST:%1|2:ST:%2").arg(a, b) << true;
    QTest::newRow("copy") << "copy" << 0 << QString("1:ST:%1|2:ST:%2|3:ST:%3").arg(a, e, b) << true;
    QTest::newRow("paste") << "paste" << 1 << QString("1:ST:%1|2:ST:%2|3:ST:%3").arg(a, "A4:Read:FF:No:5:n", b) << true;
}

void TestExpertTable::operations()
{
    QFETCH(QString, op);
    QFETCH(int, active);
    QFETCH(QString, rows);
    QFETCH(bool, modified);

    MessageTable t = small();
    QVERIFY(!t.modified());
    TGridRecord clip{"A4", "Read", "FF", "No", "5", "n"};
    if (op == "insert")
        t.insertRow(active);
    else if (op == "delete")
        QVERIFY(t.deleteRow(active));
    else if (op == "clear")
        t.clearRow(active);
    else if (op == "compact")
        t.compact();
    else if (op == "copy")
        t.copyRow(active, clip);
    else if (op == "paste")
        t.pasteRow(active, clip);
    QCOMPARE(dump(t), rows);
    QCOMPARE(t.modified(), modified);
    if (op == "copy")
        QCOMPARE(clip, rec("A0", "00"));
}

void TestExpertTable::deleteKeepsTheLastRow()
{
    MessageTable t;
    t.resetToOneRow();
    t.setRecord(0, rec("A0", "00"));
    QVERIFY(!t.deleteRow(0));
    QCOMPARE(t.rowCount(), 1);
    QCOMPARE(t.cell(0, T::Address), std::string("A0"));
    QVERIFY(!t.modified());
}

void TestExpertTable::compactOfEmptyTableLeavesOneRow()
{
    MessageTable t;
    t.compact();
    QCOMPARE(dump(t), QString("1:ST::::::"));
    QVERIFY(t.modified());
}

void TestExpertTable::compactKeepsMessagesInOrder()
{
    MessageTable t;
    t.setRecord(4, rec("A0", "05"));
    t.setRecord(9, {"", "", "", "", "", "only notes"});
    t.setRecord(31, rec("A2", "31"));
    t.clearRow(4); // a cleared row is empty although its number stays
    t.setRecord(4, rec("A0", "05"));
    t.compact();
    QCOMPARE(dump(t), QString("1:ST:A0:Write:05:Yes:0:|2:ST::::::only notes|3:ST:A2:Write:31:Yes:0:"));
}

void TestExpertTable::clearEmptiesStartUntilRenumbered()
{
    MessageTable t = small();
    t.clearRow(0);
    QCOMPARE(t.cell(0, T::Start), std::string());
    QCOMPARE(t.cell(0, T::Number), std::string("1"));
    t.insertRow(2);
    QCOMPARE(t.cell(0, T::Start), std::string("ST"));
}

void TestExpertTable::copyAndPasteUseTheClipboard()
{
    MessageTable source = small();
    TGridRecord clip;
    source.copyRow(2, clip);
    MessageTable target; // another window, later: the clipboard outlives the table
    target.pasteRow(7, clip);
    QCOMPARE(target.record(7), rec("A2", "01"));
    QCOMPARE(target.cell(7, T::Number), std::string("8"));
}

void TestExpertTable::emptyRowIgnoresNumberAndStart()
{
    MessageTable t;
    QVERIFY(t.isEmptyRow(0));
    for (int c = T::Address; c < T::ColumnCount; ++c) {
        t.setCell(0, c, "x");
        QVERIFY2(!t.isEmptyRow(0), qPrintable(QString("column %1").arg(c)));
        t.setCell(0, c, "");
    }
}

// ---------------------------------------------------------------- editor rules

void TestExpertTable::showRow_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("rw");
    QTest::addColumn<QString>("data");
    QTest::addColumn<QString>("stop");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("shownAddress");
    QTest::addColumn<bool>("read");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("stopYes");
    QTest::addColumn<int>("shownDelay");

    QTest::newRow("empty row") << "" << "" << "" << "" << "" << "A0" << false << QStringList{"FF"} << true << 0;
    QTest::newRow("three bytes") << "A2" << "Write" << "00,1F,FF" << "Yes" << "10" << "A2" << false
                                 << QStringList{"00", "1F", "FF"} << true << 10;
    QTest::newRow("read, no stop") << "40" << "Read" << "FF,FF" << "No" << "5" << "40" << true
                                   << QStringList{"FF", "FF"} << false << 5;
    QTest::newRow("unknown texts") << "40" << "junk" << "12" << "maybe" << "0" << "40" << true
                                   << QStringList{"12"} << false << 0;
    QTest::newRow("one character") << "40" << "Write" << "7" << "Yes" << "0" << "40" << false
                                   << QStringList{""} << true << 0;
    QTest::newRow("two characters") << "40" << "Write" << "7A" << "Yes" << "0" << "40" << false
                                    << QStringList{"7A"} << true << 0;
    QTest::newRow("dangling comma") << "40" << "Write" << "01,02," << "Yes" << "0" << "40" << false
                                    << QStringList{"01", "02"} << true << 0;
}

void TestExpertTable::showRow()
{
    QFETCH(QString, address);
    QFETCH(QString, rw);
    QFETCH(QString, data);
    QFETCH(QString, stop);
    QFETCH(QString, delay);
    QFETCH(QString, shownAddress);
    QFETCH(bool, read);
    QFETCH(QStringList, cells);
    QFETCH(bool, stopYes);
    QFETCH(int, shownDelay);

    EditorValues v;
    v.cells[5] = "EE"; // left over from an earlier row
    tp::expert::showRow({address.toStdString(), rw.toStdString(), data.toStdString(), stop.toStdString(),
             delay.toStdString(), "notes"},
            v);
    QCOMPARE(QString::fromStdString(v.address), shownAddress);
    QCOMPARE(v.read, read);
    QCOMPARE(v.byteCount, int(cells.size()));
    for (int c = 0; c < EditorValues::kMaxBytes; ++c)
        QCOMPARE(QString::fromStdString(v.cells[std::size_t(c)]), c < cells.size() ? cells[c] : QString());
    QCOMPARE(v.stop, stopYes);
    QCOMPARE(v.delay, shownDelay);
    QCOMPARE(v.notes, std::string("notes"));
}

void TestExpertTable::showRowWithBadDelayKeepsNotes()
{
    EditorValues v;
    v.notes = "before";
    v.delay = 15;
    try {
        tp::expert::showRow({"42", "Read", "01,02", "No", "1x", "after"}, v);
        QFAIL("no error for a bad delay");
    } catch (const tp::InvalidNumber& e) {
        QCOMPARE(QString(e.what()), QString("'1x' is not a valid integer value"));
    }
    QCOMPARE(v.address, std::string("42"));
    QVERIFY(v.read);
    QCOMPARE(v.byteCount, 2);
    QVERIFY(!v.stop);
    QCOMPARE(v.delay, 15);
    QCOMPARE(v.notes, std::string("before"));
}

void TestExpertTable::showRowCapsBytes()
{
    std::string data;
    for (int i = 0; i < 140; ++i)
        data += i ? ",AB" : "AB";
    EditorValues v;
    tp::expert::showRow({"A0", "Write", data, "Yes", "0", ""}, v);
    QCOMPARE(v.byteCount, 129);
    QCOMPARE(v.cells[128], std::string("AB"));
}

void TestExpertTable::writeBack_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("data");

    QTest::newRow("digit and blank") << QStringList{"5 "} << 1 << "05";
    QTest::newRow("letter and blank") << QStringList{"A "} << 1 << "0A";
    QTest::newRow("blank and digit") << QStringList{" 7"} << 1 << "07";
    QTest::newRow("lone digit") << QStringList{"5"} << 1 << "05";
    QTest::newRow("empty") << QStringList{""} << 1 << "FF";
    QTest::newRow("two blanks") << QStringList{"  "} << 1 << "FF";
    QTest::newRow("one blank") << QStringList{" "} << 1 << "FF";
    QTest::newRow("unchanged") << QStringList{"1f"} << 1 << "1f";
    QTest::newRow("several") << QStringList{"00", "1F", "", "3 "} << 4 << "00,1F,FF,03";
    QTest::newRow("count cuts") << QStringList{"01", "02", "03"} << 2 << "01,02";
    QTest::newRow("none") << QStringList{"01"} << 0 << "";
}

void TestExpertTable::writeBack()
{
    QFETCH(QStringList, cells);
    QFETCH(int, count);
    QFETCH(QString, data);

    EditorValues v;
    for (int i = 0; i < cells.size(); ++i)
        v.cells[std::size_t(i)] = cells[i].toStdString();
    v.byteCount = count;
    QCOMPARE(QString::fromStdString(rowFromEditor(v).data), data);
}

void TestExpertTable::emptyRowRoundTripsToDefaults()
{
    EditorValues v;
    v.notes = "old";
    tp::expert::showRow(TGridRecord{}, v);
    QCOMPARE(rowFromEditor(v), (TGridRecord{"A0", "Write", "FF", "Yes", "0", ""}));

    v.address = "5";
    v.read = true;
    v.stop = false;
    v.delay = 2000;
    v.notes = "a, b";
    QCOMPARE(rowFromEditor(v), (TGridRecord{"05", "Read", "FF", "No", "2000", "a, b"}));
}

void TestExpertTable::tabCompletion_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("completed");
    QTest::newRow("empty") << "" << "00";
    QTest::newRow("two blanks") << "  " << "00";
    QTest::newRow("leading blank") << " 5" << "00";
    QTest::newRow("trailing blank") << "5 " << "05";
    QTest::newRow("one digit") << "C" << "0C";
    QTest::newRow("full") << "C3" << "C3";
}

void TestExpertTable::tabCompletion()
{
    QFETCH(QString, cell);
    QFETCH(QString, completed);
    QCOMPARE(QString::fromStdString(completeByteCell(cell.toStdString())), completed);
}

void TestExpertTable::addressCompletion_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("completed");
    QTest::newRow("empty") << "" << "A0";
    QTest::newRow("one digit") << "4" << "04";
    QTest::newRow("two digits") << "4E" << "4E";
}

void TestExpertTable::addressCompletion()
{
    QFETCH(QString, text);
    QFETCH(QString, completed);
    QCOMPARE(QString::fromStdString(completeAddress(text.toStdString())), completed);
}

// ---------------------------------------------------------------- sequence text

void TestExpertTable::sequenceEntries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<int>>("entries");
    QTest::newRow("empty") << "" << QList<int>{};
    QTest::newRow("one") << "07" << QList<int>{7};
    QTest::newRow("order kept") << "03,01" << QList<int>{3, 1};
    QTest::newRow("single digit alone is no entry") << "7" << QList<int>{};
    QTest::newRow("trailing comma") << "01,02," << QList<int>{1, 2};
    QTest::newRow("by position") << "01,2" << QList<int>{1};
    QTest::newRow("repeats") << "05,05,64" << QList<int>{5, 5, 64};
}

void TestExpertTable::sequenceEntries()
{
    QFETCH(QString, text);
    QFETCH(QList<int>, entries);
    const std::string s = text.toStdString();
    QCOMPARE(SequenceText::count(s), int(entries.size()));
    for (int k = 0; k < entries.size(); ++k)
        QCOMPARE(SequenceText::entry(s, k), entries[k]);
}

void TestExpertTable::sequenceEntryNotANumber()
{
    QVERIFY_THROWS_EXCEPTION(tp::InvalidNumber, SequenceText::entry("01,x2", 1));
    QVERIFY_THROWS_EXCEPTION(tp::InvalidNumber, SequenceText::entry("1,02", 0));
}

void TestExpertTable::sequenceFromCells_data()
{
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("text");
    QTest::newRow("one digit completed") << QStringList{"7"} << true << "07";
    QTest::newRow("gaps left out") << QStringList{"3", "", "0", "00", "  ", "01"} << true << "03,01";
    QTest::newRow("64 is the highest") << QStringList{"64", "1"} << true << "64,01";
    QTest::newRow("65 refused") << QStringList{"01", "65"} << false << "";
    QTest::newRow("all empty") << QStringList{"", ""} << true << "";
}

void TestExpertTable::sequenceFromCells()
{
    QFETCH(QStringList, cells);
    QFETCH(bool, accepted);
    QFETCH(QString, text);
    std::vector<std::string> v(SequenceText::kColumns);
    for (int i = 0; i < cells.size(); ++i)
        v[std::size_t(i)] = cells[i].toStdString();
    const auto out = SequenceText::fromCells(v);
    QCOMPARE(out.has_value(), accepted);
    if (accepted)
        QCOMPARE(QString::fromStdString(*out), text);
}

void TestExpertTable::sequenceCellsOfText()
{
    auto cells = SequenceText::toCells("03,01,12");
    QCOMPARE(int(cells.size()), 64);
    QCOMPARE(cells[0], std::string("03"));
    QCOMPARE(cells[2], std::string("12"));
    QCOMPARE(cells[3], std::string());

    std::string many;
    for (int i = 0; i < 70; ++i)
        many += i ? ",01" : "01";
    cells = SequenceText::toCells(many);
    QCOMPARE(int(cells.size()), 64);
    QCOMPARE(cells[63], std::string("01"));
    QCOMPARE(SequenceText::tooHighMessage(), std::string("The maximum Msg #\nis 64 in the Sequencer"));
}

QTEST_APPLESS_MAIN(TestExpertTable)
#include "tst_expert_table.moc"
