#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "core/universal/DefinitionFile.h"
#include "core/universal/IniDocument.h"
#include "core/universal/RecentFiles.h"
#include "core/universal/UserDevice.h"

#include <QtTest>

#include <fstream>
#include <iterator>

using namespace tp::userdev;
using tp::IniDocument;

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

// Lines joined with CR LF, ending in one.
std::string crlf(std::initializer_list<const char*> lines)
{
    std::string out;
    for (const char* l : lines)
        out += std::string(l) + "\r\n";
    return out;
}

// A device with a few registers that say something.
UserDevice sampleDevice()
{
    UserDevice d;
    Definition def;
    def.name = "Fan, rev B; 50% = ok";
    def.address = 0x9E;
    def.maxRegister = 20;
    for (int i = 0; i <= 20; ++i) {
        def.values[std::size_t(i)] = tp::intToHex(std::uint64_t(i * 7), 2);
        def.names[std::size_t(i)] = "Reg " + std::to_string(i);
    }
    def.names[5] = "Status, bit 7; see %x = 5";
    def.names[6] = "[not a section]";
    def.names[7] = "  two blanks before";
    def.names[8] = "";
    def.names[9] = "Temp \xC2\xB0"
                   "C \xE2\x82\xAC"; // degree sign and euro: both in the code page
    d.define(def, Shade::Blue);
    return d;
}

} // namespace

class TestUserDeviceFiles : public QObject {
    Q_OBJECT
private slots:
    void iniLookupIgnoresCaseKeepsValues_data();
    void iniLookupIgnoresCaseKeepsValues();
    void iniFirstSectionAndKeyWin();
    void iniWritingKeepsOtherLines();
    void iniEraseSectionEmptiesIt();
    void iniLineBreaksInValuesStayInTheirLine();

    void completingValues_data();
    void completingValues();
    void panelText();

    void defRoundTripsByteForByte();
    void defLayout();
    void defSavedUnchangedKeepsItsSpelling();
    void defReadsOtherSpellings();
    void defDefaultsWhenAbsent();
    void defMaxRegister20LeavesUpperCellsEmpty();
    void defRefusesBadFiles_data();
    void defRefusesBadFiles();
    void defSaveKeepsOtherContentSaveAsErasesValues();
    void defCodePageAndUtf8();
    void defWrittenBackInItsEncoding_data();
    void defWrittenBackInItsEncoding();
    void defCodePageStartingLikeAByteOrderMark();
    void defLoadMessageNamesTheFile();
    void defMangledFilesGiveAValidDeviceOrAnError();

    void textExport();
    void reportLinesAndPages();

    void recentList();
};

// ------------------------------------------------------------------ IniDocument

void TestUserDeviceFiles::iniLookupIgnoresCaseKeepsValues_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("canonical") << "Device Data"
                               << "Name"
                               << "Fan, rev B";
    QTest::newRow("lower case") << "device data"
                                << "name"
                                << "Fan, rev B";
    QTest::newRow("upper case") << "DEVICE DATA"
                                << "NAME"
                                << "Fan, rev B";
    QTest::newRow("blanks inside the section count") << "DeviceData"
                                                     << "Name" << QString();
    QTest::newRow("semicolon, percent, equals") << "Register Description"
                                                << "0"
                                                << "Status, bit 7; see %x = 5";
    QTest::newRow("blanks after = kept") << "Register Description"
                                         << "1"
                                         << "  spaced  ";
    QTest::newRow("blanks around key name") << "Register Description"
                                            << "2"
                                            << "x";
    QTest::newRow("empty value") << "Register Description"
                                 << "3"
                                 << "";
    QTest::newRow("comment is no key") << "Register Description"
                                       << ";4" << QString();
    QTest::newRow("LF line end") << "Register Data"
                                 << "0"
                                 << "0A";
    QTest::newRow("lone CR line end") << "Register Data"
                                      << "1"
                                      << "0B";
    QTest::newRow("no such key") << "Register Data"
                                 << "2" << QString();
}

