// The windows on a remote bus: tallyport-cli serving the bench at the far
// end of exec:, or of an "ssh" that runs the board's command right here.
#include "core/adapter/remote/RemoteAdapter.h"
#include "gui/app/AdapterSelection.h"
#include "gui/app/StatusLine.h"
#include "gui/app/TfrmAddRemote.h"
#include "gui/app/TfrmBitrate.h"
#include "gui/bus/TfrmBusScan.h"
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"
#include "tests/support/TestBench.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>

using namespace tp;

namespace {

QSettings settings()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Quessary", "Tallyprt");
}

QString cell(TMemoryForm* w, std::size_t a)
{
    return w->stgMemory->model()->data(w->stgMemory->gridModel()->indexOf(a), Qt::DisplayRole).toString();
}

std::vector<std::uint8_t> pattern(std::size_t n)
{
    std::vector<std::uint8_t> b(n);
    for (std::size_t i = 0; i < n; ++i)
        b[i] = static_cast<std::uint8_t>((i * 13 + (i >> 8)) % 0xFF); // never a blank cell's FF
    return b;
}

struct Rig {
    QTemporaryDir dir;
    TestBench b;
    AdapterSelection* selection() const { return b.main->adapterSelection(); }
    remote::RemoteAdapter* board() const { return dynamic_cast<remote::RemoteAdapter*>(&b.state->adapter()); }
    QString panel(int i) const { return QString::fromStdString(b.main->statusLine()->panel(i).text); }
    // The bench served by the real program; `before` goes in front (a pipe that cuts the line).
    QString served(const QString& before = QString()) const
    {
        return QStringLiteral("exec:%1%2 serve --adapter bench --bench-state '%3'")
            .arg(before, QStringLiteral(TALLYPORT_CLI), dir.filePath("bench"));
    }
    QStringList entries() const
    {
        QStringList out;
        for (QAction* a : selection()->actions())
            out << a->text() + (a->isChecked() ? " *" : "");
        return out;
    }
};

} // namespace

class TestRemoteWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void addRemoteBusListsTheBoardsAdapters();
    void windowsWorkOverTheConnection();
    void connectionCutMidWriteAll();
    void unreachableBoardIsSaidSo();
    void commandLineNamesARemoteBus();
};

void TestRemoteWindow::init()
{
    settings().clear();
    qunsetenv("TALLYPORT_SSH");
    qunsetenv("TALLYPORT_REMOTE_CLI");
}

