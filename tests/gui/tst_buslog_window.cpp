#include "core/bus/BusLogText.h"
#include "core/adapter/AckPolling.h"
#include "core/sim/EepromChip.h"
#include "core/sim/RegisterChip.h"
#include "gui/bus/BusLogModel.h"
#include "gui/bus/TfrmBusLog.h"
#include "gui/devices/ports/RegisterPortWindow.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QAction>
#include <QBrush>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace tp;
using tp::sim::Fault;
using tp::sim::RegisterChip;

namespace {

// A bench with register chips at 0x40 and 0x90 (7-bit 0x20 and 0x48), and the log window open.
struct Rig {
    TestBench b{false};
    TfrmBusLog* w = nullptr;

    Rig()
    {
        b.sim->place(0x40, std::make_unique<RegisterChip>("A", 8));
        b.sim->place(0x90, std::make_unique<RegisterChip>("B", 8));
        b.main->findChild<QAction*>("mnuBusLog")->trigger();
        w = b.main->busLogWindow();
    }
    BusLogModel* model() const { return w->model(); }
    int rows() const { return model()->rowCount(); }
    QString cell(int row, buslog::Column c, int role = Qt::DisplayRole) const
    {
        return model()->index(row, c).data(role).toString();
    }
    // What the rows show, one "address R/W data" line each.
    QStringList shown() const
    {
        QStringList out;
        for (int r = 0; r < rows(); ++r)
            out << QStringList{cell(r, buslog::Address7), cell(r, buslog::Direction), cell(r, buslog::Data)}
                       .join(' ')
                       .trimmed();
        return out;
    }
    // Register writes numbered on from 0 over the whole test: "01 00", "01 01", ...
    void writes(int n, std::uint8_t address = 0x40)
    {
        for (int i = 0; i < n; ++i)
            b.sim->write(address, {0x01, std::uint8_t(next++)});
    }
    int next = 0;
};

} // namespace

class TestBusLogWindow : public QObject {
    Q_OBJECT
private slots:
    void menuEntriesStandInTheWindowMenu();
    void oneWindowFollowsEveryTransfer();
    void failuresStandOut();
    void filters_data();
    void filters();
    void pollRunsFoldIntoOneRow();
    void pauseKeepsRecording();
    void ringOverflowIsShownAndNoted();
    void clearEmptiesLogAndView();
    void exportsShownRows();
    void exportFailureLeavesOldFile();
    void followsTheAdapterInUse();
    void layout();
};

void TestBusLogWindow::menuEntriesStandInTheWindowMenu()
{
    TestBench b(false);
    QStringList menus;
    for (QAction* a : b.main->menuBar()->actions())
        if (a->isVisible())
            menus << a->text();
    QCOMPARE(menus, (QStringList{"&File", "&Device", "Options", "Wi&ndow", "Help"}));
    auto* window = b.main->findChild<QMenu*>("mnuWindow");
    QStringList entries;
    for (QAction* a : window->actions())
        entries << (a->isSeparator() ? QString("-") : a->objectName());
    QCOMPARE(entries.mid(0, 7),
             (QStringList{"mnuCascade", "mnuTile", "mnuMinimizeAll", "-", "mnuBusLog", "mnuBench", "mnuScanBus"}));
    QCOMPARE(b.main->findChild<QAction*>("mnuBusLog")->text(), QString("&Bus Log"));
    QCOMPARE(b.main->findChild<QAction*>("mnuScanBus")->text(), QString("&Scan Bus\u2026"));
}

