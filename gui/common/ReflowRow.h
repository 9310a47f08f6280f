#pragma once
#include <QList>
#include <QWidget>

class QBoxLayout;
class QScrollArea;

// Panels side by side while the window is wide enough for all of them, one
// above the other when it is not (two windows tiled on one screen). Put it
// in a scroll area (inScrollArea) so a window narrower or lower than its
// panels still reaches every control.
class ReflowRow : public QWidget {
    Q_OBJECT
public:
    explicit ReflowRow(QWidget* parent = nullptr);

    // Panels keep their order: left to right, or top to bottom.
    void addPanel(QWidget* panel);
    void addStretch();
    bool isRow() const;
    // Width the panels need side by side.
    int rowWidth() const;

    // Fills `window` with a frameless scroll area holding a new ReflowRow.
    static ReflowRow* inScrollArea(QWidget* window);

    QSize minimumSizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void arrange(int width);

    QBoxLayout* m_layout;
    QList<QWidget*> m_panels;
};
