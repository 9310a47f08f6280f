#include "gui/devices/thermal/ThermalForm.h"
#include "core/common/HexText.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"
#include "gui/common/ScrollingContent.h"
#include "gui/common/TabOrder.h"

#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace {
// Below this much room beside the registers the plot goes underneath.
constexpr int kPlotBeside = 440;
// Height the plot keeps under the registers.
constexpr int kPlotBelow = 300;
} // namespace

TThermalForm::TThermalForm(TfrmMain& main, const QString& windowClass, const QString& chipType, QWidget* parent)
    : TChildForm(main, windowClass, parent), m_link(*this, chipType)
{
    setOpensMaximised(true);
    // A poll must not go on over an adapter that may not have this chip.
    connect(&main, &TfrmMain::adapterStateChanged, this, guarded([this] {
                if (m_plot)
                    m_plot->stop(adapter().isPresent() ? tr("Stopped: the adapter changed")
                                                       : tr("Stopped: the adapter went away"));
            }));
}

QGroupBox* TThermalForm::makeAddressGroup(const QList<std::uint8_t>& addresses, bool keepAddress)
{
    m_addresses = addresses;
    auto* grb = makeGroup(tr("Device Address"), QStringLiteral("grbAddress"), this);
    cmbAddress = new QComboBox(grb);
    cmbAddress->setObjectName(QStringLiteral("cmbAddress"));
    for (std::uint8_t a : addresses)
        cmbAddress->addItem(QString::fromStdString(tp::addressText(a)));
    (new QHBoxLayout(grb))->addWidget(cmbAddress);

    setStartAddress(0, addresses.first());
    const int kept = addresses.indexOf(m_link.address());
    if (keepAddress && kept >= 0) {
        cmbAddress->setCurrentIndex(kept);
    } else {
        cmbAddress->setCurrentIndex(0);
        m_link.setAddress(addresses.first());
    }
    connect(cmbAddress, &QComboBox::activated, this, guarded(this, &TThermalForm::cmbAddressChange));
    return grb;
}

void TThermalForm::cmbAddressChange(int index)
{
    if (index >= 0 && index < m_addresses.size())
        m_link.setAddress(m_addresses[index]);
}

QWidget* TThermalForm::column(const QList<QWidget*>& widgets)
{
    auto* c = new QWidget;
    auto* v = new QVBoxLayout(c);
    v->setContentsMargins(0, 0, 0, 0);
    for (QWidget* w : widgets)
        v->addWidget(w);
    v->addStretch(1);
    return c;
}

void TThermalForm::setPanels(const QList<QWidget*>& columns, const QStringList& channels,
                             TemperaturePlot::Sampler sampler)
{
    auto* registers = new QWidget;
    registers->setObjectName(QStringLiteral("pnlRegisters"));
    m_columns = columns;
    m_columnsLayout = new QBoxLayout(QBoxLayout::LeftToRight, registers);
    m_columnsLayout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* c : columns) {
        c->setParent(registers);
        m_columnsLayout->addWidget(c, 0, Qt::AlignTop);
    }
    QWidget* content = addScrollingContent(this);
    m_scroll = new QScrollArea(content);
    m_scroll->setObjectName(QStringLiteral("scbRegisters"));
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls inside
    m_scroll->setWidget(registers);
    m_plot = new TemperaturePlot(
        channels,
        [this, sampler = std::move(sampler)] {
            const TfrmMain::BackgroundWork background(main(), this);
            return sampler();
        },
        content);
    m_plot->setExportName(windowTitle().section(QLatin1Char(' '), 0, 0) + QStringLiteral(" temperatures.csv"));
    m_splitter = new QSplitter(Qt::Horizontal, content);
    m_splitter->setObjectName(QStringLiteral("splPlot"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->addWidget(m_scroll);
    m_splitter->addWidget(m_plot);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    auto* top = new QVBoxLayout(content);
    top->setContentsMargins(4, 4, 4, 4);
    top->addWidget(m_splitter);
    // Texts and styles settle after construction; the registers' width with them.
    for (QWidget* c : columns)
        c->installEventFilter(this);
    orderTabsByLayout(this);
    arrange();
}

bool TThermalForm::eventFilter(QObject* watched, QEvent* event)
{
    if (m_columns.contains(watched) && (event->type() == QEvent::LayoutRequest || event->type() == QEvent::Show) &&
        !m_arrangePosted) {
        m_arrangePosted = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_arrangePosted = false;
                guard([&] { arrange(); });
            },
            Qt::QueuedConnection);
    }
    return TChildForm::eventFilter(watched, event);
}