void TestUserDeviceFiles::iniLookupIgnoresCaseKeepsValues()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    const IniDocument doc = IniDocument::parse("[device data]\r\n"
                                               "NAME=Fan, rev B\r\n"
                                               "\r\n"
                                               "[ Register Description ]\r\n"
                                               "0=Status, bit 7; see %x = 5\r\n"
                                               "1=  spaced  \r\n"
                                               "  2  =x\r\n"
                                               "3=\r\n"
                                               ";4=comment\r\n"
                                               "[Register Data]\n"
                                               "0=0A\n"
                                               "1=0B\r");
    const auto v = doc.value(section.toStdString(), key.toStdString());
    if (expected.isNull()) {
        QVERIFY(!v);
    } else {
        QVERIFY(v);
        QCOMPARE(QString::fromStdString(*v), expected);
    }
}

void TestUserDeviceFiles::iniFirstSectionAndKeyWin()
{
    const IniDocument doc = IniDocument::parse(crlf({"[A]", "k=1", "K=2", "[a]", "k=3", "j=4"}));
    QCOMPARE(doc.value("a", "k").value_or("?"), std::string("1"));
    // Keys under a repeated header are not part of the section.
    QVERIFY(!doc.value("A", "j"));
    QVERIFY(!doc.value("B", "k"));
    QVERIFY(doc.hasSection("A"));
    QVERIFY(!doc.hasSection("B"));
}

void TestUserDeviceFiles::iniWritingKeepsOtherLines()
{
    IniDocument doc = IniDocument::parse(
        crlf({"; written by hand", "[Device Data]", "address=10", "Extra=keep me", "", "[Other]", "x=1"}));
    doc.setValue("DEVICE DATA", "Address", "A0"); // replaced in place
    doc.setValue("Device Data", "Name", "N");     // added after the section's last line
    doc.setValue("Register Data", "0", "FF");     // new section at the end
    doc.setValue("Register Data", "1", "EE");
    QCOMPARE(doc.text(), crlf({"; written by hand", "[Device Data]", "address=A0", "Extra=keep me", "Name=N",
                               "", "[Other]", "x=1", "", "[Register Data]", "0=FF", "1=EE"}));
    QCOMPARE(doc.value("device data", "name").value_or("?"), std::string("N"));
}

void TestUserDeviceFiles::iniEraseSectionEmptiesIt()
{
    IniDocument doc = IniDocument::parse(
        crlf({"[Register Data]", "0=11", "; note", "", "[Keep]", "k=v", "[register data]", "5=55"}));
    doc.eraseSection("Register Data");
    QCOMPARE(doc.text(), crlf({"[Register Data]", "", "[Keep]", "k=v"}));
    QVERIFY(!doc.value("Register Data", "5"));
    // Keys written next stand under the header that stayed.
    doc.setValue("Register Data", "0", "22");
    QCOMPARE(doc.text(), crlf({"[Register Data]", "0=22", "", "[Keep]", "k=v"}));
}

void TestUserDeviceFiles::iniLineBreaksInValuesStayInTheirLine()
{
    IniDocument doc;
    doc.setValue("S", "k", "one\r\n[Evil]\nx=1");
    QCOMPARE(doc.text(), crlf({"[S]", "k=one  [Evil] x=1"}));
    QVERIFY(!doc.hasSection("Evil"));
}

// ------------------------------------------------------------------ model

void TestUserDeviceFiles::completingValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("complete");
    QTest::addColumn<QString>("checked"); // null: refused from a file
    QTest::newRow("two digits") << "3C"
                                << "3C"
                                << "3C";
    QTest::newRow("lower case") << "ab"
                                << "AB"
                                << "AB";
    QTest::newRow("one digit") << "7"
                               << "07"
                               << "07";
    QTest::newRow("empty") << ""
                           << "FF"
                           << "FF";
    QTest::newRow("blanks") << " 5 "
                            << "05"
                            << "05";
    QTest::newRow("not hex") << "ZZ"
                             << "ZZ" << QString();
    QTest::newRow("three digits") << "123"
                                  << "123" << QString();
}

void TestUserDeviceFiles::completingValues()
{
    QFETCH(QString, text);
    QFETCH(QString, complete);
    QFETCH(QString, checked);
    QCOMPARE(QString::fromStdString(completeValueText(text.toStdString())), complete);
    const auto c = checkedValueText(text.toStdString());
    QCOMPARE(c.has_value(), !checked.isNull());
    if (c)
        QCOMPARE(QString::fromStdString(*c), checked);
}

