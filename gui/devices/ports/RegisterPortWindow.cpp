#include "gui/devices/ports/RegisterPortWindow.h"
#include "gui/app/Catalogue.h"
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

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Per register: side text, bit label letter, box captions (1 / 0), field name and hint, button hints.
struct RegisterTexts {
    const char* side;
    const char* letter;
    const char* one;
    const char* zero;
    const char* field;
    const char* fieldHint;
    const char* writeHint;
    const char* readHint;
    const char* panelHint;
};

const RegisterTexts kTexts[4] = {
    {"Input", "I", "High", "Low", "edtRead", "Press read button to update", "", "Read input register",
     "Checked=high, unchecked=low.  Checkboxes are read only."},
    {"Output", "O", "High", "Low", "edtOutput", "Enter Output Port data here", "Write output register",
     "Read output register", "Checked=high. Unchecked=low."},
    {"Polarity", "N", "Inverted", "Not Inverted", "edtPolarity", "Enter Polarity Register data here",
     "Write Polarity register", "Read Polarity register", "Checked=high. Unchecked=low."},
    {"Configuration", "C", "Input", "Output", "edtConfig", "Enter I/O Configuration Register data here",
     "Write Configuration register", "Read Configuration register", "Checked=high. Unchecked=low."},
};

QPushButton* button(const QString& name, const QString& text, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

} // namespace

RegisterPortWindow::RegisterPortWindow(TfrmMain& main, const Design& design, QWidget* parent)
    : TChildForm(main, design.windowClass, parent), m_design(design),
      m_link(*this, QString::fromStdString(design.addresses->chipTypeAt(design.addresses->address(0))))
{
    setWindowTitle(design.title);
    addFileMenu();
    new HexKeyFilter(this);

    QWidget* content = addScrollingContent(this);
    auto* column = new QVBoxLayout(content);
    column->addWidget(buildTopBar(content));
    auto* registers = new QWidget(content);
    registers->setObjectName(QStringLiteral("pnlRegisters"));
    auto* flow = new FlowLayout(registers);
    QList<QWidget*> groups;
    for (int n = 0; n < 4; ++n)
        flow->addWidget(groups.emplace_back(buildRegister(n, registers)));
    // One width for all, so that wrapped rows line up in columns.
    int width = 0;
    for (QWidget* g : groups)
        width = std::max(width, g->sizeHint().width());
    for (QWidget* g : groups)
        g->setMinimumWidth(width);
    column->addWidget(registers);
    column->addStretch(1);

    // The window shows the address it uses from the start; a preset may choose another.
    m_address->setCurrentIndex(0);
    setAddress(design.addresses->address(0));

    // Reactions last, once every control shows its initial value.
    connect(m_address, &QComboBox::activated, this, guarded(this, &RegisterPortWindow::cmbAddressChange));
    connect(m_read[0], &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReg0ReadClick));
    connect(m_read[1], &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReg1ReadClick));
    connect(m_read[2], &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReg2ReadClick));
    connect(m_read[3], &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReg3ReadClick));
    connect(m_write[1], &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReg1WriteClick));
    connect(m_write[2], &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReg2WriteClick));
    connect(m_write[3], &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReg3WriteClick));
    connect(m_fields[1], &HexField::completed, this, guarded(this, &RegisterPortWindow::edtOutputChange));
    connect(m_fields[2], &HexField::completed, this, guarded(this, &RegisterPortWindow::edtPolarityChange));
    connect(m_fields[3], &HexField::completed, this, guarded(this, &RegisterPortWindow::edtConfigChange));
    connect(m_fields[1], &HexField::exited, this, guarded(this, &RegisterPortWindow::edtOutputExit));
    connect(m_fields[2], &HexField::exited, this, guarded(this, &RegisterPortWindow::edtPolarityExit));
    connect(m_fields[3], &HexField::exited, this, guarded(this, &RegisterPortWindow::edtConfigExit));
    connect(btnReadAll, &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnReadAllClick));
    connect(btnWriteAll, &QPushButton::clicked, this, guarded(this, &RegisterPortWindow::btnWriteAllClick));
}

