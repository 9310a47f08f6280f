#pragma once
#include <QAbstractButton>
#include <QColor>

// A clickable LED with a caption beside it: a two-state control that shows
// its state as a lit or dark lamp. Checkable; space and clicks toggle it.
class LedToggle : public QAbstractButton {
    Q_OBJECT
public:
    explicit LedToggle(const QString& objectName, const QString& text = QString(), QWidget* parent = nullptr);

    void setLitColour(const QColor& c);
    QColor litColour() const { return m_lit; }
    // The lamp's colour when off; a dark shade of the lit colour unless set.
    void setUnlitColour(const QColor& c);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

private:
    int lampSize() const;
    QColor m_lit{0x20, 0xE0, 0x20};
    QColor m_unlit;
};
