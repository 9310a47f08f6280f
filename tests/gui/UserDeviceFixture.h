#pragma once
#include "core/sim/RegisterChip.h"
#include "core/universal/UserDevice.h"
#include "gui/common/HexField.h"
#include "gui/universal/Definition.h"
#include "gui/universal/Longi2c.h"
#include "gui/universal/RegisterGridModel.h"
#include "tests/support/TestBench.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>

// The frame with the user definable device opened from the Device menu and
// a 256-register chip at A0 whose register i holds i XOR 5A.
struct UserDeviceFixture {
    std::unique_ptr<TestBench> bench = std::make_unique<TestBench>();
    tp::sim::RegisterChip* chip = nullptr;
    TfrmLongI2C* w = nullptr;
    QTemporaryDir dir;

    UserDeviceFixture()
    {
        forgetRecentFiles();
        placeChip(*bench);
        open();
    }

    void placeChip(TestBench& b)
    {
        auto c = std::make_unique<tp::sim::RegisterChip>("Register256", 256);
        for (int i = 0; i < 256; ++i)
            c->setReg(std::size_t(i), std::uint8_t(i ^ 0x5A));
        chip = c.get();
        b.sim->place(0xA0, std::move(c));
    }

    void open()
    {
        // Focus moves (leaving a field, cell editors) need an active window.
        bench->main->activateWindow();
        QApplication::setActiveWindow(bench->main.get());
        if (!QTest::qWaitForWindowActive(bench->main.get()))
            qWarning("the frame did not become active");
        w = qobject_cast<TfrmLongI2C*>(bench->main->openCaption(QStringLiteral("User Definable Device")));
        if (!w)
            qFatal("the user definable device did not open");
        bench->clearLog();
    }

    // A new frame on a new bench (settings stay), with the window opened.
    void restart()
    {
        bench.reset();
        bench = std::make_unique<TestBench>();
        placeChip(*bench);
        open();
    }

    // The recent-file list of the settings store, emptied.
    static void forgetRecentFiles()
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Bramwick"),
                    QStringLiteral("Tallyport"));
        s.remove(QStringLiteral("MRUS"));
    }

    ScriptedDialogs& dialogs() { return bench->dialogs; }
    tp::userdev::UserDevice& device() { return w->device(); }

    QAction* action(const QString& name) const
    {
        for (QMenu* m : w->childMenus())
            if (auto* a = m->findChild<QAction*>(name))
                return a;
        if (auto* a = w->findChild<QAction*>(name))
            return a;
        qFatal("no action named %s", qPrintable(name));
    }
    QMenu* menu(const QString& name) const
    {
        for (QMenu* m : w->childMenus())
            if (m->objectName() == name)
                return m;
        return child<QMenu>(w, name);
    }
    QTableView* grid() const { return child<QTableView>(w, QStringLiteral("stgMemory")); }
    QPushButton* button(const char* name) const { return child<QPushButton>(w, QString::fromLatin1(name)); }
    HexField* address() const { return child<HexField>(w, QStringLiteral("edtAddress")); }
    QString panel() const { return child<QLabel>(w, QStringLiteral("pnlRegister"))->text(); }
    QString cell(int reg) const { return w->gridModel()->indexOf(reg).data().toString(); }
    void select(int reg) { grid()->setCurrentIndex(w->gridModel()->indexOf(reg)); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    QByteArray readFile(const QString& path) const
    {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    // Opens a file through File > Open.
    void openFile(const QString& path)
    {
        dialogs().files << path;
        action(QStringLiteral("mnuOpen"))->trigger();
    }
    // Recent entries the File menu shows, in order.
    QStringList recentCaptions() const
    {
        QStringList out;
        for (int i = 1; i <= 4; ++i) {
            QAction* a = action(QStringLiteral("mnuRecent%1").arg(i));
            if (a->isVisible())
                out << a->text();
        }
        return out;
    }
};

// Lines joined with CR LF.
inline QByteArray crlfLines(const QStringList& lines)
{
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}