void TestUserDeviceFiles::panelText()
{
    UserDevice d;
    QCOMPARE(d.panelText(0), std::string("0x00: Undefined Register"));
    QCOMPARE(d.address(), std::uint8_t(0xA0)); // never the general call address 00
    d.setAddress(0xA1);
    QCOMPARE(d.address(), std::uint8_t(0xA0));
    Definition def;
    def.maxRegister = 15;
    def.names[15] = "Last";
    d.define(def, Shade::Grey);
    QCOMPARE(d.panelText(15), std::string("0x0F: Last"));
    QCOMPARE(d.panelText(0x20), std::string("Invalid Register selection"));
    QCOMPARE(d.rowCount(), 1);
    QCOMPARE(d.valueText(16), std::string());
    QCOMPARE(d.undefinedShade(), Shade::Grey);
    QVERIFY_THROWS_EXCEPTION(tp::InvalidNumber, d.value(16));
}

// ------------------------------------------------------------------ .def

void TestUserDeviceFiles::defRoundTripsByteForByte()
{
    const UserDevice d = sampleDevice();
    const std::string bytes = DefinitionFile::format({}, d, false);

    // Read back: every value and name as it was.
    const Definition back = DefinitionFile::parse(bytes);
    QCOMPARE(back.name, d.name());
    QCOMPARE(back.address.value_or(0), d.address());
    QCOMPARE(back.maxRegister, 20);
    for (int i = 0; i <= 20; ++i) {
        QCOMPARE(back.values[std::size_t(i)], d.valueText(i));
        QCOMPARE(back.names[std::size_t(i)], d.registerName(i));
    }
    // And written again over itself, in both save modes: the same bytes.
    UserDevice again;
    again.define(back, Shade::Blue);
    QCOMPARE(DefinitionFile::format(bytes, again, false), bytes);
    QCOMPARE(DefinitionFile::format(bytes, again, true), bytes);
}

void TestUserDeviceFiles::defSavedUnchangedKeepsItsSpelling()
{
    // Written by hand or by another tool, kept under version control.
    const std::string bytes = crlf({"[device data]", "address=5C", "maxregister=1", "NAME=Dev", "",
                                    "[register data]", "0=01", "1=A2", "", "[Register Description]", "0=First",
                                    "1=Second"});
    UserDevice d;
    d.define(DefinitionFile::parse(bytes), Shade::Blue);
    QCOMPARE(DefinitionFile::format(bytes, d, false), bytes);
    // A changed value keeps its key's spelling too.
    Definition changed = DefinitionFile::parse(bytes);
    changed.address = 0x5E;
    d.define(changed, Shade::Blue);
    const std::string again = DefinitionFile::format(bytes, d, false);
    QVERIFY(QString::fromStdString(again).contains("\r\naddress=5E\r\n"));
    QVERIFY(!QString::fromStdString(again).contains("Address="));

    // Blanks are part of a name: "0 = First" names register 0 " First", and
    // a name that differs from it only in blanks is written, not kept.
    const std::string spaced = crlf({"[Device Data]", "MaxRegister=0", "[Register Description]", "0 = First"});
    QCOMPARE(DefinitionFile::parse(spaced).names[0], std::string(" First"));
    for (const char* name : {"First", "  First", " First "}) {
        Definition renamed = DefinitionFile::parse(spaced);
        renamed.names[0] = name;
        d.define(renamed, Shade::Blue);
        QCOMPARE(DefinitionFile::parse(DefinitionFile::format(spaced, d, false)).names[0], std::string(name));
    }
}

void TestUserDeviceFiles::defLayout()
{
    UserDevice d;
    Definition def;
    def.name = "Dev";
    def.maxRegister = 1;
    def.values = {"01", "A2"};
    def.names = {"First", "Second"};
    d.define(def, Shade::Blue);
    QCOMPARE(DefinitionFile::format({}, d, false),
             crlf({"[Device Data]", "Address=A0", "MaxRegister=1", "Name=Dev", "", "[Register Data]", "0=01",
                   "1=A2", "", "[Register Description]", "0=First", "1=Second"}));
}

