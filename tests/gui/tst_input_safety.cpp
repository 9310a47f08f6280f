#include "gui/common/ChildForm.h"
#include "tests/support/TestBench.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QWheelEvent>

namespace {

struct Rig {
    TestBench bench;
    QWidget* w = nullptr;

    Rig(const QString& entry, const QString& windowClass)
    {
        bench.main->show();
        bench.main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(bench.main.get()));
        bench.main->deviceAction(entry)->trigger();
        w = bench.main->windowReference(windowClass);
        QVERIFY(w);
    }
    template <class T> T* c(const QString& name) { return child<T>(w, name); }
    void autoWriteOn(const QString& toggle)
    {
        auto* b = c<QAbstractButton>(toggle);
        if (!b->isChecked())
            b->click();
        QVERIFY(b->isChecked());
        bench.clearLog();
    }
};

QString valueOf(QWidget* control)
{
    if (auto* cmb = qobject_cast<QComboBox*>(control))
        return QString::number(cmb->currentIndex());
    if (auto* spin = qobject_cast<QAbstractSpinBox*>(control))
        return spin->text();
    if (auto* slider = qobject_cast<QAbstractSlider*>(control))
        return QString::number(slider->value());
    return {};
}

// One notch of the wheel over the middle of `target` (negative: towards the user).
void turnWheel(QWidget* target, int delta)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent e(at, target->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
}

void press(QWidget* w, Qt::Key key)
{
    QTest::keyClick(w, key);
}

} // namespace

class TestInputSafety : public QObject {
    Q_OBJECT
private slots:
    void wheelOverUnfocusedControlWritesNothing_data();
    void wheelOverUnfocusedControlWritesNothing();
    void wheelOverUnfocusedControlScrollsItsPanel();
    void typedNumberIsWrittenOnceWhenCommitted_data();
    void typedNumberIsWrittenOnceWhenCommitted();
};

void TestInputSafety::wheelOverUnfocusedControlWritesNothing_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("windowClass");
    QTest::addColumn<QString>("toggle");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("delta");
    QTest::newRow("LM75A fault queue") << "LM75A  Digital Temperature Sensor"
                                       << "TfrmLM75A"
                                       << "chbAutoWrite"
                                       << "cmbOSFault" << -120;
    QTest::newRow("SA56004 local T_CRIT") << "SA56004 1\u00B0C Digital Temperature Sensor"
                                          << "TfrmSA56004"
                                          << "chbAutoWrite"
                                          << "spnLCS" << -120;
    QTest::newRow("SA56004 conversion rate") << "SA56004 1\u00B0C Digital Temperature Sensor"
                                             << "TfrmSA56004"
                                             << "chbAutoWrite"
                                             << "cmbCR" << -120;
    QTest::newRow("NE1617 limit") << "NE1617(A)  Temperature monitor"
                                  << "TfrmNE1617"
                                  << "chbAutoWrite"
                                  << "spnWIHL" << -120;
    QTest::newRow("PCA9532 LED switch") << "PCA9532 16-bit LED Dimmer"
                                        << "TfrmPCA9532"
                                        << "btnAutoWrite"
                                        << "vswLED3" << -120;
    QTest::newRow("PCA9532 period slider") << "PCA9532 16-bit LED Dimmer"
                                           << "TfrmPCA9532"
                                           << "btnAutoWrite"
                                           << "trbPeriod0" << 120;
    QTest::newRow("SE98 upper trip") << "SE98 SO-DIMM Temperature Sensor"
                                     << "TfrmSE98"
                                     << "chbAutoWrite"
                                     << "spnUBTH" << 120;
}