QWidget* RegisterPortWindow::buildTopBar(QWidget* parent)
{
    auto* bar = new QWidget(parent);
    auto* row = new FlowLayout(bar, 12);

    auto* grbAddress = new QGroupBox(tr("Device Address"), bar);
    grbAddress->setObjectName(QStringLiteral("grbAddress"));
    grbAddress->setToolTip(tr("Device I\u00B2C Address"));
    auto* a = new QHBoxLayout(grbAddress);
    m_address = new QComboBox(grbAddress);
    m_address->setObjectName(m_design.addressList);
    if (!m_design.addressListHint.isEmpty())
        m_address->setToolTip(m_design.addressListHint);
    for (const std::string& item : m_design.addresses->itemTexts())
        m_address->addItem(QString::fromStdString(item));
    a->addWidget(m_address);
    row->addWidget(grbAddress);

    auto* pnlAuto = new QWidget(bar);
    pnlAuto->setObjectName(QStringLiteral("pnlAuto"));
    auto* autoRow = new QVBoxLayout(pnlAuto);
    autoRow->addStretch(1);
    QAbstractButton* chbAuto = nullptr;
    if (m_design.ledAutoWrite) {
        chbAuto = new LedToggle(QStringLiteral("chbAuto"), QString(), pnlAuto);
        pnlAuto->setToolTip(m_design.autoWriteHint);
    } else {
        chbAuto = new QCheckBox(pnlAuto);
        chbAuto->setObjectName(QStringLiteral("chbAuto"));
        chbAuto->setToolTip(m_design.autoWriteHint);
    }
    m_autoWrite = new AutoWriteToggle(chbAuto);
    // Wide enough for "Auto Write Off", the longer caption, so nothing moves when it changes.
    chbAuto->setMinimumWidth(chbAuto->sizeHint().width());
    m_link.setAutoWrite(m_autoWrite);
    autoRow->addWidget(chbAuto);
    autoRow->addStretch(1);
    row->addWidget(pnlAuto);

    pnlAll = new QWidget(bar);
    pnlAll->setObjectName(QStringLiteral("pnlAll"));
    auto* all = new QHBoxLayout(pnlAll);
    btnWriteAll = button(QStringLiteral("btnWriteAll"), tr("Write All"), m_design.writeAllHint, pnlAll);
    btnReadAll = button(QStringLiteral("btnReadAll"), tr("Read All"), m_design.readAllHint, pnlAll);
    all->addWidget(btnWriteAll);
    all->addWidget(btnReadAll);
    row->addWidget(pnlAll);
    return bar;
}

