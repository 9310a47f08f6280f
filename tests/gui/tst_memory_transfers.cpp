#include "core/memory/MemoryBusTypes.h"
#include "core/sim/EepromChip.h"
#include "core/sim/SerialRamChip.h"
#include "gui/app/StatusLine.h"
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"
#include "tests/support/TestBench.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

using namespace tp;

namespace {

QString cell(TMemoryForm* w, std::size_t a)
{
    return w->stgMemory->model()->data(w->stgMemory->gridModel()->indexOf(a), Qt::DisplayRole).toString();
}

// A memory window and the chip it talks to, alone on the bench.
struct MemoryRig {
    TestBench bench{false};
    TMemoryForm* window = nullptr;
    sim::SerialMemoryChip* chip = nullptr;

    MemoryRig(const QString& entry, std::size_t size, bool eeprom)
    {
        std::unique_ptr<sim::SerialMemoryChip> c;
        if (eeprom)
            c = std::make_unique<sim::EepromChip>(sim::EepromChip::typical(size));
        else
            c = std::make_unique<sim::SerialRamChip>(size);
        chip = c.get();
        bench.sim->place(0xA0, std::move(c));
        for (std::size_t a = 0; a < size; ++a)
            chip->setByte(a, std::uint8_t((a * 7 + a / 256) & 0xFF));
        window = qobject_cast<TMemoryForm*>(bench.main->openCaption(entry));
        if (!window)
            qFatal("no window");
        if (window->cmbPageSize)
            window->cmbPageSize->setCurrentText(QString::number(sim::EepromChip::typical(size).pageSize));
        bench.clearLog();
    }
    void setLabel(std::size_t a) { window->lblWordAddress->setText(QString::number(a, 16).toUpper()); }
};

} // namespace

class TestMemoryTransfers : public QObject {
    Q_OBJECT
private slots:
    void readWriteVerifyRoundTrip_data();
    void readWriteVerifyRoundTrip();
    void addressingOnTheBus_data();
    void addressingOnTheBus();
    void writeByte_data();
    void writeByte();
    void verifyFailureReportsAddress();
    void failedReadLeavesGrids();
    void failedWriteShowsStatus();
    void writeTimeZeroStillWaitsForTheChip_data();
    void writeTimeZeroStillWaitsForTheChip();
    void notHexAddressStopsWithError();
    void cancelLeavesGrids_data();
    void cancelLeavesGrids();
    void faultsEndWithTheirStatus_data();
    void faultsEndWithTheirStatus();
};

void TestMemoryTransfers::readWriteVerifyRoundTrip_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("eeprom");
    QTest::newRow("256 EEPROM") << "EEPROM/256 x 8 (2K bit)" << 256 << true;
    QTest::newRow("2K EEPROM") << "EEPROM/2K x 8 (16K bit)" << 2048 << true;
    QTest::newRow("2K RAM") << "RAM / FRAM/2K x 8 (16K bit)" << 2048 << false;
    QTest::newRow("64K EEPROM") << "EEPROM/64K x 8 (512K bit)" << 65536 << true;
    QTest::newRow("16 EEPROM") << "EEPROM/16 x 8 (128 bit)" << 16 << true;
}

void TestMemoryTransfers::readWriteVerifyRoundTrip()
{
    QFETCH(QString, entry);
    QFETCH(int, size);
    QFETCH(bool, eeprom);
    MemoryRig rig(entry, std::size_t(size), eeprom);
    TMemoryForm* w = rig.window;
    w->btnRead->click();
    QCOMPARE(rig.bench.statusText(), QString("Transmission successful"));
    for (std::size_t a : {std::size_t(0), std::size_t(size / 2 + 3), std::size_t(size - 1)})
        QCOMPARE(cell(w, a), QString("%1").arg(rig.chip->byte(a), 2, 16, QChar('0')).toUpper());

    w->btnVerify->click();
    QCOMPARE(rig.bench.statusText(), QString(" Verification Successful"));

    // Change the image, write it all, and the chip holds it.
    w->edtFillWith->setText("3C");
    w->edtFillFrom->setText("0");
    w->btnFill->click();
    rig.bench.clearLog();
    w->btnWrite->click();
    QCOMPARE(rig.bench.statusText(), QString("Transmission successful"));
    for (std::size_t a = 0; a < std::size_t(size); ++a)
        QCOMPARE(int(rig.chip->byte(a)), 0x3C);
    w->btnVerify->click();
    QCOMPARE(rig.bench.statusText(), QString(" Verification Successful"));
}