void TestInputSafety::wheelOverUnfocusedControlWritesNothing()
{
    QFETCH(QString, entry);
    QFETCH(QString, windowClass);
    QFETCH(QString, toggle);
    QFETCH(QString, control);
    QFETCH(int, delta);
    Rig r(entry, windowClass);
    r.autoWriteOn(toggle);
    auto* target = r.c<QWidget>(control);
    r.c<QAbstractButton>(toggle)->setFocus();
    QVERIFY(!target->hasFocus());
    const QString before = valueOf(target);

    turnWheel(target, delta);
    QCOMPARE(valueOf(target), before);
    QCOMPARE(r.bench.transfers(), QStringList{});

    // Once the user gives it focus the control takes the wheel, and Auto Write sends it.
    target->setFocus();
    QVERIFY(target->hasFocus());
    turnWheel(target, delta);
    if (valueOf(target) == before) // at the end of its range that way
        turnWheel(target, -delta);
    QVERIFY(valueOf(target) != before);
    QVERIFY(!r.bench.transfers().isEmpty());
    QVERIFY(r.bench.transfers().first().startsWith("W "));
}

void TestInputSafety::wheelOverUnfocusedControlScrollsItsPanel()
{
    Rig r("SA56004 1\u00B0C Digital Temperature Sensor", "TfrmSA56004");
    auto* sub = qobject_cast<QMdiSubWindow*>(r.w->parentWidget());
    QVERIFY(sub);
    sub->showNormal();
    sub->resize(400, 260);
    auto* target = r.c<QSpinBox>("spnLCS");
    // The nearest panel around it that has room to scroll.
    QScrollArea* area = nullptr;
    for (QWidget* p = target->parentWidget(); p && !area; p = p->parentWidget())
        if (auto* a = qobject_cast<QScrollArea*>(p); a && a->verticalScrollBar()->maximum() > 0)
            area = a;
    QVERIFY(area);
    area->ensureWidgetVisible(target);
    QScrollBar* bar = area->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    bar->setValue(bar->maximum() / 2);
    const int position = bar->value();
    const int value = target->value();

    turnWheel(target, -120);
    QCOMPARE(target->value(), value);
    QVERIFY2(bar->value() > position, "the panel scrolls down");
}

void TestInputSafety::typedNumberIsWrittenOnceWhenCommitted_data()
{
    QTest::addColumn<QString>("spin");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("commit");
    QTest::addColumn<QStringList>("writes");
    QTest::newRow("127, Enter") << "spnWILL" << "127" << "enter" << QStringList{"W 30 0C 7F"};
    QTest::newRow("-12, Enter") << "spnWEHL" << "-12" << "enter" << QStringList{"W 30 0D F4"};
    QTest::newRow("-12, leaving the field") << "spnWELL" << "-12" << "leave" << QStringList{"W 30 0E F4"};
    QTest::newRow("12, arrow up") << "spnWILL" << "12" << "up" << QStringList{"W 30 0C 0D"};
    QTest::newRow("12, arrow down") << "spnWIHL" << "12" << "down" << QStringList{"W 30 0B 0B"};
}

void TestInputSafety::typedNumberIsWrittenOnceWhenCommitted()
{
    QFETCH(QString, spin);
    QFETCH(QString, typed);
    QFETCH(QString, commit);
    QFETCH(QStringList, writes);
    Rig r("NE1617(A)  Temperature monitor", "TfrmNE1617");
    r.autoWriteOn("chbAutoWrite");
    auto* s = r.c<QSpinBox>(spin);
    s->setFocus();
    QVERIFY(s->hasFocus());
    s->selectAll();
    QTest::keyClicks(s, typed);
    QCOMPARE(r.bench.transfers(), QStringList{});

    if (commit == "enter")
        press(s, Qt::Key_Return);
    else if (commit == "up")
        press(s, Qt::Key_Up);
    else if (commit == "down")
        press(s, Qt::Key_Down);
    else
        r.c<QAbstractButton>("chbAutoWrite")->setFocus();
    QCOMPARE(r.bench.transfers(), writes);
}

TALLYPORT_TEST_MAIN(TestInputSafety)
#include "tst_input_safety.moc"
