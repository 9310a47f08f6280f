#pragma once
#include <QWidget>

// A drawing of a chip in its package: body, pins on both sides, the pin-1
// mark and the type printed on top. Decoration only.
class ChipPicture : public QWidget {
    Q_OBJECT
public:
    ChipPicture(const QString& type, int pinsPerSide, QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_type;
    int m_pins;
};