void TestMemoryTransfers::addressingOnTheBus_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("firstRead");
    QTest::addColumn<QString>("lastAddress");
    QTest::newRow("256: one-byte word address") << "EEPROM/256 x 8 (2K bit)" << 256 << "W A0 00" << "A0";
    QTest::newRow("2K: block-select bits") << "EEPROM/2K x 8 (16K bit)" << 2048 << "W A0 00" << "AE";
    QTest::newRow("64K: two-byte word address") << "EEPROM/64K x 8 (512K bit)" << 65536 << "W A0 00 00" << "A0";
}

void TestMemoryTransfers::addressingOnTheBus()
{
    QFETCH(QString, entry);
    QFETCH(int, size);
    QFETCH(QString, firstRead);
    QFETCH(QString, lastAddress);
    MemoryRig rig(entry, std::size_t(size), true);
    rig.window->btnRead->click();
    const QStringList t = rig.bench.transfers();
    QCOMPARE(t.first(), firstRead);
    QVERIFY(t.at(1).startsWith("Sr R A0"));
    QVERIFY(t.last().startsWith("Sr R " + lastAddress));
}

void TestMemoryTransfers::writeByte_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("address");
    QTest::addColumn<QString>("write");
    QTest::newRow("2K at 7FF") << "EEPROM/2K x 8 (16K bit)" << 2048 << 0x7FF << "W AE FF 5A";
    QTest::newRow("2K at 0FF") << "EEPROM/2K x 8 (16K bit)" << 2048 << 0x0FF << "W A0 FF 5A";
    QTest::newRow("512 at 1A5") << "EEPROM/512 x 8 (4K bit)" << 512 << 0x1A5 << "W A2 A5 5A";
    QTest::newRow("64K at 1234") << "EEPROM/64K x 8 (512K bit)" << 65536 << 0x1234 << "W A0 12 34 5A";
}

void TestMemoryTransfers::writeByte()
{
    QFETCH(QString, entry);
    QFETCH(int, size);
    QFETCH(int, address);
    QFETCH(QString, write);
    MemoryRig rig(entry, std::size_t(size), true);
    rig.window->image().setCellText(std::size_t(address), "5A");
    rig.setLabel(std::size_t(address));
    rig.window->btnWriteOne->click();
    QCOMPARE(rig.bench.transfers().first(), write);
    QCOMPARE(int(rig.chip->byte(std::size_t(address))), 0x5A);
    QCOMPARE(rig.bench.statusText(), QString("Transmission successful"));

    // Read Byte brings the chip's byte back into its cell.
    rig.chip->setByte(std::size_t(address), 0x41);
    rig.window->btnReadOne->click();
    QCOMPARE(cell(rig.window, std::size_t(address)), QString("41"));
}

void TestMemoryTransfers::verifyFailureReportsAddress()
{
    MemoryRig rig("EEPROM/16 x 8 (128 bit)", 16, true);
    rig.window->btnRead->click();
    rig.chip->setByte(5, 0x99);
    rig.window->btnVerify->click();
    QCOMPARE(rig.bench.dialogs.of("error").size(), 1);
    QCOMPARE(rig.bench.dialogs.lastText(), QString("Device failed Verify at Address 0x05\rRead value=0x99\r"
                                                   "Correct value=0x%1")
                                               .arg(cell(rig.window, 5)));
    QCOMPARE(rig.bench.statusText(), QString("  Verification Error"));
}

