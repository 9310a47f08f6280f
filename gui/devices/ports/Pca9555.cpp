#include "gui/devices/ports/Pca9555.h"
#include "core/devices/ports/RegisterExpander.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/KeyFilter.h"
#include "gui/common/LedToggle.h"
#include "gui/common/ScrollingContent.h"
#include "gui/devices/ports/BitColumn.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

using tp::expander::pca9555Addresses;

namespace {

// What the three writable pairs show: group, field names and hint, boxes.
struct PairTexts {
    const char* group;
    const char* title;
    const char* field[2]; // register n, n+1
    const char* initial;
    const char* fieldHint;
    const char* boxPrefix; // + register number + bit
    const char* one;
    const char* zero;
    BitBoxRow::Look look;
    tp::OneIs oneIs;
    bool busy; // the boxes wait while a click updates the field
};

const PairTexts kPairs[3] = {
    {"grbOutput",
     "Output (Registers 3 and 2)",
     {"edtRegister2", "edtRegister3"},
     "FF",
     "Enter Output Port data here",
     "chbReg",
     "High",
     "Low",
     BitBoxRow::Look::Led,
     tp::OneIs::Unchecked,
     false},
    {"grbPolarity",
     "Polarity (Registers 5 and 4)",
     {"edtPolarity0", "edtPolarity1"},
     "00",
     "Enter Polarity Register data here",
     "chb",
     "Inverted",
     "Not Inverted",
     BitBoxRow::Look::CheckBox,
     tp::OneIs::Checked,
     true},
    {"grbConfig",
     "Configuration (Registers 7 and 6)",
     {"edtConfig0", "edtConfig1"},
     "FF",
     "Enter I/O Configuration Register data here",
     "chb",
     "Input",
     "Output",
     BitBoxRow::Look::CheckBox,
     tp::OneIs::Checked,
     true},
};

QPushButton* button(const QString& name, const QString& text, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

QString regHex(int n)
{
    return QStringLiteral("0x%1").arg(n, 2, 16, QLatin1Char('0'));
}

} // namespace

TfrmPCA9555::TfrmPCA9555(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCA9555"), parent),
      m_link(*this, QString::fromStdString(pca9555Addresses().chipTypeAt(pca9555Addresses().address(0))))
{
    setWindowTitle(tr("PCA9535/PCA9555 16-bit I/O Expander"));
    addFileMenu();
    new HexKeyFilter(this);

    QWidget* content = addScrollingContent(this);
    auto* column = new QVBoxLayout(content);
    column->addWidget(buildTopBar(content));
    auto* registers = new QWidget(content);
    registers->setObjectName(QStringLiteral("pnlRegisters"));
    auto* flow = new FlowLayout(registers);
    flow->addWidget(buildInputs(registers));
    for (int n : {2, 4, 6})
        flow->addWidget(buildPair(n, registers));
    column->addWidget(registers);
    column->addStretch(1);

    // The window shows the address it uses from the start; a preset may choose another.
    cmbAddress->setCurrentIndex(0);
    setAddress(pca9555Addresses().address(0));

    using Slot = void (TfrmPCA9555::*)();
    const Slot reads[8] = {nullptr,
                           nullptr,
                           &TfrmPCA9555::btnRead2Click,
                           &TfrmPCA9555::btnRead3Click,
                           &TfrmPCA9555::btnRead4Click,
                           &TfrmPCA9555::btnRead5Click,
                           &TfrmPCA9555::btnRead6Click,
                           &TfrmPCA9555::btnRead7Click};
    const Slot writes[8] = {nullptr,
                            nullptr,
                            &TfrmPCA9555::btnWrite2Click,
                            &TfrmPCA9555::btnWrite3Click,
                            &TfrmPCA9555::btnWrite4Click,
                            &TfrmPCA9555::btnWrite5Click,
                            &TfrmPCA9555::btnWrite6Click,
                            &TfrmPCA9555::btnWrite7Click};
    const Slot pairReads[8] = {
        &TfrmPCA9555::btnReadInputClick, nullptr, &TfrmPCA9555::btnRead23Click, nullptr,
        &TfrmPCA9555::btnRead45Click,    nullptr, &TfrmPCA9555::btnRead67Click, nullptr};
    const Slot pairWrites[8] = {nullptr,
                                nullptr,
                                &TfrmPCA9555::btnWrite23Click,
                                nullptr,
                                &TfrmPCA9555::btnWrite45Click,
                                nullptr,
                                &TfrmPCA9555::btnWrite67Click,
                                nullptr};
    for (int n = 0; n < 8; ++n) {
        if (reads[n])
            connect(m_read[at(n)], &QPushButton::clicked, this, guarded(this, reads[n]));
        if (writes[n])
            connect(m_write[at(n)], &QPushButton::clicked, this, guarded(this, writes[n]));
        if (pairReads[n])
            connect(m_readPair[at(n)], &QPushButton::clicked, this, guarded(this, pairReads[n]));
        if (pairWrites[n])
            connect(m_writePair[at(n)], &QPushButton::clicked, this, guarded(this, pairWrites[n]));
        if (n >= 2)
            connect(m_fields[at(n)], &HexField::exited, this, guarded(this, &TfrmPCA9555::edtExit));
    }
    connect(cmbAddress, &QComboBox::activated, this, guarded(this, &TfrmPCA9555::cmbAddressChange));
    connect(btnReadAll, &QPushButton::clicked, this, guarded(this, &TfrmPCA9555::btnReadAllClick));
    connect(btnWriteAll, &QPushButton::clicked, this, guarded(this, &TfrmPCA9555::btnWriteAllClick));
}

QWidget* TfrmPCA9555::buildTopBar(QWidget* parent)
{
    auto* bar = new QWidget(parent);
    auto* row = new FlowLayout(bar, 12);

    auto* grbAddress = new QGroupBox(tr("Device Address"), bar);
    grbAddress->setObjectName(QStringLiteral("grbAddress"));
    grbAddress->setToolTip(tr("Device I\u00B2C Address"));
    auto* a = new QHBoxLayout(grbAddress);
    cmbAddress = new QComboBox(grbAddress);
    cmbAddress->setObjectName(QStringLiteral("cmbAddress"));
    for (const std::string& item : pca9555Addresses().itemTexts())
        cmbAddress->addItem(QString::fromStdString(item));
    a->addWidget(cmbAddress);
    row->addWidget(grbAddress);

    auto* pnlAuto = new QWidget(bar);
    pnlAuto->setObjectName(QStringLiteral("pnlAuto"));
    auto* autoRow = new QVBoxLayout(pnlAuto);
    autoRow->addStretch(1);
    auto* chbAutoWrite = new LedToggle(QStringLiteral("chbAutoWrite"), QString(), pnlAuto);
    chbAutoWrite->setToolTip(tr("Enable/disable Auto Write feature"));
    m_autoWrite = new AutoWriteToggle(chbAutoWrite);
    chbAutoWrite->setMinimumWidth(chbAutoWrite->sizeHint().width()); // "Off", the longer caption
    m_link.setAutoWrite(m_autoWrite);
    autoRow->addWidget(chbAutoWrite);
    autoRow->addStretch(1);
    row->addWidget(pnlAuto);

    pnlAll = new QWidget(bar);
    pnlAll->setObjectName(QStringLiteral("pnlAll"));
    auto* all = new QHBoxLayout(pnlAll);
    btnWriteAll = button(QStringLiteral("btnWriteAll"), tr("Write All"),
                         tr("Write registers 0x02 through 0x07"), pnlAll);
    btnReadAll =
        button(QStringLiteral("btnReadAll"), tr("Read All"), tr("Read registers 0x00 through 0x07"), pnlAll);
    all->addWidget(btnWriteAll);
    all->addWidget(btnReadAll);
    row->addWidget(pnlAll);
    return bar;
}

QGroupBox* TfrmPCA9555::buildInputs(QWidget* parent)
{
    auto* grb = new QGroupBox(tr("Input (Registers 1 and 0)"), parent);
    grb->setObjectName(QStringLiteral("grbInput"));
    auto* v = new QVBoxLayout(grb);
    auto* fields = new QHBoxLayout;
    for (int n : {1, 0}) {
        auto* f = new HexField(QStringLiteral("edtRegister%1").arg(n), QStringLiteral("FF"), grb);
        f->setDisplayOnly(true);
        f->setToolTip(tr("Press read button to update"));
        m_fields[at(n)] = f;
        fields->addWidget(f);
    }
    fields->addStretch(1);
    v->addLayout(fields);
    m_readPair[0] =
        button(QStringLiteral("btnInputRead"), tr("Read Inputs"), tr("Read registers 0x00 and 0x01"), grb);
    v->addWidget(m_readPair[0]);
    v->addStretch(1);
    return grb;
}

QGroupBox* TfrmPCA9555::buildPair(int n, QWidget* parent)
{
    const PairTexts& t = kPairs[n / 2 - 1];
    auto* grb = new QGroupBox(tr(t.title), parent);
    grb->setObjectName(QString::fromLatin1(t.group));
    auto* grid = new QGridLayout(grb);
    // The odd register on the left, as the 16-bit port reads: port 1, then port 0.
    int col = 0;
    for (int r : {n + 1, n}) {
        auto* f = new HexField(QString::fromLatin1(t.field[r - n]), QString::fromLatin1(t.initial), grb);
        f->setToolTip(tr(t.fieldHint));
        m_fields[at(r)] = f;
        auto* top = new QHBoxLayout;
        top->addWidget(f);
        m_read[at(r)] =
            button(QStringLiteral("btnRead%1").arg(r), tr("Read"), tr("Read register ") + regHex(r), grb);
        m_write[at(r)] =
            button(QStringLiteral("btnWrite%1").arg(r), tr("Write"), tr("Write register ") + regHex(r), grb);
        top->addWidget(m_read[at(r)]);
        top->addWidget(m_write[at(r)]);
        top->addStretch(1);
        grid->addLayout(top, 0, col);

        QStringList names, labels;
        for (int b = 7; b >= 0; --b) {
            names << QStringLiteral("%1%2%3").arg(QString::fromLatin1(t.boxPrefix)).arg(r).arg(b);
            labels << QStringLiteral("%1.%2").arg(r).arg(b);
        }
        auto* bits = new BitColumn(QStringLiteral("pnlReg%1").arg(r), labels,
                                   BitBoxRow::boxes(names, {t.one, t.zero}), {t.look, t.oneIs, false}, grb);
        if (t.busy)
            bits->row()->setBusyWhileUpdating({bits->panel()});
        m_bits[at(r)] = bits;
        grid->addWidget(bits, 1, col);
        ++col;
    }
    // Auto Write writes the register before its boxes follow the new value.
    using Slot = void (TfrmPCA9555::*)();
    const Slot changes[8] = {nullptr,
                             nullptr,
                             &TfrmPCA9555::edtRegister2Change,
                             &TfrmPCA9555::edtRegister3Change,
                             &TfrmPCA9555::edtPolarity0Change,
                             &TfrmPCA9555::edtPolarity1Change,
                             &TfrmPCA9555::edtConfig0Change,
                             &TfrmPCA9555::edtConfig1Change};
    for (int r : {n + 1, n}) {
        connect(m_fields[at(r)], &HexField::completed, this, guarded(this, changes[r]));
        m_bits[at(r)]->row()->bind(m_fields[at(r)]);
    }

    const QString pair = QStringLiteral("%1%2").arg(n).arg(n + 1);
    auto* buttons = new QHBoxLayout;
    m_readPair[at(n)] = button(QStringLiteral("btnRead") + pair, tr("Read Reg %1+%2").arg(n).arg(n + 1),
                               tr("Read registers %1 & %2").arg(regHex(n), regHex(n + 1)), grb);
    m_writePair[at(n)] = button(QStringLiteral("btnWrite") + pair, tr("Write Reg %1+%2").arg(n).arg(n + 1),
                                tr("Write registers %1 & %2").arg(regHex(n), regHex(n + 1)), grb);
    buttons->addWidget(m_readPair[at(n)]);
    buttons->addWidget(m_writePair[at(n)]);
    buttons->addStretch(1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    return grb;
}

void TfrmPCA9555::applyPreset(const CatalogueEntry& entry)
{
    TChildForm::applyPreset(entry);
    setAddress(m_link.address());
}

void TfrmPCA9555::setAddress(std::uint8_t address)
{
    m_link.setAddress(address);
    m_link.setChipType(QString::fromStdString(pca9555Addresses().chipTypeAt(address)));
}

void TfrmPCA9555::cmbAddressChange(int index)
{
    setAddress(pca9555Addresses().address(index));
}

void TfrmPCA9555::edtExit()
{
    if (auto* field = qobject_cast<HexField*>(sender()))
        field->applyExit(tp::HexExit::LeadingZero);
}

void TfrmPCA9555::fieldChange(int n)
{
    if (m_autoWrite->isOn())
        writeRegister(n);
}

void TfrmPCA9555::readRegister(int n)
{
    const ClickGuard guard{m_read[at(n)]};
    m_link.readOne({n, m_fields[at(n)]});
}

void TfrmPCA9555::writeRegister(int n)
{
    const ClickGuard guard{m_write[at(n)]};
    m_link.writeOne({n, m_fields[at(n)]});
}

tp::Status TfrmPCA9555::readPair(int n)
{
    std::vector<std::uint8_t> data;
    const tp::Status st = m_link.readRegister(static_cast<std::uint8_t>(n), 2, data);
    if (st == tp::status::Success && data.size() == 2) {
        m_fields[at(n)]->setValue(data[0]);
        m_fields[at(n + 1)]->setValue(data[1]);
    }
    return st;
}

tp::Status TfrmPCA9555::writePair(int n)
{
    // Both values first: a field that is no number stops the write before it starts.
    const std::uint8_t first = m_fields[at(n)]->value();
    const std::uint8_t second = m_fields[at(n + 1)]->value();
    return m_link.writeRegister(static_cast<std::uint8_t>(n), {first, second});
}

void TfrmPCA9555::readPairClick(int n)
{
    const ClickGuard guard{m_readPair[at(n)]};
    const AutoWriteToggle::Suspension quiet(m_autoWrite);
    m_link.showStatus(readPair(n));
}

void TfrmPCA9555::writePairClick(int n)
{
    const ClickGuard guard{m_writePair[at(n)]};
    m_link.showStatus(writePair(n));
}

void TfrmPCA9555::btnReadAllClick()
{
    const ClickGuard guard{btnReadAll};
    const AutoWriteToggle::Suspension quiet(m_autoWrite);
    tp::Status st = tp::status::Success;
    for (int n : {0, 2, 4, 6}) {
        st = readPair(n);
        if (st != tp::status::Success)
            break;
    }
    m_link.showStatus(st);
}

void TfrmPCA9555::btnWriteAllClick()
{
    const ClickGuard guard{btnWriteAll};
    QList<HexField*> fields;
    for (int n = 2; n < 8; ++n)
        fields.append(m_fields[at(n)]);
    if (!m_link.fieldValues(fields))
        return;
    // The first failure ends it, and its status stays on show.
    tp::Status st = tp::status::Success;
    for (int n : {2, 4, 6}) {
        st = writePair(n);
        if (st != tp::status::Success)
            break;
    }
    m_link.showStatus(st);
}