void TestRemoteWindow::addRemoteBusListsTheBoardsAdapters()
{
    Rig r;
    // An ssh that drops its options and the host, and runs the board's command here.
    const QString fakeSsh = r.dir.filePath("ssh");
    QFile f(fakeSsh);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\nfor last; do :; done\necho \"$*\" >> \"$0.args\"\nexec sh -c \"$last\"\n");
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TALLYPORT_SSH", fakeSsh.toLocal8Bit());
    qputenv("TALLYPORT_REMOTE_CLI", TALLYPORT_CLI);

    bool listed = false;
    QTimer::singleShot(0, [&] {
        auto* d = qobject_cast<TfrmAddRemote*>(QApplication::activeModalWidget());
        if (!d)
            return;
        QVERIFY(!d->buttons->button(QDialogButtonBox::Ok)->isEnabled());
        d->edtRemoteHost->setText("pi@board.example:2222");
        d->btnListAdapters->click();
        QCOMPARE(d->lstRemoteAdapters->item(0)->data(Qt::UserRole).toString(), QString("bench"));
        QVERIFY(d->lstRemoteAdapters->item(0)->text().contains("Simulated bench"));
        d->lstRemoteAdapters->setCurrentRow(0);
        QCOMPARE(d->spec(), QString("ssh:pi@board.example:2222/bench"));
        listed = true;
        d->buttons->button(QDialogButtonBox::Ok)->click();
    });
    r.b.main->findChild<QAction*>("mnuAddRemote")->trigger();
    QVERIFY(listed);
    QVERIFY(r.board());
    QCOMPARE(r.selection()->current(), QString("ssh:pi@board.example:2222/bench"));
    QVERIFY(r.entries().contains("Remote pi@board.example:2222: bench *"));
    QCOMPARE(settings().value("RemoteBuses").toStringList(), QStringList{"ssh:pi@board.example:2222/bench"});
    QCOMPARE(settings().value("Adapter").toString(), QString("ssh:pi@board.example:2222/bench"));
    QCOMPARE(r.panel(2), QString(" Remote board.example"));
    QVERIFY(r.b.main->statusLine()->panelWidget(2)->toolTip().startsWith("pi@board.example:2222: "));
    QVERIFY(r.b.main->windowTitle().contains("board.example"));
    // The user's ssh, never a prompt, the board's program serving the bench.
    QFile args(fakeSsh + ".args");
    QVERIFY(args.open(QIODevice::ReadOnly));
    const QStringList calls = QString::fromLocal8Bit(args.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0], QString("-T -o BatchMode=yes -p 2222 -- pi@board.example %1 adapters").arg(TALLYPORT_CLI));
    QCOMPARE(calls[1], QString("-T -o BatchMode=yes -p 2222 -- pi@board.example %1 serve --adapter 'bench'")
                           .arg(TALLYPORT_CLI));

    // The kernel of the board fixes frequency and supplies.
    QCOMPARE(r.panel(5), QString("set by the kernel"));
    QCOMPARE(r.panel(3), QString("3.3V n/a"));
    r.b.main->findChild<QAction*>("mnuFrequency")->trigger();
    auto* bitrate = r.b.main->findChild<TfrmBitrate*>();
    QVERIFY(bitrate);
    QVERIFY(bitrate->findChild<QLabel*>("lblKernel")->text().contains("board's kernel"));

    // A new frame (the next start) finds it in the list, and on it again.
    TestBench again;
    again.main->adapterSelection()->start(QString());
    QVERIFY(dynamic_cast<remote::RemoteAdapter*>(&again.state->adapter()));
    QCOMPARE(again.main->adapterSelection()->current(), QString("ssh:pi@board.example:2222/bench"));
}

void TestRemoteWindow::windowsWorkOverTheConnection()
{
    Rig r;
    QVERIFY(r.selection()->choose(r.served()));
    QVERIFY(r.board());
    QCOMPARE(r.panel(2), QString(" Remote exec"));
    auto* w = qobject_cast<TMemoryForm*>(r.b.main->openCaption("EEPROM/2K x 8 (16K bit)"));
    QVERIFY(w);
    const std::vector<std::uint8_t> data = pattern(2048);
    w->image().display(0, data);
    const std::uint64_t before = r.board()->requests();
    w->btnWrite->click();
    QCOMPARE(r.b.statusText(), QString("Transmission successful"));
    // One request per page: its write and the polling until the chip is back.
    const std::size_t pages = r.board()->requests() - before;
    QVERIFY2(pages <= 2048 / 8 + 1, std::to_string(pages).c_str());
    w->btnVerify->click();
    QCOMPARE(r.b.statusText(), QString(" Verification Successful"));
    w->image().display(0, std::vector<std::uint8_t>(2048, 0));
    w->btnRead->click();
    QCOMPARE(r.b.statusText(), QString("Transmission successful"));
    QCOMPARE(cell(w, 0x7FF), QString("%1").arg(data[0x7FF], 2, 16, QChar('0')).toUpper());

    // The log holds the board's view: page writes, the polls that met a busy chip, the reads.
    const std::vector<BusLogEntry> log = r.b.state->adapter().log().transfers();
    QVERIFY(std::any_of(log.begin(), log.end(), [](const BusLogEntry& e) {
        return e.address == 0xA0 && !e.read && e.bytes.size() == 9 && e.status == 0;
    }));
    QVERIFY(std::any_of(log.begin(), log.end(), [](const BusLogEntry& e) {
        return e.bytes.empty() && !e.read && e.status == status::AddressNack;
    }));

    // The scan finds the EEPROM's eight blocks on the board's bus.
    r.b.main->findChild<QAction*>("mnuScanBus")->trigger();
    auto* scan = qobject_cast<TfrmBusScan*>(r.b.main->windowReference("TfrmBusScan"));
    QVERIFY(scan);
    scan->btnScan->click();
    QTRY_VERIFY(scan->btnScan->isEnabled());
    QCOMPARE(scan->grdScan->item(0x50 / 16, 0x50 % 16)->text(), QString("50"));
    QCOMPARE(scan->grdScan->item(0x57 / 16, 0x57 % 16)->text(), QString("57"));
    QCOMPARE(scan->grdScan->item(0x20 / 16, 0x20 % 16)->text(), QString("--"));
}