void TestMemoryTransfers::failedReadLeavesGrids()
{
    MemoryRig rig("EEPROM/2K x 8 (16K bit)", 2048, true);
    // Fails on the third block (A4).
    rig.bench.sim->inject({sim::Fault::Kind::AddressNack, 0xA4, 0, 1});
    rig.window->btnRead->click();
    QCOMPARE(rig.bench.statusText(), QString("  Address not acknowledged"));
    for (std::size_t a : {std::size_t(0), std::size_t(0x1FF), std::size_t(0x7FF)})
        QCOMPARE(cell(rig.window, a), QString("FF"));
}

void TestMemoryTransfers::failedWriteShowsStatus()
{
    MemoryRig rig("RAM / FRAM/256 x 8 (2K bit)", 256, false);
    rig.bench.sim->inject({sim::Fault::Kind::DataNack, std::nullopt, 10, 1});
    rig.window->btnWrite->click();
    QCOMPARE(rig.bench.statusText(), QString("  Data not acknowledged"));
    QCOMPARE(rig.bench.status().background, Rgb(colour::Red));
}

void TestMemoryTransfers::writeTimeZeroStillWaitsForTheChip_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("size");
    QTest::addColumn<qulonglong>("cycleUs");
    QTest::addColumn<QString>("status"); // after Write All
    QTest::newRow("256 bytes, 5 ms chip") << "EEPROM/256 x 8 (2K bit)" << 256 << 5000ull << "Transmission successful";
    QTest::newRow("4 KB, 5 ms chip") << "EEPROM/4K x 8 (32K bit)" << 4096 << 5000ull << "Transmission successful";
    QTest::newRow("chip that never finishes") << "EEPROM/256 x 8 (2K bit)" << 256 << 3600'000'000ull
                                              << "  I\u00B2C Time-Out";
}

void TestMemoryTransfers::writeTimeZeroStillWaitsForTheChip()
{
    QFETCH(QString, entry);
    QFETCH(int, size);
    QFETCH(qulonglong, cycleUs);
    QFETCH(QString, status);
    MemoryRig rig(entry, std::size_t(size), true);
    rig.bench.sim->setWallClock([] { return std::uint64_t(0); }); // the bus's own time only
    dynamic_cast<sim::EepromChip*>(rig.chip)->setWriteCycleUs(cycleUs);
    TMemoryForm* w = rig.window;
    // What loading a RAM image's .mem file sets.
    w->spnWriteTime->setValue(0);
    w->edtFillWith->setText("A5");
    w->btnFill->click();

    w->btnWrite->click();
    QCOMPARE(rig.bench.statusText(), status);
    if (cycleUs > 100'000) {
        QCOMPARE(rig.bench.status().align, Align::Left); // the time-out's own look
        QCOMPARE(rig.chip->byte(0), std::uint8_t(0xA5));
        QCOMPARE(rig.chip->byte(8), std::uint8_t(0x07 * 8)); // the second page never went out
        return;
    }
    for (std::size_t a = 0; a < std::size_t(size); ++a)
        QCOMPARE(int(rig.chip->byte(a)), 0xA5);
    w->btnVerify->click();
    QCOMPARE(rig.bench.statusText(), QString(" Verification Successful"));
}

void TestMemoryTransfers::notHexAddressStopsWithError()
{
    MemoryRig rig("EEPROM/256 x 8 (2K bit)", 256, true);
    rig.window->cmbAddress->setEditText("Q0");
    QTest::mouseClick(rig.window->btnRead, Qt::LeftButton);
    QCOMPARE(rig.bench.dialogs.texts("error"), QStringList{"'$Q0' is not a valid integer value."});
    QVERIFY(rig.bench.transfers().isEmpty());
}

namespace {
enum class Job { ReadAll, WriteAll, Verify };
}
Q_DECLARE_METATYPE(Job)

