#include "gui/universal/Slider.h"
#include "gui/common/Guarded.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSlider>
#include <QVBoxLayout>

namespace {

// The register name written from bottom to top beside the slider.
class VerticalLabel : public QLabel {
public:
    QSize sizeHint() const override
    {
        const QSize s = QLabel::sizeHint();
        return {s.height(), s.width()};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(palette().color(QPalette::WindowText));
        p.translate(0, height());
        p.rotate(-90);
        p.drawText(QRect(0, 0, height(), width()), Qt::AlignCenter, text());
    }
};

} // namespace

TfrmSlider::TfrmSlider(TfrmLongI2C& device, int reg)
    : TRegisterControl(device, reg, QStringLiteral("chbAuto"),
                       tr("Send I\u00B2C message when slider changed"), new VerticalLabel)
{
    setObjectName(QStringLiteral("TfrmSlider"));
    m_slider = new QSlider(Qt::Vertical, this);
    m_slider->setObjectName(QStringLiteral("Slider"));
    m_slider->setRange(0, 255);
    m_slider->setSingleStep(1);
    m_slider->setPageStep(16);
    m_slider->setTickPosition(QSlider::TicksRight);
    m_slider->setTickInterval(16);
    m_slider->setMinimumHeight(256);

    auto* row = new QHBoxLayout;
    row->addWidget(lblRegName);
    row->addWidget(m_slider, 0, Qt::AlignHCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row, 1);
    layout->addWidget(autoWriteBox());

    reload();
    connect(m_slider, &QSlider::valueChanged, this, guarded(this, &TfrmSlider::SliderChange));
}

void TfrmSlider::loadValue(std::uint8_t v)
{
    const QSignalBlocker block(m_slider);
    m_slider->setValue(v);
}

void TfrmSlider::SliderChange(int position)
{
    valueChange(static_cast<std::uint8_t>(position));
}
