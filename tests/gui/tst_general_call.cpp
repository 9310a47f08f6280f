// No window sends to the general call address (8-bit 00/01), however the
// address got there; the user definable device asks once before the first
// transfer to another reserved address.
#include "core/sim/DipSwitchChip.h"
#include "core/sim/MasterSelectorChip.h"
#include "gui/memory/MemoryForm.h"
#include "tests/gui/ExpertFixture.h"
#include "tests/gui/UserDeviceFixture.h"
#include "tests/support/WindowChecks.h"

#include <QCheckBox>
#include <QComboBox>

using Answer = Dialogs::Answer;

class TestGeneralCall : public QObject {
    Q_OBJECT
private slots:
    void init() { f = std::make_unique<UserDeviceFixture>(); }
    void cleanup() { f.reset(); }

    void userDeviceNeverSendsToTheGeneralCall_data();
    void userDeviceNeverSendsToTheGeneralCall();
    void fileWithoutAddressKeepsTheWindowsAddress();
    void reservedAddressesAskOncePerWindow_data();
    void reservedAddressesAskOncePerWindow();
    void otherWindowsRefuseTheGeneralCall_data();
    void otherWindowsRefuseTheGeneralCall();
    void expertModeSendsThereOnlyOnceConfirmed();

private:
    std::unique_ptr<UserDeviceFixture> f;

    void typeAddress(const QString& text)
    {
        HexField* a = f->address();
        a->setFocus();
        a->selectAll();
        QTest::keyClicks(a, text);
        f->grid()->setFocus();
    }
};

void TestGeneralCall::userDeviceNeverSendsToTheGeneralCall_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("warned");
    QTest::newRow("file Address=00") << "file" << "00" << true;
    QTest::newRow("file Address=01") << "file" << "01" << true;
    QTest::newRow("typed 00") << "typed" << "00" << false;
    QTest::newRow("typed 01") << "typed" << "01" << false;
    QTest::newRow("definition window 00") << "define" << "00" << true;
}

void TestGeneralCall::userDeviceNeverSendsToTheGeneralCall()
{
    QFETCH(QString, how);
    QFETCH(QString, value);
    QFETCH(bool, warned);
    if (how == "file") {
        f->openFile(f->writeFile("gc.def", crlfLines({"[Device Data]", "Address=" + value, "MaxRegister=3",
                                                      "Name=Reset me", "[Register Data]", "0=06"})));
    } else if (how == "typed") {
        typeAddress(value);
    } else {
        f->action("mnuDefineNew")->trigger();
        TfrmDefine* d = f->w->definitionWindow();
        child<QLineEdit>(d, "edtAddress")->setText(value);
        QTest::mouseClick(child<QPushButton>(d, "btnOK"), Qt::LeftButton);
    }
    QCOMPARE(f->address()->text(), QString("00"));
    QVERIFY(f->address()->invalidReason().contains("general call"));
    QCOMPARE(f->address()->toolTip(), f->address()->invalidReason());
    for (int width : {1280, 640}) {
        f->bench->main->resize(width, 800);
        saveShot(f->bench->main.get(), QStringLiteral("general-call-%1-%2").arg(how).arg(width));
    }
    const QStringList warnings = f->dialogs().texts("warning");
    QCOMPARE(warnings.size(), warned ? 1 : 0);
    if (warned)
        QVERIFY2(warnings[0].contains("general call") && warnings[0].contains("Nothing is sent"),
                 qPrintable(warnings[0]));

    // Every way to the bus stops before it, and says why.
    f->bench->clearLog();
    for (bool byteMode : {false, true}) {
        child<QCheckBox>(f->w, "chbOneAtATime")->setChecked(byteMode);
        for (const char* b : {"btnWriteOne", "btnReadOne", "btnWrite", "btnRead"}) {
            f->bench->main->ResetWarning();
            f->click(b);
            QVERIFY2(f->bench->statusText().contains("general call"), b);
        }
    }
    f->w->registerControlChanged(0, 0x06, true); // a register control with Auto Write
    QCOMPARE(f->bench->transfers(), QStringList());
    QVERIFY(f->bench->sim->log().entries().empty());

    // A real address lifts the mark and the window works again.
    typeAddress("5C");
    QCOMPARE(f->address()->invalidReason(), QString());
    QCOMPARE(f->address()->toolTip(), QString("Enter the device write address (even number)"));
    f->select(0);
    f->click("btnWriteOne");
    QCOMPARE(f->bench->transfers(), QStringList{"W 5C 00 06"});
}

void TestGeneralCall::fileWithoutAddressKeepsTheWindowsAddress()
{
    typeAddress("5C");
    f->openFile(f->writeFile("plain.def", crlfLines({"[Device Data]", "MaxRegister=3", "Name=No address"})));
    QCOMPARE(f->dialogs().texts("information"),
             QStringList{"\"plain.def\" names no device address: the window keeps address 5C."});
    QCOMPARE(f->address()->text(), QString("5C"));
    f->click("btnWriteOne");
    QCOMPARE(f->bench->transfers(), QStringList{"W 5C 00 FF"});
}

