#include "gui/common/ScrollingContent.h"
#include "gui/common/FlowLayout.h"

#include <QScrollArea>
#include <QVBoxLayout>

QWidget* addScrollingContent(QWidget* window)
{
    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(window);
    scroll->setObjectName(QStringLiteral("scrContent"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    // Tabbing reaches the controls and scrolls them into view; the area itself is no stop.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("pnlContent"));
    scroll->setWidget(content);
    outer->addWidget(scroll);
    return content;
}

FlowLayout* addFlowingContent(QWidget* window, int spacing)
{
    return new FlowLayout(addScrollingContent(window), spacing);
}