void TestMemoryTransfers::cancelLeavesGrids_data()
{
    QTest::addColumn<Job>("job");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("delayUs");
    QTest::addColumn<int>("cancelAfterMs");
    QTest::newRow("Read All, at once") << Job::ReadAll << "Reading..." << 2000 << 0;
    QTest::newRow("Read All, 20 ms a transfer, after a second") << Job::ReadAll << "Reading..." << 20000 << 1000;
    QTest::newRow("Write All, at once") << Job::WriteAll << "Writing..." << 2000 << 0;
    // The bench reads each 256-byte verify block in one transfer, as i2c-dev
    // does: the cancel must be seen between blocks.
    QTest::newRow("Verify, at once") << Job::Verify << "Verifying..." << 2000 << 0;
}

void TestMemoryTransfers::cancelLeavesGrids()
{
    QFETCH(Job, job);
    QFETCH(QString, label);
    QFETCH(int, delayUs);
    QFETCH(int, cancelAfterMs);

    MemoryRig rig("EEPROM/64K x 8 (512K bit)", 65536, true);
    TMemoryForm* w = rig.window;
    rig.bench.sim->setMaxTransferLength(256); // as a real adapter: many transfers
    std::vector<std::uint8_t> shown(65536);
    for (std::size_t a = 0; a < shown.size(); ++a)
        shown[a] = job == Job::Verify ? rig.chip->byte(a) : std::uint8_t(a * 7);
    w->image().display(0, shown);
    const std::vector<std::uint8_t> imageBefore = w->image().values();
    rig.bench.sim->setTransferDelayUs(std::uint64_t(delayUs));
    w->setProgressDelayMs(0);
    rig.bench.clearLog();

    // The user presses Cancel while the bus works; the rest of the window waits.
    bool pressed = false;
    QTimer::singleShot(cancelAfterMs, w, [&] {
        auto* dlg = w->findChild<QProgressDialog*>();
        QVERIFY(dlg);
        QCOMPARE(dlg->labelText(), label);
        QTest::mouseClick(dlg->findChild<QPushButton*>(), Qt::LeftButton);
        pressed = true;
    });
    QPushButton* button = job == Job::ReadAll ? w->btnRead : job == Job::WriteAll ? w->btnWrite : w->btnVerify;
    button->click();
    QVERIFY(pressed);

    // It says how far it got, and that is what went over the bus.
    const QRegularExpressionMatch m =
        QRegularExpression(R"(^ Transfer cancelled after (\d+) of 65536 bytes$)").match(rig.bench.statusText());
    QVERIFY2(m.hasMatch(), qPrintable(rig.bench.statusText()));
    const std::size_t done = m.captured(1).toULongLong();
    std::size_t moved = 0;
    for (const tp::BusLogEntry& e : rig.bench.sim->log().transfers()) {
        if (!e.read && e.bytes.empty())
            continue; // acknowledge polls during a write cycle
        QCOMPARE(int(e.status), 0);
        if (e.read)
            moved += e.bytes.size();
        else if (job == Job::WriteAll && e.bytes.size() > 2)
            moved += e.bytes.size() - 2; // a page after its word address, never a part of one
    }
    QCOMPARE(done, moved);
    QVERIFY(done > 0);
    QVERIFY(done < 65536 / 2);
    QVERIFY(rig.bench.dialogs.of("error").isEmpty());
    // The grids are as they were; the window is ready again.
    QCOMPARE(w->image().values(), imageBefore);
    QVERIFY(!w->findChild<QProgressDialog*>());
    QVERIFY(w->btnReadOne->isEnabled());
}


