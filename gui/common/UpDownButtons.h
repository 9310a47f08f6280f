#pragma once
#include <QWidget>

class QToolButton;

// An up/down arrow pair that steps a position within a range, with no text
// field of its own (the window shows the value where it likes). The arrow
// keys step it too while it has the focus. valueChanged() is the change
// reaction and comes only when the position really moves (no wrap at the
// ends); setValueQuietly() loads a position without it.
class UpDownButtons : public QWidget {
    Q_OBJECT
public:
    UpDownButtons(const QString& objectName, int minimum, int maximum, QWidget* parent = nullptr);

    int value() const { return m_value; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setValueQuietly(int value);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

public slots:
    void stepUp();
    void stepDown();

signals:
    void valueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void step(int by);

    QToolButton* m_up;
    QToolButton* m_down;
    int m_min;
    int m_max;
    int m_value;
};
