#pragma once
#include <QWidget>

class QToolButton;

// A pair of small arrow buttons that step a value the window shows
// elsewhere. Holding a button repeats its step; the arrow keys step it too
// while it has the focus.
//
// Made with a range, the pair also keeps the position itself: valueChanged()
// is the change reaction and comes only when the position really moves (no
// wrap at the ends); setValueQuietly() loads a position without it.
class UpDownButtons : public QWidget {
    Q_OBJECT
public:
    explicit UpDownButtons(const QString& objectName, QWidget* parent = nullptr);
    UpDownButtons(const QString& objectName, int minimum, int maximum, QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    int value() const { return m_value; }
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setValueQuietly(int value);

signals:
    void up();
    void down();
    void valueChanged(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void step(int by);

    QToolButton* m_up;
    QToolButton* m_down;
    bool m_ranged = false;
    int m_min = 0;
    int m_max = 0;
    int m_value = 0;
};
