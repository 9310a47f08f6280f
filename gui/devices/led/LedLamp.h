#pragma once
#include <QColor>
#include <QWidget>

// A lamp of the live preview: an LED drawn at a brightness from 0 (dark)
// to 1 (fully lit). It only shows; it takes no clicks and no focus.
class LedLamp : public QWidget {
    Q_OBJECT
public:
    explicit LedLamp(const QString& objectName, QWidget* parent = nullptr);

    double brightness() const { return m_brightness; }
    void setBrightness(double b);
    void setColour(const QColor& c);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double m_brightness = 0;
    QColor m_colour{0xFF, 0x30, 0x20};
};
