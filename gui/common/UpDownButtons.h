#pragma once
#include <QWidget>

class QToolButton;

// A pair of small arrow buttons that step a value the window shows
// elsewhere. Holding a button repeats its step.
class UpDownButtons : public QWidget {
    Q_OBJECT
public:
    explicit UpDownButtons(const QString& objectName, QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

signals:
    void up();
    void down();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};