void TThermalForm::arrange()
{
    if (!m_splitter)
        return;
    // Width of the register columns side by side.
    const int scrollBar = m_scroll->verticalScrollBar()->sizeHint().width() + 2;
    int row = 0;
    for (QWidget* c : m_columns)
        row += c->sizeHint().width();
    row += m_columnsLayout->spacing() * std::max<int>(0, m_columns.size() - 1) + scrollBar;
    int room = width() - 8;
    const Qt::Orientation o = room >= row + kPlotBeside ? Qt::Horizontal : Qt::Vertical;
    if (o == Qt::Vertical)
        room -= scrollBar; // the whole window may scroll up and down
    const QBoxLayout::Direction d =
        o == Qt::Horizontal || room >= row ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    const bool turned = m_splitter->orientation() != o || !m_splitter->property("arranged").toBool();
    m_columnsLayout->setDirection(d);
    m_splitter->setOrientation(o);
    m_splitter->setProperty("arranged", true);
    if (o == Qt::Horizontal) {
        // The registers get what they need, the plot the rest.
        m_scroll->setMinimumWidth(std::min(row, 200));
        m_scroll->setMinimumHeight(0);
        m_plot->setMinimumHeight(0);
        m_splitter->setSizes({row, room - row});
    } else {
        // Every register shows, the plot below keeps a readable height, and
        // the window scrolls as a whole rather than hiding registers in a
        // small pane of their own.
        m_scroll->setMinimumWidth(0);
        const int need = m_scroll->widget()->sizeHint().height() + 2;
        m_scroll->setMinimumHeight(need);
        m_plot->setMinimumHeight(kPlotBelow);
        if (turned) {
            const int h = std::max(height() - 8 - m_splitter->handleWidth(), need + kPlotBelow);
            m_splitter->setSizes({need, h - need});
        }
    }
}

void TThermalForm::resizeEvent(QResizeEvent* event)
{
    TChildForm::resizeEvent(event);
    guard([&] { arrange(); });
}

tp::Status TThermalForm::readByte(std::uint8_t reg, std::uint8_t& value)
{
    std::vector<std::uint8_t> data;
    const tp::Status st = m_link.readRegister(reg, 1, data);
    if (st == tp::status::Success && !data.empty())
        value = data[0];
    return st;
}

tp::Status TThermalForm::readWord(std::uint8_t reg, std::uint16_t& value)
{
    std::vector<std::uint8_t> data;
    const tp::Status st = m_link.readRegister(reg, 2, data);
    if (st == tp::status::Success && data.size() == 2)
        value = static_cast<std::uint16_t>(data[0] << 8 | data[1]);
    return st;
}

tp::Status TThermalForm::writeByte(std::uint8_t reg, std::uint8_t value)
{
    return m_link.writeRegister(reg, {value});
}

tp::Status TThermalForm::writeWord(std::uint8_t reg, std::uint16_t value)
{
    return m_link.writeRegister(reg, {std::uint8_t(value >> 8), std::uint8_t(value & 0xFF)});
}

QPushButton* TThermalForm::makeButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QLabel* TThermalForm::makeText(const QString& text, const QString& name, QWidget* parent, bool framed)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (framed) {
        l->setFrameShape(QFrame::StyledPanel);
        l->setFrameShadow(QFrame::Sunken);
        l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("-128.000\u00B0C")) + 12);
    }
    return l;
}

QGroupBox* TThermalForm::makeGroup(const QString& title, const QString& name, QWidget* parent)
{
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(name);
    return g;
}

char TThermalForm::decimalSeparator() const
{
    const QString p = QLocale().decimalPoint();
    return p.size() == 1 && p[0].unicode() < 0x80 ? char(p[0].unicode()) : '.';
}
