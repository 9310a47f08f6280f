#include "core/common/CodePage.h"
#include "core/common/Errors.h"
#include "core/universal/ExpertDataFile.h"
#include "core/universal/MessageTable.h"

#include <QtTest>

#include <fstream>
#include <iterator>

using namespace tp::expert;
using F = ExpertDataFile;

namespace {

std::string readBytes(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const QString& path, const std::string& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out << bytes;
}

QByteArray bytesOf(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

// address, rw, data, stop, delay, notes
QStringList fieldsOf(const TGridRecord& r)
{
    return {QString::fromStdString(r.address), QString::fromStdString(r.rw), QString::fromStdString(r.data),
            QString::fromStdString(r.stop),    QString::fromStdString(r.delay), QString::fromStdString(r.notes)};
}

TGridRecord recordOf(const QStringList& f)
{
    return {f[0].toStdString(), f[1].toStdString(), f[2].toStdString(),
            f[3].toStdString(), f[4].toStdString(), f[5].toStdString()};
}

} // namespace

class TestExpertFile : public QObject {
    Q_OBJECT
private slots:
    void writesTheLayout();
    void roundTrip();
    void headers_data();
    void headers();
    void headerOnlyGivesOneEmptyRowAndKeepsSequence();
    void messageLines_data();
    void messageLines();
    void commentEmptyAndSequenceLines();
    void limitsOfNotesAndSequence();
    void writeReadWriteIsStable_data();
    void writeReadWriteIsStable();
    void commaFreeCommentsLineKeepsItsData();
    void codePage();
    void saveAndLoadFiles();
    void failedSaveKeepsTheOldFile();
    void missingFileIsAFileError();
};

void TestExpertFile::writesTheLayout()
{
    MessageTable t;
    t.setRecord(1, {"A0", "Write", "00,1F,FF", "No", "10", ""});
    t.setRecord(2, {"A0", "Read", "FF", "Yes", "0", "pointer, then read"});
    t.setRecord(4, {"", "", "", "", "", "only notes"});
    t.clearRow(6); // no start mark either: still not written
    t.setRecord(7, {"", "", "", "", "", ""});
    const std::string expected = "Expert Mode Data File\r\n"
                                 "A0,Write,No,10,00,1F,FF\r\n"
                                 "A0,Read,Yes,0,FF,Comments: pointer, then read\r\n"
                                 ",,,,,Comments: only notes\r\n"
                                 "Sequence:02,03\r\n";
    QCOMPARE(bytesOf(F::format(t, "02,03")), bytesOf(expected));
    // An empty sequence text still has its line.
    QVERIFY(F::format(MessageTable(), "") == "Expert Mode Data File\r\nSequence:\r\n");
}

void TestExpertFile::roundTrip()
{
    MessageTable t;
    t.setRecord(4, {"A2", "Write", "00,01,02", "No", "25", "set pointer, then read: 3 bytes, ok"});
    t.setRecord(5, {"A2", "Read", "FF,FF,FF", "Yes", "0", ""});
    t.setRecord(9, {"", "", "", "", "", ",Comments: twice, "});
    t.setRecord(12, {"40", "Write", "", "Yes", "5", ""});

    MessageTable back;
    back.setModified(true);
    std::string sequence = "old";
    const auto content = F::parse(F::format(t, "05,06,10"));
    QVERIFY(content);
    F::apply(*content, back, sequence);
    QCOMPARE(back.rowCount(), 4);
    QCOMPARE(back.record(0), t.record(4)); // empty rows are not kept: numbers close up
    QCOMPARE(back.record(1), t.record(5));
    QCOMPARE(back.record(2), t.record(9));
    QCOMPARE(back.record(3), t.record(12));
    for (int r = 0; r < 4; ++r) {
        QCOMPARE(back.cell(r, MessageTable::Number), std::to_string(r + 1));
        QCOMPARE(back.cell(r, MessageTable::Start), std::string("ST"));
    }
    QCOMPARE(sequence, std::string("05,06,10"));
    QVERIFY(back.modified()); // the window decides about the flag
}

void TestExpertFile::headers_data()
{
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("own") << QByteArray("Expert Mode Data File") << true;
    QTest::newRow("Pellwright") << QByteArray("Pellwright Data File") << true;
    QTest::newRow("Vessmarch") << QByteArray("Vessmarch Data File") << true;
    QTest::newRow("trailing blank") << QByteArray("Expert Mode Data File ") << false;
    QTest::newRow("leading blank") << QByteArray(" Expert Mode Data File") << false;
    QTest::newRow("case") << QByteArray("expert mode data file") << false;
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF" "Expert Mode Data File") << false;
    QTest::newRow("a message first") << QByteArray("A0,Write,Yes,0,00") << false;
    QTest::newRow("empty first line") << QByteArray("") << false;
}

void TestExpertFile::headers()
{
    QFETCH(QByteArray, header);
    QFETCH(bool, accepted);
    const std::string file = header.toStdString() + "\r\nA0,Write,Yes,0,01\r\nSequence:01\r\n";
    const auto content = F::parse(file);
    QCOMPARE(content.has_value(), accepted);
    if (accepted) {
        QCOMPARE(int(content->rows.size()), 1);
        QCOMPARE(content->rows[0].data, std::string("01"));
        // Whatever it was read from, it is written back under the own header.
        MessageTable t;
        std::string seq;
        F::apply(*content, t, seq);
        QVERIFY(F::format(t, seq).rfind("Expert Mode Data File\r\n", 0) == 0);
    }
    QVERIFY(!F::parse("").has_value());
}

void TestExpertFile::headerOnlyGivesOneEmptyRowAndKeepsSequence()
{
    for (const char* file : {"Expert Mode Data File\r\n", "Expert Mode Data File"}) {
        MessageTable t;
        t.setRecord(3, {"A0", "Write", "00", "Yes", "0", ""});
        std::string sequence = "04";
        const auto content = F::parse(file);
        QVERIFY(content);
        QVERIFY(!content->sequence);
        F::apply(*content, t, sequence);
        QCOMPARE(t.rowCount(), 1);
        QVERIFY(t.isEmptyRow(0));
        QCOMPARE(t.cell(0, MessageTable::Number), std::string("1"));
        QCOMPARE(t.cell(0, MessageTable::Start), std::string("ST"));
        QCOMPARE(sequence, std::string("04"));
    }
}

void TestExpertFile::messageLines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("fields"); // address, rw, data, stop, delay, notes

