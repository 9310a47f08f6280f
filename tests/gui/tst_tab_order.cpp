#include "gui/common/TabOrder.h"
#include "tests/support/TestBench.h"
#include "tests/support/WindowChecks.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QVBoxLayout>

namespace {

QPushButton* button(const QString& name)
{
    auto* b = new QPushButton(name);
    b->setObjectName(name);
    return b;
}

} // namespace

// Windows build their controls in whatever order their builders run; Tab
// must still go the way the eye reads the window.
class TestTabOrder : public QObject {
    Q_OBJECT
private slots:
    void gridsGoRowByRowAndSpansComeAfterTheirLastRow();
    void scrollAreasAndSplittersAreEnteredInPlace();
};

void TestTabOrder::gridsGoRowByRowAndSpansComeAfterTheirLastRow()
{
    QWidget w;
    auto* g = new QGridLayout(&w);
    // Added column by column, as a builder of columns would.
    g->addWidget(button("a1"), 0, 0);
    g->addWidget(button("b1"), 1, 0);
    g->addWidget(new QLabel("not focusable"), 0, 1);
    g->addWidget(button("a2"), 0, 2);
    g->addWidget(button("b2"), 1, 2);
    g->addWidget(button("both"), 0, 3, 2, 1); // beside both rows
    g->addWidget(button("c1"), 2, 0);
    orderTabsByLayout(&w);
    w.show();
    QCOMPARE(tabChain(&w), (QStringList{"a1", "a2", "b1", "b2", "both", "c1"}));
}

void TestTabOrder::scrollAreasAndSplittersAreEnteredInPlace()
{
    QWidget w;
    auto* v = new QVBoxLayout(&w);
    auto* splitter = new QSplitter;
    auto* area = new QScrollArea;
    area->setFocusPolicy(Qt::NoFocus);
    area->setWidgetResizable(true);
    // The scroll area's controls are made before anything else exists.
    auto* scrolled = new QWidget;
    auto* sv = new QVBoxLayout(scrolled);
    sv->addWidget(button("s1"));
    sv->addWidget(button("s2"));
    area->setWidget(scrolled);
    auto* right = new QWidget;
    auto* rh = new QHBoxLayout(right);
    rh->addWidget(button("r1"));
    rh->addWidget(button("r2"));
    v->addWidget(button("first"));
    v->addWidget(splitter);
    splitter->addWidget(area);
    splitter->addWidget(right);
    v->addWidget(button("last"));
    orderTabsByLayout(&w);
    w.show();
    QCOMPARE(tabChain(&w), (QStringList{"first", "s1", "s2", "r1", "r2", "last"}));
}

TALLYPORT_TEST_MAIN(TestTabOrder)
#include "tst_tab_order.moc"