void TestRemoteWindow::connectionCutMidWriteAll()
{
    Rig r;
    // The board's input ends after 20000 bytes: some way into a 64 KB Write All.
    QVERIFY(r.selection()->choose(r.served("dd bs=1 count=20000 status=none | ")));
    auto* w = qobject_cast<TMemoryForm*>(r.b.main->openCaption("EEPROM/64K x 8 (512K bit)"));
    QVERIFY(w);
    const std::vector<std::uint8_t> data = pattern(65536);
    w->image().display(0, data);
    w->btnWrite->click();
    QVERIFY2(r.b.statusText().contains("Hardware not detected"), qPrintable(r.b.statusText()));
    QVERIFY2(r.b.statusText().contains("connection"), qPrintable(r.b.statusText()));
    QCOMPARE(r.panel(2), QString(" Hardware Not Detected"));
    r.selection()->refreshList(); // as the Options menu opens
    QVERIFY(r.entries().last().endsWith("(disconnected) *"));
    // The window keeps what it was to write.
    QCOMPARE(w->image().values(), data);
    const BusLogEntry last = r.b.state->adapter().log().transfers().back();
    QCOMPARE(last.status, status::HardwareNotDetected);
    QVERIFY(last.bytes.empty()); // nothing of the page in flight counted as sent

    // Later work fails the same way until Reconnect.
    w->btnRead->click();
    QVERIFY(r.b.statusText().contains("Hardware not detected"));
    QCOMPARE(w->image().values(), data);
    QVERIFY(r.selection()->mnuReconnectClick());
    QVERIFY(r.panel(2).startsWith(" Remote"));
    QVERIFY(r.b.statusText().contains("Connected again"));
    // The chip has the pages written before the cut, and not all of them.
    w->btnVerify->click();
    QCOMPARE(r.b.statusText(), QString("  Verification Error"));
}

void TestRemoteWindow::unreachableBoardIsSaidSo()
{
    Rig r;
    QVERIFY(!r.selection()->choose("exec:echo 'no such board' >&2; exit 1"));
    QVERIFY(r.b.state->adapter().isSimulated());
    const QStringList warnings = r.b.dialogs.texts("warning");
    QCOMPARE(warnings.size(), 1);
    QVERIFY2(warnings.first().contains("no such board"), qPrintable(warnings.first()));
    QVERIFY(r.b.statusText().contains("cannot reach it"));
}

void TestRemoteWindow::commandLineNamesARemoteBus()
{
    // tallyport --adapter exec:…: on it from the start, for this run only.
    Rig r;
    QString error;
    const QString before = settings().value("Adapter").toString();
    QVERIFY2(r.selection()->start(r.served(), &error), qPrintable(error));
    QVERIFY(r.board());
    QCOMPARE(settings().value("Adapter").toString(), before);
    // One that cannot be reached stops the start with ssh's or the command's words, no box.
    Rig other;
    QVERIFY(!other.selection()->start("exec:echo 'board is off' >&2", &error));
    QVERIFY2(error.contains("board is off"), qPrintable(error));
    QVERIFY(other.b.dialogs.texts("warning").isEmpty());
    QVERIFY(!other.selection()->start("ssh:board", &error));
    QVERIFY2(error.contains("ssh:[user@]host[:port]/ADAPTER"), qPrintable(error));
}

TALLYPORT_TEST_MAIN(TestRemoteWindow)
#include "tst_remote_window.moc"