    QTest::newRow("full") << "A0,Write,Yes,10,00,1F,FF" << QStringList{"A0", "Write", "00,1F,FF", "Yes", "10", ""};
    QTest::newRow("comment") << "A0,Read,No,0,FF,Comments: a, b,c" << QStringList{"A0", "Read", "FF", "No", "0", "a, b,c"};
    QTest::newRow("first marker wins") << "A0,Read,No,0,FF,Comments: x,Comments: y"
                                       << QStringList{"A0", "Read", "FF", "No", "0", "x,Comments: y"};
    QTest::newRow("address and rw only") << "A0,Write" << QStringList{"A0", "", "Write", "", "", ""};
    QTest::newRow("no comma") << "A0" << QStringList{"", "", "A0", "", "", ""};
    QTest::newRow("blanks") << "   " << QStringList{"", "", "   ", "", "", ""};
    QTest::newRow("notes only") << ",,,,,Comments: n" << QStringList{"", "", "", "", "", "n"};
    QTest::newRow("empty data") << "40,Write,Yes,5," << QStringList{"40", "Write", "", "Yes", "5", ""};
    QTest::newRow("marker without comma") << "A0,Write,Yes,0,01Comments: x"
                                          << QStringList{"A0", "Write", "01Comments: x", "Yes", "0", ""};
}

void TestExpertFile::messageLines()
{
    QFETCH(QString, line);
    QFETCH(QStringList, fields);
    const TGridRecord r = F::parseMessageLine(line.toStdString());
    const QStringList got{QString::fromStdString(r.address), QString::fromStdString(r.rw),
                          QString::fromStdString(r.data), QString::fromStdString(r.stop),
                          QString::fromStdString(r.delay), QString::fromStdString(r.notes)};
    QCOMPARE(got, fields);
}

