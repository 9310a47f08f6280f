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

    m_tools = bar;
    m_triggers = new QWidget;
    auto* triggers = new QHBoxLayout(m_triggers);
    triggers->setContentsMargins(0, 0, 0, 0);
    triggers->addWidget(makeLabel(QStringLiteral("lblGPIO"), tr("GPIO ?")));
    for (QToolButton* b : {makeButton(QStringLiteral("btnTriggerHigh"), tr("Trigger Out High"), tr("Set Trigger Out High")),
                           makeButton(QStringLiteral("btnTriggerLow"), tr("Trigger Out Low"), tr("Set Trigger Low"))}) {
        b->setEnabled(false);
        triggers->addWidget(b);
    }
    triggers->addSpacing(16);
    triggers->addWidget(makeLabel(QStringLiteral("lblInputState"), tr("Input State unkown")));
    QToolButton* read = makeButton(QStringLiteral("btnReadInput"), tr("Read"), tr("Read Input Pin"));
    read->setEnabled(false);
    triggers->addWidget(read);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(bar);
    layout->addStretch(1);
    layout->addWidget(m_triggers);
}

void ExpertToolBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // In a narrow window the working tools keep their room; the trigger
    // controls, which do nothing, make way.
    m_triggers->setVisible(width() >= m_tools->sizeHint().width() + m_triggers->sizeHint().width() +
                                          layout()->spacing());
}