void TestGeneralCall::reservedAddressesAskOncePerWindow_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("purpose");
    QTest::newRow("02 CBUS") << "02" << "CBUS";
    QTest::newRow("04 other bus format") << "04" << "different bus format";
    QTest::newRow("0E high-speed master code") << "0E" << "master code";
    QTest::newRow("F0 10-bit addressing") << "F0" << "10-bit";
    QTest::newRow("FE device ID") << "FE" << "device ID";
}

void TestGeneralCall::reservedAddressesAskOncePerWindow()
{
    QFETCH(QString, address);
    QFETCH(QString, purpose);
    typeAddress(address);
    QCOMPARE(f->address()->invalidReason(), QString()); // confirmed, never refused

    f->dialogs().answers << Answer::No;
    f->click("btnWriteOne");
    QCOMPARE(f->bench->transfers(), QStringList());
    QVERIFY2(f->bench->statusText().contains("reserved"), qPrintable(f->bench->statusText()));
    QStringList asked = f->dialogs().texts("confirm");
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].contains("0x" + address) && asked[0].contains(purpose) && asked[0].endsWith("anyway?"),
             qPrintable(asked[0]));

    f->dialogs().answers << Answer::Yes;
    f->click("btnWriteOne");
    f->click("btnRead");
    f->click("btnWrite");
    QCOMPARE(f->dialogs().texts("confirm").size(), 2); // a yes holds for the window
    QCOMPARE(f->bench->transfers().size(), 4);         // byte, pointer and read, all
    QVERIFY(f->bench->transfers().first().startsWith("W " + address + " 00"));

    // An ordinary address asks nothing.
    typeAddress("10");
    f->click("btnWriteOne");
    QCOMPARE(f->dialogs().texts("confirm").size(), 2);
}

void TestGeneralCall::otherWindowsRefuseTheGeneralCall_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("button");
    QTest::newRow("PCA9541 register write") << "PCA9541" << "TfrmPCA9541" << "btnWriteReg1";
    QTest::newRow("PCA9541 register read") << "PCA9541" << "TfrmPCA9541" << "btnReadReg2";
    QTest::newRow("PCA8550 non-volatile write")
        << "PCA8550  4-bit Multiplexed/1-Bit Latched 5-Bit" << "TfrmPCA8550" << "btnPCA8550Write";
    QTest::newRow("EEPROM Read All") << "EEPROM/256 x 8 (2K bit)" << "" << "btnRead";
    QTest::newRow("EEPROM Write Byte") << "EEPROM/256 x 8 (2K bit)" << "" << "btnWriteOne";
}

void TestGeneralCall::otherWindowsRefuseTheGeneralCall()
{
    QFETCH(QString, entry);
    QFETCH(QString, windowClass);
    QFETCH(QString, button);
    TestBench& b = *f->bench;
    QWidget* w = b.main->openCaption(entry);
    QVERIFY(w);
    // However the address got there (a stale bus context, a typed list entry).
    if (auto* memory = qobject_cast<TMemoryForm*>(w))
        memory->cmbAddress->setEditText("00");
    else
        b.state->context(windowClass.toStdString()).address[0] = 0x00;
    b.clearLog();
    QTest::mouseClick(child<QAbstractButton>(w, button), Qt::LeftButton);
    QVERIFY(b.sim->log().entries().empty());
    const QString said = b.statusText() + b.dialogs.texts("error").join('|');
    QVERIFY2(said.contains("general call"), qPrintable(said));
}

void TestGeneralCall::expertModeSendsThereOnlyOnceConfirmed()
{
    f.reset();
    ExpertFixture x;
    x.load("Expert Mode Data File\r\n"
           "00,Write,Yes,0,06\r\n");
    x.bench.clearLog();
    x.bench.dialogs.answers << Answer::No;
    QTest::mouseClick(x.button("btnSendAll"), Qt::LeftButton);
    QCOMPARE(x.bench.transfers(), QStringList());
    QStringList asked = x.bench.dialogs.texts("confirm");
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].contains("general call") && asked[0].endsWith("anyway?"), qPrintable(asked[0]));
    QVERIFY(x.bench.statusText().contains("general call"));

    // Raw messages are this window's purpose: once confirmed, they go.
    x.bench.dialogs.answers << Answer::Yes;
    QTest::mouseClick(x.button("btnSendAll"), Qt::LeftButton);
    QTest::mouseClick(x.button("btnSendAll"), Qt::LeftButton);
    QCOMPARE(x.bench.dialogs.texts("confirm").size(), 2);
    const auto sent = x.bench.sim->log().entries();
    QCOMPARE(sent.size(), std::size_t(2));
    for (const tp::BusLogEntry& e : sent)
        QCOMPARE(int(e.address), 0x00);
}

TALLYPORT_TEST_MAIN(TestGeneralCall)
#include "tst_general_call.moc"
