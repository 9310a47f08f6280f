#include "gui/universal/ExpertToolBar.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/Guarded.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace {

QToolButton* makeButton(const QString& name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton;
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(hint);
    return b;
}

QLabel* makeLabel(const QString& name, const QString& text)
{
    auto* l = new QLabel(text);
    l->setObjectName(name);
    return l;
}

// One group of the row, kept together when the row wraps, with a line
// that sets it off from the group before.
QWidget* makeGroup(const QList<QWidget*>& parts, bool separated)
{
    auto* group = new QWidget;
    auto* h = new QHBoxLayout(group);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(2);
    if (separated) {
        auto* line = new QFrame(group);
        line->setFrameShape(QFrame::VLine);
        line->setFrameShadow(QFrame::Sunken);
        h->addWidget(line);
    }
    for (QWidget* w : parts)
        h->addWidget(w);
    return group;
}

} // namespace

ExpertToolBar::ExpertToolBar(const QList<QList<Tool>>& groups, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tlbExpert"));
    // The groups wrap into a second row in a narrow window rather than
    // hiding tools behind an overflow button.
    auto* flow = new FlowLayout(this, 4);
    flow->setContentsMargins(0, 0, 0, 0);
    for (int g = 0; g < groups.size(); ++g) {
        QList<QWidget*> buttons;
        for (const Tool& t : groups[g]) {
            QToolButton* b = makeButton(t.name, t.text, t.hint);
            b->setAutoRaise(true);
            connect(b, &QToolButton::clicked, this, guarded([action = t.action] { action(); }));
            buttons.append(b);
        }
        flow->addWidget(makeGroup(buttons, g > 0));
    }

    // The trigger controls: the adapter has no pins for them.
    QList<QWidget*> triggers{makeLabel(QStringLiteral("lblGPIO"), tr("GPIO ?"))};
    for (QToolButton* b : {makeButton(QStringLiteral("btnTriggerHigh"), tr("Trigger Out High"), tr("Set Trigger Out High")),
                           makeButton(QStringLiteral("btnTriggerLow"), tr("Trigger Out Low"), tr("Set Trigger Low"))}) {
        b->setEnabled(false);
        triggers.append(b);
    }
    flow->addWidget(makeGroup(triggers, true));
    QToolButton* read = makeButton(QStringLiteral("btnReadInput"), tr("Read"), tr("Read Input Pin"));
    read->setEnabled(false);
    flow->addWidget(makeGroup({makeLabel(QStringLiteral("lblInputState"), tr("Input State unkown")), read}, true));
}