void TestUserDeviceFiles::defReadsOtherSpellings()
{
    const Definition d =
        DefinitionFile::parse(crlf({"[device data]", "maxregister=20", "NAME=x", "address = 4e ",
                                    "[REGISTER DATA]", "20=c3", "[register description]", "20=Twenty"}));
    QCOMPARE(d.maxRegister, 20);
    QCOMPARE(d.name, std::string("x"));
    QCOMPARE(d.address.value_or(0), std::uint8_t(0x4E));
    QCOMPARE(d.values[20], std::string("C3"));
    QCOMPARE(d.names[20], std::string("Twenty"));
}

void TestUserDeviceFiles::defDefaultsWhenAbsent()
{
    const Definition d = DefinitionFile::parse(crlf({"[Device Data]"}));
    QCOMPARE(d.maxRegister, 255);
    QCOMPARE(d.name, std::string("Unknown Device"));
    QVERIFY(!d.address); // the window keeps the address it shows
    for (int i : {0, 128, 255}) {
        QCOMPARE(d.values[std::size_t(i)], std::string("FF"));
        QCOMPARE(d.names[std::size_t(i)], std::string("Undefined Register"));
    }
    // An odd address is made even, as the address field does.
    QCOMPARE(DefinitionFile::parse(crlf({"[Device Data]", "Address=A1"})).address.value_or(0),
             std::uint8_t(0xA0));
}

void TestUserDeviceFiles::defMaxRegister20LeavesUpperCellsEmpty()
{
    const Definition def = DefinitionFile::parse(crlf({"[Device Data]", "MaxRegister=20", "[Register Data]",
                                                       "21=12", "[Register Description]", "21=Beyond"}));
    UserDevice d;
    d.setValueText(25, "77");
    d.define(def, Shade::Blue);
    QCOMPARE(d.rowCount(), 2);
    for (int i = 21; i <= 31; ++i) {
        QCOMPARE(d.valueText(i), std::string());
        QCOMPARE(d.registerName(i), std::string("Undefined Register"));
    }
    QCOMPARE(d.panelText(21), std::string("Invalid Register selection"));
    QCOMPARE(d.undefinedShade(), Shade::Blue);
}

void TestUserDeviceFiles::defRefusesBadFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    auto row = [](const char* name, const std::string& bytes, const char* reason) {
        QTest::newRow(name) << QByteArray(bytes.data(), qsizetype(bytes.size()))
                            << QString::fromLatin1(reason);
    };
    row("MaxRegister 999", crlf({"[Device Data]", "MaxRegister=999"}),
        "MaxRegister must be a number from 0 to 255");
    row("MaxRegister -1", crlf({"[Device Data]", "MaxRegister=-1"}),
        "MaxRegister must be a number from 0 to 255");
    row("MaxRegister 256", crlf({"[Device Data]", "MaxRegister=256"}),
        "MaxRegister must be a number from 0 to 255");
    row("MaxRegister abc", crlf({"[Device Data]", "MaxRegister=abc"}), "not \"abc\"");
    row("MaxRegister empty", crlf({"[Device Data]", "MaxRegister="}), "MaxRegister must be");
    row("MaxRegister huge", crlf({"[Device Data]", "MaxRegister=99999999999999999999"}),
        "MaxRegister must be");
    row("value ZZ", crlf({"[Device Data]", "MaxRegister=3", "[Register Data]", "2=ZZ"}),
        "the value of register 2 must be two hex digits, not \"ZZ\"");
    row("value 3 digits", crlf({"[Register Data]", "0=100"}), "register 0");
    row("address XY", crlf({"[Device Data]", "Address=XY"}), "Address must be two hex digits");
    row("address empty", crlf({"[Device Data]", "Address="}), "Address must be two hex digits");
    row("binary", std::string("[Device Data]\r\nName=a\0b\r\n", 25), "not a text file");
    row("no sections", crlf({"just some text", "x=1"}), "none of the sections");
    row("empty", std::string(), "none of the sections");
    row("too large", std::string(DefinitionFile::kMaxFileSize + 1, ';'), "too large");
}

void TestUserDeviceFiles::defRefusesBadFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    try {
        DefinitionFile::parse(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        QFAIL("accepted");
    } catch (const tp::FileError& e) {
        QVERIFY2(QString::fromStdString(e.what()).contains(reason), e.what());
    }
}

