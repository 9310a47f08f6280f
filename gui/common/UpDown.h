#pragma once
#include <QWidget>

class QToolButton;

// A pair of arrow buttons that step a value shown beside them (a display,
// a label): a click on an arrow, or the up and down keys while it has the
// focus, reports one step; the window decides what the step does and
// shows the result. Its buttons are named "<name>Up" and "<name>Down".
class UpDown : public QWidget {
    Q_OBJECT
public:
    explicit UpDown(const QString& objectName, QWidget* parent = nullptr);

    QToolButton* upButton() const { return m_up; }
    QToolButton* downButton() const { return m_down; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void upClicked();
    void downClicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};