void TestMemoryTransfers::faultsEndWithTheirStatus_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("size");
    QTest::addColumn<Job>("job");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("status");

    const struct {
        const char* name;
        const char* entry;
        int size;
    } sizes[] = {{"256 B", "EEPROM/256 x 8 (2K bit)", 256},
                 {"2 KB", "EEPROM/2K x 8 (16K bit)", 2048},
                 {"64 KB", "EEPROM/64K x 8 (512K bit)", 65536}};
    const struct {
        const char* name;
        Job job;
    } jobs[] = {{"Read All", Job::ReadAll}, {"Write All", Job::WriteAll}, {"Verify", Job::Verify}};
    using K = sim::Fault::Kind;
    const struct {
        const char* name;
        K kind;
        int status;
    } faults[] = {{"address NACK", K::AddressNack, status::AddressNack},
                  {"data NACK", K::DataNack, status::DataNack},
                  {"time-out", K::TimeOut, status::TimeOut},
                  {"arbitration lost", K::ArbitrationLost, status::ArbitrationLost},
                  {"adapter removed", K::AdapterRemoved, status::HardwareNotDetected}};
    for (const auto& s : sizes)
        for (const auto& j : jobs)
            for (const auto& f : faults)
                QTest::addRow("%s %s: %s", s.name, j.name, f.name)
                    << QString(s.entry) << s.size << j.job << int(f.kind) << f.status;
}

void TestMemoryTransfers::faultsEndWithTheirStatus()
{
    QFETCH(QString, entry);
    QFETCH(int, size);
    QFETCH(Job, job);
    QFETCH(int, kind);
    QFETCH(int, status);

    MemoryRig rig(entry, std::size_t(size), true);
    TMemoryForm* w = rig.window;
    // A small adapter buffer, so a transfer starts at every page boundary.
    const std::size_t maxTransfer = 32;
    rig.bench.sim->setMaxTransferLength(maxTransfer);
    const std::vector<std::uint8_t> chipBefore = rig.chip->bytes();
    std::vector<std::uint8_t> shown = chipBefore;
    if (job == Job::ReadAll)
        std::fill(shown.begin(), shown.end(), std::uint8_t(0x5A)); // what a read would overwrite
    else if (job == Job::WriteAll)
        for (std::uint8_t& b : shown)
            b = std::uint8_t(~b);
    w->image().display(0, shown);
    const tp::MemoryImage imageBefore = w->image();

    // The fault hits the transfer at the middle of the memory, a page and
    // block boundary: there the word address is written first.
    const std::size_t middle = std::size_t(size) / 2;
    tp::MemoryDevice device;
    device.size = std::size_t(size);
    sim::Fault fault;
    fault.kind = sim::Fault::Kind(kind);
    fault.address = device.slaveAddress(middle);
    // The first data byte of the page, or for a read the last address byte.
    fault.byteIndex = device.wordAddressBytes() - (job == Job::WriteAll ? 0 : 1);
    rig.bench.sim->inject(fault, device.wordAddress(middle));

    QPushButton* button = job == Job::ReadAll ? w->btnRead : job == Job::WriteAll ? w->btnWrite : w->btnVerify;
    button->click();

    const QString expected = QString::fromStdString(tp::statusMessage(tp::Status(status))->text);
    QCOMPARE(rig.bench.statusText(), expected);
    QCOMPARE(rig.bench.status().background, Rgb(colour::Red));
    QVERIFY(rig.bench.dialogs.of("error").isEmpty());
    QCOMPARE(int(rig.bench.sim->log().transfers().back().status), status);

    // The grids are as they were: a failed read shows nothing of what it got.
    QCOMPARE(w->image().values(), imageBefore.values());
    for (std::size_t a = 0; a < std::size_t(size); a += 97)
        QCOMPARE(w->image().asciiCell(a), imageBefore.asciiCell(a));

    if (job == Job::WriteAll) {
        // Everything before the failed page went in, nothing from it on.
        const auto& now = rig.chip->bytes();
        QVERIFY(std::equal(now.begin(), now.begin() + long(middle), shown.begin()));
        QVERIFY(std::equal(now.begin() + long(middle), now.end(), chipBefore.begin() + long(middle)));
    } else {
        // The reads went as far as the failed transfer and no further.
        std::size_t readBytes = 0;
        for (const BusLogEntry& e : rig.bench.sim->log().transfers())
            if (e.read && e.status == 0)
                readBytes += e.bytes.size();
        QCOMPARE(readBytes, middle);
    }
}

TALLYPORT_TEST_MAIN(TestMemoryTransfers)
#include "tst_memory_transfers.moc"