void TestExpertFile::commentEmptyAndSequenceLines()
{
    const std::string file = "Vessmarch Data File\n"
                             "// a comment, A0,Write,Yes,0,00\n"
                             "\n"
                             "Sequence:01\r\n"
                             "A0,Write,Yes,0,01\n"
                             "sequence:02\r\n" // not a sequence line: a message
                             "Sequence:03,01\r\n"
                             "A2,Read,Yes,0,FF";
    const auto content = F::parse(file);
    QVERIFY(content);
    QCOMPARE(int(content->rows.size()), 3);
    QCOMPARE(content->rows[0].data, std::string("01"));
    QCOMPARE(content->rows[1].data, std::string("sequence:02"));
    QCOMPARE(content->rows[2].address, std::string("A2"));
    QCOMPARE(*content->sequence, std::string("03,01")); // the later line wins
}

void TestExpertFile::limitsOfNotesAndSequence()
{
    const std::string longNotes(300, 'n');
    const std::string longSequence(300, '1');
    const auto content = F::parse("Expert Mode Data File\r\nA0,Write,Yes,0,00,Comments: " + longNotes +
                                  "\r\nSequence:" + longSequence + "\r\n");
    QVERIFY(content);
    QCOMPARE(content->rows[0].notes, std::string(255, 'n'));
    QCOMPARE(*content->sequence, std::string(255, '1'));
}

void TestExpertFile::writeReadWriteIsStable_data()
{
    QTest::addColumn<QStringList>("row"); // address, rw, data, stop, delay, notes
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<QStringList>("back");
    QTest::addColumn<QString>("sequenceBack");

    const QStringList plain{"A0", "Write", "00,01", "Yes", "0", "a note"};
    QTest::newRow("plain") << plain << "01" << plain << "01";
    QTest::newRow("line feed in the notes") << QStringList{"A0", "Write", "00", "Yes", "0", "first\nA2,Read"} << ""
                                            << QStringList{"A0", "Write", "00", "Yes", "0", "first A2,Read"} << "";
    QTest::newRow("CR LF in the notes") << QStringList{"A0", "Read", "FF", "No", "5", "a\r\nb\r\n"} << ""
                                        << QStringList{"A0", "Read", "FF", "No", "5", "a b "} << "";
    QTest::newRow("CR in the notes") << QStringList{"", "", "", "", "", "a\rb"} << ""
                                     << QStringList{"", "", "", "", "", "a b"} << "";
    QTest::newRow("line feed in the sequence") << plain << "01,\nSequence:02" << plain << "01, Sequence:02";
    QTest::newRow("data that starts like notes") << QStringList{"", "", "Comments: x", "", "", ""} << ""
                                                 << QStringList{"", "", "Comments: x", "", "", ""} << "";
    QTest::newRow("line break behind Comments: in a cell")
        << QStringList{"", "", "1F,Comments:\n\nx", "", "Comments:\r: y", "n"} << ""
        << QStringList{"", "", "1F,Comments:x", "", "Comments:: y", "n"} << "";
}

void TestExpertFile::writeReadWriteIsStable()
{
    QFETCH(QStringList, row);
    QFETCH(QString, sequence);
    QFETCH(QStringList, back);
    QFETCH(QString, sequenceBack);

    MessageTable t;
    t.setRecord(2, recordOf(row));
    const std::string first = F::format(t, sequence.toStdString());
    const auto content = F::parse(first);
    QVERIFY(content);
    QCOMPARE(int(content->rows.size()), 1);
    QCOMPARE(fieldsOf(content->rows[0]), back);
    QCOMPARE(QString::fromStdString(content->sequence.value_or("?")), sequenceBack);

    MessageTable again;
    std::string sequenceAgain;
    F::apply(*content, again, sequenceAgain);
    QCOMPARE(bytesOf(F::format(again, sequenceAgain)), bytesOf(first));
}

void TestExpertFile::commaFreeCommentsLineKeepsItsData()
{
    // A line without commas is all Data, also when it begins like notes;
    // saved and opened again it is still Data, not notes.
    const auto content = F::parse("Expert Mode Data File\r\nComments: 00,01\r\nComments: keep me\r\n");
    QVERIFY(content);
    QCOMPARE(int(content->rows.size()), 2);
    QCOMPARE(fieldsOf(content->rows[1]), (QStringList{"", "", "Comments: keep me", "", "", ""}));

    MessageTable t;
    std::string sequence;
    F::apply(*content, t, sequence);
    const std::string saved = F::format(t, sequence);
    const auto back = F::parse(saved);
    QVERIFY(back);
    QCOMPARE(int(back->rows.size()), 2);
    QCOMPARE(fieldsOf(back->rows[0]), fieldsOf(content->rows[0]));
    QCOMPARE(fieldsOf(back->rows[1]), fieldsOf(content->rows[1]));
    MessageTable again;
    F::apply(*back, again, sequence);
    QCOMPARE(bytesOf(F::format(again, sequence)), bytesOf(saved));
}