void TestUserDeviceFiles::defSaveKeepsOtherContentSaveAsErasesValues()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dev.def");
    writeBytes(path, crlf({"; my notes", "[Device Data]", "Name=Old", "Vendor=Acme", "[Register Data]",
                           "0=11", "40=44", "[Register Description]", "40=Old forty", "[Mine]", "keep=yes"}));
    UserDevice d;
    Definition def;
    def.name = "New";
    def.maxRegister = 1;
    def.values = {"AA", "BB"};
    d.define(def, Shade::Grey);

    // Save: only the keys written change.
    DefinitionFile::save(path.toStdString(), d, false);
    QCOMPARE(readBytes(path),
             crlf({"; my notes", "[Device Data]", "Name=New", "Vendor=Acme", "Address=A0", "MaxRegister=1",
                   "[Register Data]", "0=AA", "40=44", "1=BB", "[Register Description]", "40=Old forty",
                   "0=", "1=", "[Mine]", "keep=yes"}));
    // Save As: the old register values go.
    DefinitionFile::save(path.toStdString(), d, true);
    const std::string after = readBytes(path);
    QVERIFY(after.find("40=44") == std::string::npos);
    QVERIFY(after.find("40=Old forty") != std::string::npos);
    QVERIFY(after.find("keep=yes") != std::string::npos);
    QCOMPARE(DefinitionFile::load(path.toStdString()).values[1], std::string("BB"));
    // No temporary file is left beside it.
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"dev.def"});
}

void TestUserDeviceFiles::defCodePageAndUtf8()
{
    const UserDevice d = sampleDevice();
    const std::string bytes = DefinitionFile::format({}, d, false);
    // Degree sign and euro as single bytes of the code page.
    QVERIFY(bytes.find("9=Temp \xB0"
                       "C \x80\r\n") != std::string::npos);
    QCOMPARE(DefinitionFile::parse(bytes).names[9], d.registerName(9));

    // A file saved as UTF-8 with a byte-order mark reads as UTF-8.
    const Definition u = DefinitionFile::parse("\xEF\xBB\xBF[Device Data]\r\nName=M\xC3\xBCller\r\n");
    QCOMPARE(u.name, std::string("M\xC3\xBCller"));
}

void TestUserDeviceFiles::defWrittenBackInItsEncoding_data()
{
    // Omega, CJK and degrees Celsius: none of them in the code page.
    const QByteArray utf8 = QByteArray("\xEF\xBB\xBF") +
                            crlf({"[Device Data]", "Name=\xCE\xA9 meter", "MaxRegister=1",
                                  "[Register Description]", "1=\xE4\xB8\xAD \xE2\x84\x83", "[Notes]",
                                  "by=\xC5\x81\xC3\xB3" "d\xC5\xBA"})
                                .c_str();
    const QByteArray cp1252 = crlf({"[Device Data]", "Name=Caf\xE9 \x80", "MaxRegister=1"}).c_str();
    QTest::addColumn<QByteArray>("readFrom"); // empty: a device defined in the window
    QTest::addColumn<QByteArray>("onDisk");   // the file the save replaces; empty: none
    QTest::addColumn<bool>("bom");
    QTest::newRow("UTF-8 saved over itself") << utf8 << utf8 << true;
    QTest::newRow("UTF-8 saved as a new file") << utf8 << QByteArray() << true;
    QTest::newRow("code page saved over itself") << cp1252 << cp1252 << false;
    QTest::newRow("code page saved as a new file") << cp1252 << QByteArray() << false;
    QTest::newRow("new device, new file") << QByteArray() << QByteArray() << false;
    QTest::newRow("new device over a UTF-8 file") << QByteArray() << utf8 << true;
}

