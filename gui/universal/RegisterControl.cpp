#include "gui/universal/RegisterControl.h"
#include "core/common/HexText.h"
#include "gui/common/Guarded.h"
#include "gui/common/ToggleCaption.h"
#include "gui/universal/Longi2c.h"
#include "gui/universal/RegisterGridModel.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QTimer>

namespace {
constexpr tp::Rgb kOnGreen = 0x008000;
} // namespace

TRegisterControl::TRegisterControl(TfrmLongI2C& device, int reg, const QString& autoName,
                                   const QString& autoHint, QLabel* nameLabel)
    : QWidget(&device, Qt::Tool), m_device(&device), m_reg(reg)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("0x") + QString::fromStdString(tp::intToHex(std::uint64_t(reg), 2)));
    // Wide enough for the caption in the title bar.
    setMinimumWidth(150);
    lblRegName = nameLabel ? nameLabel : new QLabel;
    lblRegName->setParent(this);
    lblRegName->setObjectName(QStringLiteral("lblRegName"));
    lblRegName->setText(QString::fromStdString(device.device().registerName(reg)));
    m_auto = makeAutoWriteBox(autoName, autoHint);
    // Another editor, a read or the grid changed the register: show it.
    connect(device.gridModel(), &RegisterGridModel::valueChanged, this, guarded([this](int changed) {
                if (changed == m_reg)
                    reload();
            }));
}

QCheckBox* TRegisterControl::makeAutoWriteBox(const QString& name, const QString& hint)
{
    auto* box = new QCheckBox(this);
    box->setObjectName(name);
    box->setToolTip(hint);
    new ToggleCaption(box, [](bool on) {
        return on ? tp::ToggleText{"Auto Write On", kOnGreen}
                  : tp::ToggleText{"Auto Write Off", tp::colour::Red};
    });
    box->setChecked(false);
    return box;
}

void TRegisterControl::reload()
{
    if (!m_device)
        return;
    const tp::userdev::UserDevice& d = m_device->device();
    std::uint32_t v = 0;
    // A register the device no longer has, or a cell that holds no value,
    // gives nothing to show or edit: the editor goes.
    if (!d.isDefined(m_reg) || !tp::tryHexToInt(d.valueText(m_reg), v)) {
        QTimer::singleShot(0, this, &QWidget::close);
        return;
    }
    lblRegName->setText(QString::fromStdString(d.registerName(m_reg)));
    m_loading = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_loading};
    loadValue(static_cast<std::uint8_t>(v));
}

void TRegisterControl::valueChange(std::uint8_t value)
{
    if (m_loading || !m_device)
        return;
    m_device->registerControlChanged(m_reg, value, m_auto->isChecked());
}

void TRegisterControl::FormActivate()
{
    if (!m_device)
        return;
    if (m_device->device().isDefined(m_reg))
        m_device->selectRegister(m_reg);
    reload();
}

void TRegisterControl::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        guard([this] { FormActivate(); });
}
