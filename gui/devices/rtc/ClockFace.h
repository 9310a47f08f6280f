#pragma once
#include <QWidget>

// An analogue clock face showing hours, minutes and, if wanted, seconds.
// Values outside a clock's range (a chip holding 39 hours) still draw.
class ClockFace : public QWidget {
    Q_OBJECT
public:
    explicit ClockFace(const QString& objectName, bool seconds, QWidget* parent = nullptr);

    void setTime(int hours, int minutes, int seconds = 0);
    int hours() const { return m_hours; }
    int minutes() const { return m_minutes; }
    int seconds() const { return m_seconds; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_showSeconds;
    int m_hours = 0;
    int m_minutes = 0;
    int m_seconds = 0;
};