void TestUserDeviceFiles::defWrittenBackInItsEncoding()
{
    QFETCH(QByteArray, readFrom);
    QFETCH(QByteArray, onDisk);
    QFETCH(bool, bom);
    UserDevice d = readFrom.isEmpty() ? sampleDevice() : UserDevice();
    if (!readFrom.isEmpty())
        d.define(DefinitionFile::parse(readFrom.toStdString()), Shade::Blue);
    QTemporaryDir dir;
    const QString path = dir.filePath("dev.def");
    if (!onDisk.isEmpty())
        writeBytes(path, onDisk.toStdString());
    DefinitionFile::save(path.toStdString(), d, false);

    const std::string written = readBytes(path);
    QCOMPARE(written.rfind("\xEF\xBB\xBF", 0) == 0, bom);
    QCOMPARE(DefinitionFile::encodingOf(written), bom ? FileEncoding::Utf8WithBom : FileEncoding::Cp1252);
    // Every character comes back; nothing became "?".
    QVERIFY(written.find('?') == std::string::npos);
    const Definition back = DefinitionFile::load(path.toStdString());
    QCOMPARE(back.name, d.name());
    for (int i = 0; i <= d.maxRegister(); ++i)
        QCOMPARE(back.names[std::size_t(i)], d.registerName(i));
    if (!onDisk.isEmpty() && onDisk.contains("[Notes]"))
        QVERIFY(written.find("by=\xC5\x81\xC3\xB3" "d\xC5\xBA") != std::string::npos);
    // The text export follows the device.
    QCOMPARE(DefinitionFile::encodingOf(DefinitionFile::exportText(d)),
             d.encoding() == FileEncoding::Utf8WithBom ? FileEncoding::Utf8WithBom : FileEncoding::Cp1252);
}

void TestUserDeviceFiles::defCodePageStartingLikeAByteOrderMark()
{
    // The bytes of a byte-order mark, but "Caf\xE9" is no UTF-8: the file is
    // code page 1252 and its first line reads "\xC3\xAF\xC2\xBB\xC2\xBF".
    const std::string onDisk = "\xEF\xBB\xBF\r\n" +
                               crlf({"[Device Data]", "Name=Caf\xE9", "MaxRegister=1", "[Notes]", "by=\xC3\xA9"});
    Definition def = DefinitionFile::parse(onDisk);
    QCOMPARE(def.encoding, FileEncoding::Cp1252);
    // Renamed, the file's only byte that is not UTF-8 goes.
    def.name = "Cafe";
    UserDevice d;
    d.define(def, Shade::Blue);
    const std::string written = DefinitionFile::format(onDisk, d, false);

    std::string before;
    std::string after;
    QVERIFY(DefinitionFile::decode(onDisk, before));
    QVERIFY(DefinitionFile::decode(written, after));
    QCOMPARE(DefinitionFile::parse(written).name, std::string("Cafe"));
    // Everything else reads as it did: the note is still the two characters
    // the code page gave, and the three at the start are still there.
    const auto note = [](const std::string& text) { return IniDocument::parse(text).value("Notes", "by"); };
    QCOMPARE(note(after), note(before));
    QCOMPARE(after.substr(0, 6), before.substr(0, 6));
    QCOMPARE(DefinitionFile::format(written, d, false), written);
}

void TestUserDeviceFiles::defLoadMessageNamesTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("broken.def");
    writeBytes(path, crlf({"[Device Data]", "MaxRegister=abc"}));
    try {
        DefinitionFile::load(path.toStdString());
        QFAIL("accepted");
    } catch (const tp::FileError& e) {
        QCOMPARE(
            QString::fromStdString(e.what()),
            QString(
                "\"broken.def\" is not a valid definition file: MaxRegister must be a number from 0 to 255, "
                "not \"abc\". Nothing was loaded"));
    }
    QVERIFY_THROWS_EXCEPTION(tp::FileError, DefinitionFile::load(dir.filePath("missing.def").toStdString()));
}

// Damaged copies of a good file: each either reads as a device whose every
// value the grid and the bus can take, or is refused with a FileError.
void TestUserDeviceFiles::defMangledFilesGiveAValidDeviceOrAnError()
{
    const std::string good = DefinitionFile::format({}, sampleDevice(), false);
    const std::string alphabet = "[]=;\r\n -0123456789AaFfZz,%\x80\xFF\0";
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    int refused = 0;
    for (int round = 0; round < 600; ++round) {
        std::string bytes = good;
        const int edits = 1 + int(next() % 6);
        for (int e = 0; e < edits && !bytes.empty(); ++e) {
            const std::size_t at = next() % bytes.size();
            switch (next() % 3) {
            case 0:
                bytes[at] = alphabet[next() % alphabet.size()];
                break;
            case 1:
                bytes.erase(at, 1 + next() % 12);
                break;
            default:
                bytes.insert(at, 1, alphabet[next() % alphabet.size()]);
            }
        }
        try {
            const Definition d = DefinitionFile::parse(bytes);
            QVERIFY(d.maxRegister >= 0 && d.maxRegister <= 255);
            QVERIFY(!d.address || (*d.address & 1) == 0);
            for (int i = 0; i <= d.maxRegister; ++i) {
                const std::string& v = d.values[std::size_t(i)];
                QVERIFY2(v.size() == 2 && tp::isHexDigit(v[0]) && tp::isHexDigit(v[1]), v.c_str());
            }
            UserDevice device;
            device.define(d, Shade::Blue);
            // What was read writes back and reads again as the same device.
            const Definition again = DefinitionFile::parse(DefinitionFile::format({}, device, false));
            QCOMPARE(again.maxRegister, d.maxRegister);
            QCOMPARE(again.values, device.definition().values);
        } catch (const tp::FileError&) {
            ++refused;
        }
    }
    QVERIFY(refused > 0 && refused < 600);
}