void TestBusLogWindow::oneWindowFollowsEveryTransfer()
{
    Rig r;
    QVERIFY(r.w && r.w->isVisible());
    // A chip window's transfers and the bench's notes come in together.
    r.b.main->deviceAction("PCA9554  8-bit I/O Expander")->trigger();
    auto* pca = qobject_cast<RegisterPortWindow*>(r.b.main->windowReference("TfrmPCA9554"));
    QVERIFY(pca);
    r.b.clearLog();
    r.w->refresh();
    QCOMPARE(r.rows(), 0);
    child<QPushButton>(pca, "btnReadAll")->click();
    std::vector<std::uint8_t> got;
    r.b.sim->writeRead(0x90, {0x02}, 2, got);
    QCOMPARE(r.rows(), 0); // nothing until the window looks
    r.w->refresh();
    const auto log = r.b.sim->log().entries();
    QCOMPARE(r.rows(), int(log.size()));
    const int last = r.rows() - 1;
    QCOMPARE(r.cell(last, buslog::Start), QString("Sr"));
    QCOMPARE(r.cell(last, buslog::Address7), QString("0x48"));
    QCOMPARE(r.cell(last, buslog::Address8), QString("0x91"));
    QCOMPARE(r.cell(last, buslog::Direction), QString("R"));
    QCOMPARE(r.cell(last, buslog::Length), QString("2"));
    QCOMPARE(r.cell(last, buslog::StatusText), QString("Transmission successful"));
    QCOMPARE(r.cell(last - 1, buslog::Transaction), r.cell(last, buslog::Transaction));
    // Choosing the entry again keeps the one window.
    r.b.main->findChild<QAction*>("mnuBusLog")->trigger();
    QCOMPARE(r.b.main->findChildren<TfrmBusLog*>().size(), 1);
    // The window takes in new messages on its own.
    r.writes(3);
    QTRY_COMPARE(r.rows(), int(log.size()) + 3);
    QCOMPARE(r.w->lblCount->text(), QString("%1 messages").arg(log.size() + 3));
}

void TestBusLogWindow::failuresStandOut()
{
    Rig r;
    r.writes(1);
    Fault f;
    f.kind = Fault::Kind::DataNack;
    f.byteIndex = 1;
    r.b.sim->inject(f);
    std::vector<std::uint8_t> got;
    QCOMPARE(int(r.b.sim->writeRead(0x40, {0x01, 0x02}, 1, got)), int(status::DataNack));
    r.b.sim->write(0x42, {0x00}); // nobody there
    r.w->refresh();
    // The bench notes the fault it fired, between the write and the failure.
    QCOMPARE(r.rows(), 4);
    QVERIFY(r.cell(1, buslog::Data).contains("fault fired"));
    QCOMPARE(r.cell(2, buslog::Nack), QString("byte 2"));
    QCOMPARE(r.cell(2, buslog::StatusText), QString("Data not acknowledged"));
    QCOMPARE(r.cell(3, buslog::Nack), QString("address"));
    const QColor ok = r.model()->index(0, 0).data(Qt::BackgroundRole).value<QBrush>().color();
    const QColor bad = r.model()->index(2, 0).data(Qt::BackgroundRole).value<QBrush>().color();
    QVERIFY(bad.red() > bad.green() + 40 && bad.red() > bad.blue() + 40);
    QVERIFY(qAbs(ok.red() - ok.green()) < 30);
    QVERIFY(r.model()->index(2, 0).data(Qt::FontRole).value<QFont>().bold());
}

void TestBusLogWindow::filters_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("failures");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("taken"); // what the view says it made of the address
    QTest::newRow("all") << "" << false << ""
                         << QStringList{"0x20 W 01 00", "0x48 W 01 00", "0x21 W", "0x48 W 01 7E"} << "";
    QTest::newRow("address") << "48" << false << "" << QStringList{"0x48 W 01 00", "0x48 W 01 7E"} << "7-bit 0x48";
    // The windows' 8-bit form finds the same chip, whichever direction bit it carries.
    QTest::newRow("8-bit address") << "90" << false << "" << QStringList{"0x48 W 01 00", "0x48 W 01 7E"}
                                   << "8-bit 0x90 = 7-bit 0x48";
    QTest::newRow("8-bit read address") << "91" << false << "" << QStringList{"0x48 W 01 00", "0x48 W 01 7E"}
                                        << "8-bit 0x91 = 7-bit 0x48";
    QTest::newRow("failures") << "" << true << "" << QStringList{"0x21 W"} << "";
    QTest::newRow("search") << "" << false << "7e" << QStringList{"0x48 W 01 7E"} << "";
    QTest::newRow("search status") << "" << false << "not ack" << QStringList{"0x21 W"} << "";
    QTest::newRow("address and search") << "20" << false << "7e" << QStringList{} << "7-bit 0x20";
}

