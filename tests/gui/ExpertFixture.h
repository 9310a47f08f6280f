#pragma once
#include "core/sim/RegisterChip.h"
#include "gui/universal/MessageEditor.h"
#include "gui/universal/Sequence.h"
#include "gui/universal/Universal_III.h"
#include "tests/support/TestBench.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>

#include <memory>

// The frame with the expert window opened from the Device menu; a register
// chip at A0 holding 11 22 33 from register 0.
struct ExpertFixture {
    TestBench bench;
    TfrmMessage* w = nullptr;
    QTemporaryDir dir;

    ExpertFixture()
    {
        auto chip = std::make_unique<tp::sim::RegisterChip>("Register256", 256);
        chip->setReg(0, 0x11);
        chip->setReg(1, 0x22);
        chip->setReg(2, 0x33);
        bench.sim->place(0xA0, std::move(chip));
        w = qobject_cast<TfrmMessage*>(bench.main->openCaption(QStringLiteral("Expert Mode")));
    }

    // A menu entry of the window (the menus live beside it, not in it).
    QAction* action(const QString& name) const
    {
        for (QMenu* m : w->childMenus())
            if (auto* a = m->findChild<QAction*>(name))
                return a;
        qFatal("no action named %s", qPrintable(name));
    }
    QTableView* grid() const { return child<QTableView>(w, QStringLiteral("grdData")); }
    QPushButton* button(const char* name) const { return child<QPushButton>(w, QString::fromLatin1(name)); }
    QString label(const char* name) const { return child<QLabel>(w, QString::fromLatin1(name))->text(); }
    QString sequence() const { return child<QLineEdit>(w, QStringLiteral("edtSequence"))->text(); }
    // What the grid shows in a cell (row from 0).
    QString shown(int row, int column) const
    {
        return grid()->model()->index(row, column).data().toString();
    }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return path;
    }
    // Opens a data file of these lines (CR LF added) through the File menu.
    void load(const QByteArray& lines)
    {
        bench.dialogs.files << writeFile(QStringLiteral("load.txt"), lines);
        w->mnuOpenClick();
    }
    void doubleClickRow(int row)
    {
        QTableView* g = grid();
        const QPoint at = g->visualRect(g->model()->index(row, tp::expert::MessageTable::Data)).center();
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
    }
};
