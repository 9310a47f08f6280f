#pragma once
#include "core/common/Status.h"

#include <QStatusBar>
#include <QVector>

class TStatusPanel;

// The frame's status bar: six panels that paint a status message each
// (text, plain or gradient background, text colour, alignment, boldness).
class TStatusLine : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kPanels = 6;

    explicit TStatusLine(QWidget* parent = nullptr);

    void setPanel(int index, const tp::StatusMessage& message);
    const tp::StatusMessage& panel(int index) const;
    QWidget* panelWidget(int index) const;

    // Paints at once, also inside loops that do not return to the event loop.
    void repaintNow();

signals:
    void panelDoubleClicked(int index);

private:
    QVector<TStatusPanel*> m_panels;
};

// Resolves the button-face placeholder to the palette's colour.
QColor toQColor(tp::Rgb rgb, const QPalette& palette);