void TestExpertFile::codePage()
{
    // UTF-8 in the program, one byte per character in the file.
    const std::string utf8 = "caf\xC3\xA9 \xE2\x82\xAC 5\xC2\xB0" "C \xE2\x86\x92";
    const std::string cp = tp::utf8ToCp1252(utf8);
    QCOMPARE(bytesOf(cp), QByteArray("caf\xE9 \x80 5\xB0" "C ?"));
    QCOMPARE(tp::cp1252ToUtf8(cp), std::string("caf\xC3\xA9 \xE2\x82\xAC 5\xC2\xB0" "C ?"));
    QCOMPARE(bytesOf(tp::utf8ToCp1252("bad \xC3")), QByteArray("bad ?"));

    // Every byte survives the way in and out.
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += char(b);
    QCOMPARE(bytesOf(tp::utf8ToCp1252(tp::cp1252ToUtf8(all))), bytesOf(all));

    MessageTable t;
    t.setRecord(0, {"A0", "Write", "00", "Yes", "0", "\xC2\xB5" "A \xE2\x80\x93 r\xC3\xA9glage"});
    const std::string file = F::format(t, "");
    QVERIFY(file.find("Comments: \xB5" "A \x96 r\xE9glage\r\n") != std::string::npos);
    const auto content = F::parse(file);
    QCOMPARE(content->rows[0].notes, t.cell(0, MessageTable::Notes));
}

void TestExpertFile::saveAndLoadFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("messages.txt");
    writeBytes(path, std::string(5000, 'x')); // an older, longer file of that name

    MessageTable t;
    t.setRecord(0, {"A0", "Write", "00", "Yes", "0", "r\xC3\xA9sum\xC3\xA9, first"});
    F::save(path.toStdString(), t, "01");
    const std::string bytes = readBytes(path);
    QCOMPARE(bytesOf(bytes), bytesOf("Expert Mode Data File\r\nA0,Write,Yes,0,00,Comments: r\xE9sum\xE9, first\r\n"
                                     "Sequence:01\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"messages.txt"}); // no temporary left

    const auto content = F::load(path.toStdString());
    QVERIFY(content);
    QCOMPARE(content->rows[0], t.record(0));

    writeBytes(path, "Not a data file\r\nA0,Write,Yes,0,00\r\n");
    QVERIFY(!F::load(path.toStdString()).has_value());
}

void TestExpertFile::failedSaveKeepsTheOldFile()
{
    QTemporaryDir dir;
    QVERIFY_THROWS_EXCEPTION(tp::FileError,
                             F::save(dir.filePath("no/such/folder.txt").toStdString(), MessageTable(), ""));

    const QString path = dir.filePath("keep.txt");
    writeBytes(path, "Expert Mode Data File\r\nSequence:01\r\n");
    // Something in the way of the new file's first copy makes the save fail
    // (a read-only folder would not stop root).
    QVERIFY(QDir(dir.path()).mkdir("keep.txt.tmp~"));
    try {
        F::save(path.toStdString(), MessageTable(), "02");
        QFAIL("no error");
    } catch (const tp::FileError& e) {
        QVERIFY2(QString(e.what()).startsWith("Cannot create file \"" + path + "\". "), e.what());
    }
    QCOMPARE(bytesOf(readBytes(path)), QByteArray("Expert Mode Data File\r\nSequence:01\r\n"));
}

void TestExpertFile::missingFileIsAFileError()
{
    try {
        F::load("/nonexistent/file.txt");
        QFAIL("no error");
    } catch (const tp::FileError& e) {
        QCOMPARE(QString(e.what()), QString("Cannot open file \"/nonexistent/file.txt\". No such file or directory"));
    }
}

QTEST_APPLESS_MAIN(TestExpertFile)
#include "tst_expert_file.moc"