QGroupBox* RegisterPortWindow::buildRegister(int n, QWidget* parent)
{
    const RegisterTexts& t = kTexts[n];
    const QString number = QString::number(n);
    auto* grb = new QGroupBox(m_design.groups[static_cast<std::size_t>(n)], parent);
    grb->setObjectName(QStringLiteral("grbReg") + number);
    auto* v = new QVBoxLayout(grb);

    auto* side = new QLabel(tr(t.side), grb);
    side->setObjectName(QStringLiteral("stc") + QString::fromLatin1(t.side));
    v->addWidget(side);

    auto* fieldRow = new QHBoxLayout;
    auto* field =
        new HexField(QString::fromLatin1(t.field), m_design.initial[static_cast<std::size_t>(n)], grb);
    field->setToolTip(tr(t.fieldHint));
    field->setDisplayOnly(n == 0);
    m_fields[static_cast<std::size_t>(n)] = field;
    fieldRow->addWidget(field);
    if (n > 0) {
        m_write[static_cast<std::size_t>(n)] =
            button(QStringLiteral("btnReg%1Write").arg(n), tr("Write"), tr(t.writeHint), grb);
        fieldRow->addWidget(m_write[static_cast<std::size_t>(n)]);
    } else {
        fieldRow->addStretch(1); // the Read buttons of all registers in one column
    }
    m_read[static_cast<std::size_t>(n)] =
        button(QStringLiteral("btnReg%1Read").arg(n), tr("Read"), tr(t.readHint), grb);
    fieldRow->addWidget(m_read[static_cast<std::size_t>(n)]);
    if (n > 0)
        fieldRow->addStretch(1);
    v->addLayout(fieldRow);

    QStringList names, labels;
    for (int b = m_design.bits - 1; b >= 0; --b) {
        names << QStringLiteral("chbReg%1%2").arg(n).arg(b);
        labels << QString::fromLatin1(t.letter) + QString::number(b);
    }
    const BitBoxRow::Style style{BitBoxRow::Look::CheckBox, tp::OneIs::Checked, m_design.boldCaptions};
    auto* bits = new BitColumn(QStringLiteral("pnlReg") + number, labels,
                               BitBoxRow::boxes(names, {t.one, t.zero}, tp::masksHighToLow(m_design.bits)),
                               style, grb);
    bits->panel()->setToolTip(tr(t.panelHint));
    if (n == 0) {
        bits->panel()->setEnabled(false);
        if (m_design.inputUndefined) {
            const QString undefined = tr("Undefined");
            bits->allowCaption(undefined);
            for (QAbstractButton* b : bits->row()->buttons()) {
                auto* box = static_cast<QCheckBox*>(b);
                box->setTristate(true);
                box->setCheckState(Qt::PartiallyChecked);
                box->setText(undefined);
            }
        }
    } else if (m_design.boxesBusyWhileUpdating) {
        bits->row()->setBusyWhileUpdating({bits->panel()});
    }
    bits->row()->bind(field);
    v->addWidget(bits);
    v->addStretch(1);
    return grb;
}

void RegisterPortWindow::applyPreset(const CatalogueEntry& entry)
{
    TChildForm::applyPreset(entry);
    if (m_design.chipFromEntry)
        m_entryChip = entry.caption.section(QLatin1Char(' '), 0, 0);
    setAddress(m_link.address());
}

void RegisterPortWindow::setAddress(std::uint8_t address)
{
    m_link.setChipType(m_entryChip.isEmpty() ? QString::fromStdString(m_design.addresses->chipTypeAt(address))
                                             : m_entryChip);
    m_link.setAddress(address);
}

void RegisterPortWindow::cmbAddressChange(int index)
{
    setAddress(m_design.addresses->address(index));
}

void RegisterPortWindow::readRegister(int n)
{
    const ClickGuard guard{m_read[static_cast<std::size_t>(n)]};
    m_link.readOne(reg(n));
}

void RegisterPortWindow::writeRegister(int n)
{
    const ClickGuard guard{m_write[static_cast<std::size_t>(n)]};
    m_link.writeOne(reg(n));
}

void RegisterPortWindow::fieldChange(int n)
{
    if (m_autoWrite->isOn())
        writeRegister(n);
}

void RegisterPortWindow::fieldExit(int n)
{
    m_fields[static_cast<std::size_t>(n)]->applyExit(tp::HexExit::LeadingZero);
}

void RegisterPortWindow::btnReadAllClick()
{
    const ClickGuard guard{btnReadAll, m_read[0], m_read[1], m_read[2], m_read[3]};
    m_link.readAll({reg(0), reg(1), reg(2), reg(3)}, m_design.disableAllWhileReading ? pnlAll : nullptr);
}

void RegisterPortWindow::btnWriteAllClick()
{
    const ClickGuard guard{btnWriteAll, m_write[1], m_write[2], m_write[3]};
    // The first failure ends it, and its status stays on show.
    m_link.writeAll({reg(1), reg(2), reg(3)}, true);
}
