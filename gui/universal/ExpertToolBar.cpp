#include "gui/universal/ExpertToolBar.h"
#include "gui/common/Guarded.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
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

} // namespace

ExpertToolBar::ExpertToolBar(const QList<QList<Tool>>& groups, QWidget* parent) : QWidget(parent)
{
    auto* bar = new QToolBar;
    bar->setObjectName(QStringLiteral("tlbExpert"));
    for (int g = 0; g < groups.size(); ++g) {
        if (g > 0)
            bar->addSeparator();
        for (const Tool& t : groups[g]) {
            QToolButton* b = makeButton(t.name, t.text, t.hint);
            b->setAutoRaise(true);
            connect(b, &QToolButton::clicked, this, guarded([action = t.action] { action(); }));
            bar->addWidget(b);
        }
    }

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addStretch(1);
    layout->addWidget(makeLabel(QStringLiteral("lblGPIO"), tr("GPIO ?")));
    for (QToolButton* b : {makeButton(QStringLiteral("btnTriggerHigh"), tr("Trigger Out High"), tr("Set Trigger Out High")),
                           makeButton(QStringLiteral("btnTriggerLow"), tr("Trigger Out Low"), tr("Set Trigger Low"))}) {
        b->setEnabled(false);
        layout->addWidget(b);
    }
    layout->addSpacing(16);
    layout->addWidget(makeLabel(QStringLiteral("lblInputState"), tr("Input State unkown")));
    QToolButton* read = makeButton(QStringLiteral("btnReadInput"), tr("Read"), tr("Read Input Pin"));
    read->setEnabled(false);
    layout->addWidget(read);
}