// ------------------------------------------------------------------ export, report

void TestUserDeviceFiles::textExport()
{
    UserDevice d = sampleDevice();
    const std::string text = DefinitionFile::exportText(d);
    QVERIFY(text.rfind(crlf({"[Device Data]", "Address=9E", "MaxRegister=20", "", "[Register Data]",
                             "00=00  ;Reg 0", "01=07  ;Reg 1"}),
                       0) == 0);
    QVERIFY(text.find("05=23  ;Status, bit 7; see %x = 5\r\n") != std::string::npos);
    QVERIFY(text.find("14=8C  ;Reg 20\r\n") != std::string::npos);
    QVERIFY(text.find("15=") == std::string::npos);
    QVERIFY(text.find("Name") == std::string::npos);

    // A fresh file, never merged into the old one.
    QTemporaryDir dir;
    const QString path = dir.filePath("regs.txt");
    writeBytes(path, crlf({"[Register Data]", "99=stale", "10=clash"}));
    DefinitionFile::saveExport(path.toStdString(), d);
    QCOMPARE(readBytes(path), text);
}

void TestUserDeviceFiles::reportLinesAndPages()
{
    UserDevice d;
    d.setName("Chip");
    const auto lines = DefinitionFile::reportLines(d);
    QCOMPARE(lines.size(), std::size_t(259));
    QCOMPARE(lines[0], std::string("Device Name is: Chip"));
    QCOMPARE(lines[1], std::string("Device Address is: 0xA0"));
    QCOMPARE(lines[2], std::string("Register  Value  Register Description"));
    QCOMPARE(lines[3], std::string("  0x00     FF    ;Undefined Register"));
    QCOMPARE(lines[258], std::string("  0xFF     FF    ;Undefined Register"));

    const auto pages = DefinitionFile::reportPages(lines, 100);
    QCOMPARE(pages.size(), std::size_t(3)); // 100, then 99 + heading twice
    QCOMPARE(pages[0].size(), std::size_t(100));
    QCOMPARE(pages[1].front(), lines[2]);
    QCOMPARE(pages[1][1], lines[100]);
    QCOMPARE(pages[2].back(), lines[258]);
    std::size_t registers = 0;
    for (const auto& p : pages)
        for (const auto& l : p)
            registers += l.rfind("  0x", 0) == 0;
    QCOMPARE(registers, std::size_t(256));
}

// ------------------------------------------------------------------ recent files

void TestUserDeviceFiles::recentList()
{
    tp::RecentFiles r({"/a", "/b", "/a", ""});
    QCOMPARE(r.paths(), (std::vector<std::string>{"/a", "/b"}));
    QVERIFY(!r.changed());
    r.add("/b");
    QCOMPARE(r.paths(), (std::vector<std::string>{"/b", "/a"}));
    QVERIFY(r.changed());
    for (const char* p : {"/c", "/d", "/e"})
        r.add(p);
    QCOMPARE(r.paths(), (std::vector<std::string>{"/e", "/d", "/c", "/b"}));
    r.add("/c");
    QCOMPARE(r.paths(), (std::vector<std::string>{"/c", "/e", "/d", "/b"}));
    r.remove("/e");
    QCOMPARE(r.paths(), (std::vector<std::string>{"/c", "/d", "/b"}));
    r.markStored();
    QVERIFY(!r.changed());
}

QTEST_APPLESS_MAIN(TestUserDeviceFiles)
#include "tst_userdevice_files.moc"