void TestBusLogWindow::filters()
{
    QFETCH(QString, address);
    QFETCH(bool, failures);
    QFETCH(QString, search);
    QFETCH(QStringList, rows);
    QFETCH(QString, taken);
    Rig r;
    r.b.sim->write(0x40, {0x01, 0x00});
    r.b.sim->write(0x90, {0x01, 0x00});
    r.b.sim->write(0x42, {}); // nobody at 0x21
    r.b.sim->write(0x90, {0x01, 0x7E});
    r.w->refresh();
    QTest::keyClicks(r.w->edtAddress, address);
    r.w->chbFailures->setChecked(failures);
    QTest::keyClicks(r.w->edtSearch, search);
    QTRY_COMPARE(r.shown(), rows); // the search waits for a pause in typing
    QCOMPARE(r.w->lblAddress->text(), taken);
    // Later messages pass the same filter.
    r.b.sim->write(0x90, {0x01, 0x7E});
    r.w->refresh();
    QCOMPARE(r.shown().size(), rows.size() + (rows.contains("0x48 W 01 7E") ? 1 : 0));
    if (!address.isEmpty() || failures || !search.isEmpty())
        QVERIFY(r.w->lblCount->text().contains(" of 5 messages"));
    // Clearing the filters shows everything again.
    r.w->edtAddress->clear();
    r.w->chbFailures->setChecked(false);
    r.w->edtSearch->clear();
    QTRY_COMPARE(r.rows(), 5);
}

void TestBusLogWindow::pollRunsFoldIntoOneRow()
{
    Rig r;
    r.b.sim->setBusFrequency(100);
    // The bus's own time only: a slow machine must not end the write cycle early.
    r.b.sim->setWallClock([] { return std::uint64_t(0); });
    r.b.sim->place(0xA0, std::make_unique<sim::EepromChip>(sim::EepromChip::Params{256, 8, 1900, {}}));
    r.b.clearLog();
    r.w->refresh();
    // A byte written and its write cycle waited out by polls every 200 us.
    QCOMPARE(int(r.b.sim->write(0xA0, {0x10, 0x55})), 0);
    QCOMPARE(int(awaitAcknowledge(*r.b.sim, 0xA0, 10000, 200)), 0);
    r.w->refresh();
    const int polls = int(r.b.sim->log().size()) - 1;
    QVERIFY2(polls > 5, qPrintable(QString::number(polls)));
    // Polls that arrive later join the row shown already.
    r.writes(1);
    QCOMPARE(int(r.b.sim->write(0xA0, {0x11, 0x66})), 0);
    QCOMPARE(int(awaitAcknowledge(*r.b.sim, 0xA0, 1000, 200)), int(status::TimeOut));
    QCOMPARE(int(awaitAcknowledge(*r.b.sim, 0xA0, 10000, 200)), 0);
    r.w->refresh();
    const int total = int(r.b.sim->log().size());

    QCOMPARE(r.rows(), 5);
    QCOMPARE(r.cell(0, buslog::Data), QString("10 55"));
    QVERIFY(r.model()->isRunRow(1) && !r.model()->isRunOpen(1));
    QVERIFY2(r.cell(1, buslog::Data).contains(QString("polled %1 times, ").arg(polls)), qPrintable(r.cell(1, buslog::Data)));
    QVERIFY(r.cell(1, buslog::Data).endsWith(" ms"));
    QCOMPARE(r.cell(1, buslog::StatusText), QString("Transmission successful"));
    QVERIFY(!r.model()->isRunRow(2));
    // The two runs after the second write are one: nothing came between.
    QVERIFY(!r.model()->isRunRow(3) && r.model()->isRunRow(4));
    // Grey, not the red of a failure.
    const QColor failed(255, 196, 196);
    QVERIFY(r.model()->index(1, 0).data(Qt::BackgroundRole).value<QBrush>().color() != failed);

    // Opened on demand, and closed again.
    emit r.w->grdLog->doubleClicked(r.model()->index(1, buslog::Data));
    QVERIFY(r.model()->isRunOpen(1));
    QCOMPARE(r.rows(), 5 + polls);
    QCOMPARE(r.cell(2, buslog::Nack), QString("address (poll)"));
    QCOMPARE(r.cell(1 + polls, buslog::Nack), QString("poll"));
    // Whether open or folded, the exports carry every message.
    QCOMPARE(int(r.model()->shownEntries().size()), total);
    r.model()->toggleRun(1);
    QCOMPARE(r.rows(), 5);
    QCOMPARE(int(r.model()->shownEntries().size()), total);

    // Failures only: a poll the chip was expected to refuse is none.
    r.w->chbFailures->setChecked(true);
    QCOMPARE(r.rows(), 0);
    r.w->chbFailures->setChecked(false);
    r.w->chbFoldPolls->setChecked(false);
    QCOMPARE(r.rows(), total);
}

