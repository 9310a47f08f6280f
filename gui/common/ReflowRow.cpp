#include "gui/common/ReflowRow.h"

#include <QBoxLayout>
#include <QResizeEvent>
#include <QScrollArea>

ReflowRow::ReflowRow(QWidget* parent) : QWidget(parent)
{
    m_layout = new QBoxLayout(QBoxLayout::LeftToRight, this);
    m_layout->setContentsMargins(6, 6, 6, 6);
}

void ReflowRow::addPanel(QWidget* panel)
{
    m_panels.append(panel);
    m_layout->addWidget(panel, 0, Qt::AlignTop | Qt::AlignLeft);
}

void ReflowRow::addStretch()
{
    m_layout->addStretch(1);
}

bool ReflowRow::isRow() const
{
    return m_layout->direction() == QBoxLayout::LeftToRight;
}

int ReflowRow::rowWidth() const
{
    const QMargins m = m_layout->contentsMargins();
    int w = m.left() + m.right();
    for (QWidget* p : m_panels)
        w += p->minimumSizeHint().expandedTo(p->minimumSize()).width();
    return w + m_layout->spacing() * std::max<int>(0, int(m_panels.size()) - 1);
}

QSize ReflowRow::minimumSizeHint() const
{
    // As narrow as the widest panel: a scroll area then gives the row no
    // more width than its window has, and the panels stack.
    const QMargins m = m_layout->contentsMargins();
    int w = 0;
    for (QWidget* p : m_panels)
        w = std::max(w, p->minimumSizeHint().expandedTo(p->minimumSize()).width());
    return {w + m.left() + m.right(), m_layout->minimumSize().height()};
}

void ReflowRow::arrange(int width)
{
    const auto direction = width >= rowWidth() ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (direction == m_layout->direction())
        return;
    m_layout->setDirection(direction);
    updateGeometry();
}

void ReflowRow::resizeEvent(QResizeEvent* event)
{
    arrange(event->size().width());
    QWidget::resizeEvent(event);
}

ReflowRow* ReflowRow::inScrollArea(QWidget* window)
{
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("scrBody"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // Tabbing reaches the controls and scrolls them into view; the area itself is no stop.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* row = new ReflowRow(scroll);
    row->setObjectName(QStringLiteral("pnlBody"));
    scroll->setWidget(row);
    outer->addWidget(scroll);
    return row;
}