void TestBusLogWindow::pauseKeepsRecording()
{
    Rig r;
    r.writes(2);
    r.w->refresh();
    r.w->btnPause->click();
    QCOMPARE(r.w->btnPause->text(), QString("&Resume"));
    r.writes(3);
    r.w->refresh();
    QCOMPARE(r.rows(), 2);
    QCOMPARE(r.b.sim->log().size(), std::size_t(5)); // the log went on
    QVERIFY(r.w->lblCount->text().contains("paused"));
    r.w->btnPause->click();
    QCOMPARE(r.rows(), 5);
    QCOMPARE(r.cell(4, buslog::Data), QString("01 04"));
}

void TestBusLogWindow::ringOverflowIsShownAndNoted()
{
    Rig r;
    r.b.sim->log().setCapacity(10);
    r.writes(4);
    r.w->refresh();
    QCOMPARE(r.rows(), 4);
    r.writes(21);
    r.w->refresh();
    QCOMPARE(r.rows(), 10);
    QCOMPARE(r.cell(0, buslog::Data), QString("01 0F")); // the 16th of 25
    QCOMPARE(r.cell(9, buslog::Data), QString("01 18"));
    QCOMPARE(r.w->lblCount->text(), QString("10 messages; 15 older dropped"));
    // A full ring moves on: the same rows show the later messages, and the
    // view is told so without rows removed and inserted.
    QSignalSpy removed(r.model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy inserted(r.model(), &QAbstractItemModel::rowsInserted);
    r.writes(3);
    r.w->refresh();
    QCOMPARE(r.rows(), 10);
    QCOMPARE(r.cell(0, buslog::Data), QString("01 12"));
    QCOMPARE(r.cell(9, buslog::Data), QString("01 1B"));
    QCOMPARE(removed.count() + inserted.count(), 0);
    // More gone than came (a smaller ring): the rest of the rows go.
    r.b.sim->log().setCapacity(8);
    r.writes(1);
    r.w->refresh();
    QCOMPARE(r.rows(), 8);
    QCOMPARE(r.cell(0, buslog::Data), QString("01 15"));
    QCOMPARE(r.cell(7, buslog::Data), QString("01 1C"));
    r.b.sim->log().setCapacity(10);
    // Overrun while paused: what went is gone from the view too, the rest waits.
    r.w->btnPause->click();
    r.writes(8);
    r.w->refresh();
    QCOMPARE(r.rows(), 2);
    QCOMPARE(r.cell(0, buslog::Data), QString("01 1B"));
    r.w->btnPause->click();
    QCOMPARE(r.rows(), 10);
    QCOMPARE(r.cell(9, buslog::Data), QString("01 24"));
    // Filtered views drop the same way.
    r.w->chbFailures->setChecked(true);
    for (int i = 0; i < 3; ++i)
        r.b.sim->write(0x42, {});
    r.w->refresh();
    QCOMPARE(r.rows(), 3);
    r.writes(9);
    r.w->refresh();
    QCOMPARE(r.rows(), 1);
}

void TestBusLogWindow::clearEmptiesLogAndView()
{
    Rig r;
    r.writes(3);
    r.w->refresh();
    r.w->btnClear->click();
    QCOMPARE(r.rows(), 0);
    QVERIFY(r.b.sim->log().empty());
    r.writes(1);
    r.w->refresh();
    QCOMPARE(r.rows(), 1);
}

void TestBusLogWindow::exportsShownRows()
{
    Rig r;
    QTemporaryDir dir;
    r.writes(2, 0x40);
    std::vector<std::uint8_t> got;
    r.b.sim->writeRead(0x90, {0x00}, 2, got);
    r.b.sim->write(0x42, {0x05});
    r.w->refresh();
    QTest::keyClicks(r.w->edtAddress, "48");

    const QString csv = dir.filePath("log.csv");
    r.b.dialogs.files << csv;
    r.w->btnExportCsv->click();
    QCOMPARE(r.b.dialogs.of("save").size(), 1);
    QCOMPARE(r.b.dialogs.of("save").last().request.defaultSuffix, QString("csv"));
    QFile f(csv);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    QCOMPARE(lines.size(), 4); // header, the two messages at 0x48, the end of the last line
    QVERIFY(lines[0].startsWith("Time (s),Transaction,Start,"));
    QVERIFY(lines[2].contains(",Sr,0x48,0x91,R,2,"));
    QVERIFY(lines[1].endsWith("\r"));

    r.w->edtAddress->clear();
    const QString sh = dir.filePath("replay.sh");
    r.b.dialogs.files << sh;
    r.w->btnExportScript->click();
    QFile s(sh);
    QVERIFY(s.open(QIODevice::ReadOnly));
    const QString script = QString::fromUtf8(s.readAll());
    QVERIFY(script.contains("\ni2ctransfer -y \"$BUS\" w2@0x20 0x01 0x00\n"));
    QVERIFY(script.contains("\ni2ctransfer -y \"$BUS\" w1@0x48 0x00 r2@0x48\n"));
    QVERIFY(script.contains("\n#   i2ctransfer -y \"$BUS\" w1@0x21 ...\n"));
    QVERIFY(script.contains("BUS=${1:?")); // the bench has no bus number
    QVERIFY(script.contains("# Recorded on Simulated bench"));
    QVERIFY(QFileInfo(sh).isExecutable());
    QVERIFY(r.b.dialogs.of("error").isEmpty());
    // Cancelled: nothing written.
    r.w->btnExportCsv->click();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

void TestBusLogWindow::exportFailureLeavesOldFile()
{
    Rig r;
    QTemporaryDir dir;
    r.writes(1);
    r.w->refresh();
    r.b.dialogs.files << dir.filePath("missing/folder/log.csv");
    r.w->btnExportCsv->click();
    // The error box of the boundary, and no half-written file anywhere.
    QCOMPARE(r.b.dialogs.texts("error"), QStringList{"Failed to open or create file."});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size(), 0);
    QVERIFY(r.w->isVisible());
}

void TestBusLogWindow::followsTheAdapterInUse()
{
    Rig r;
    r.writes(2);
    r.w->refresh();
    QCOMPARE(r.rows(), 2);
    auto other = std::make_unique<sim::SimulatedAdapter>();
    other->place(0xA0, std::make_unique<RegisterChip>("C", 8));
    other->write(0xA0, {0x00, 0x11});
    auto old = r.b.state->exchangeAdapter(std::move(other));
    r.w->refresh();
    QCOMPARE(r.shown(), QStringList{"0x50 W 00 11"});
    r.b.state->exchangeAdapter(std::move(old)).reset();
    r.w->refresh();
    QCOMPARE(r.rows(), 2);
}

void TestBusLogWindow::layout()
{
    Rig r;
    r.b.main->deviceAction("PCA9554  8-bit I/O Expander")->trigger();
    auto* pca = qobject_cast<RegisterPortWindow*>(r.b.main->windowReference("TfrmPCA9554"));
    child<QPushButton>(pca, "btnReadAll")->click();
    r.b.sim->write(0x42, {0x05});
    r.w->refresh();
    r.b.main->resize(1280, 800);
    QTest::qWait(50);
    QCOMPARE(clippedControls(r.w), QStringList());
    saveShot(r.b.main.get(), "buslog_full");
    r.b.main->resize(640, 800);
    QTest::qWait(50);
    QCOMPARE(clippedControls(r.w), QStringList());
    saveShot(r.b.main.get(), "buslog_half");
    QCOMPARE(tabChain(r.w), (QStringList{"edtAddress", "chbFailures", "chbFoldPolls", "edtSearch", "btnPause", "btnClear",
                                         "btnExportCsv", "btnExportScript", "grdLog"}));
}

TALLYPORT_TEST_MAIN(TestBusLogWindow)
#include "tst_buslog_window.moc"
