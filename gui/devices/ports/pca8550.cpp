#include "gui/devices/ports/pca8550.h"
#include "core/common/HexText.h"
#include "core/devices/ports/NvRegisters.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/ScrollingContent.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/KeyFilter.h"
#include "gui/common/LedDisplay.h"
#include "gui/common/LedToggle.h"
#include "gui/common/RichTextButton.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tp::nvreg;

namespace {

QLabel* label(const QString& text, QWidget* parent)
{
    return new QLabel(text, parent);
}

QPushButton* button(const QString& name, const QString& text, const QString& hint, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

} // namespace

TfrmPCA8550::TfrmPCA8550(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPCA8550"), parent),
      m_link{ChipLink(*this, kPca8550, PCA8550), ChipLink(*this, kPca9559, PCA9559),
             ChipLink(*this, kPca9561, PCA9561), ChipLink(*this, kPca9560, PCA9560)}
{
    setWindowTitle(tr("PCA8550 / PCA9559 / PCA9560 / PCA9561 Non-volatile Registers"));
    new HexKeyFilter(this);
    // Each new window starts from the chips' first addresses.
    m_link[PCA8550].setAddress(kPca8550Address);
    for (Chip c : {PCA9559, PCA9561, PCA9560})
        m_link[c].setAddress(addressOfItem(0));

    FlowLayout* top = addFlowingContent(this);
    top->addWidget(buildDataChip(PCA8550));
    top->addWidget(buildDataChip(PCA9559));
    top->addWidget(buildEepromChip(PCA9561));
    top->addWidget(buildEepromChip(PCA9560));

    connect(m_dataBits[PCA8550], &BitBoxRow::bitClicked, this, guarded([this] { chb8550DataClick(); }));
    connect(m_dataBits[PCA9559], &BitBoxRow::bitClicked, this, guarded([this] { chbPCA9559Click(); }));
    for (int tag : {0, 1}) {
        connect(m_dataWrite[tag], &QPushButton::clicked, this, guarded([this, tag] { btnPCA8550WriteClick(tag); }));
        connect(m_dataRead[tag], &QPushButton::clicked, this, guarded([this, tag] { btn8550ReadClick(tag); }));
    }
    for (Chip c : {PCA9559, PCA9561, PCA9560})
        connect(m_address[c], &QComboBox::currentIndexChanged, this,
                guarded([this, c](int index) { cmbAddressChange(c, index); }));
    for (Chip c : {PCA9561, PCA9560}) {
        for (int n = 0; n < m_eeprom[c].size(); ++n) {
            connect(m_eeWrite[c][n], &QPushButton::clicked, this, guarded([this, c, n] { btnWriteEEClick(c, n); }));
            connect(m_eeRead[c][n], &QPushButton::clicked, this, guarded([this, c, n] { btnReadEEClick(c, n); }));
        }
        connect(m_writeAll[c], &QPushButton::clicked, this, guarded([this, c] { btnWriteAllClick(c); }));
        connect(m_readAll[c], &QPushButton::clicked, this, guarded([this, c] { btnReadAllClick(c); }));
        connect(m_muxRead[c], &QPushButton::clicked, this, guarded([this, c] { btnMuxInClick(c); }));
    }
    connect(m_sourceWrite[PCA9561], &QPushButton::clicked, this, guarded(this, &TfrmPCA8550::btnPCA9561WriteClick));
}

QGroupBox* TfrmPCA8550::buildDataChip(Chip chip)
{
    const bool is8550 = chip == PCA8550;
    const QString name = is8550 ? QStringLiteral("PCA8550") : QStringLiteral("PCA9559");
    auto* grb = new QGroupBox(name, this);
    grb->setObjectName(QStringLiteral("grb") + name);
    auto* grid = new QGridLayout(grb);

    grid->addWidget(label(tr("Device Address"), grb), 0, 0);
    if (is8550) {
        auto* address = new HexField(QStringLiteral("edtPCA8550Address"), QStringLiteral("9C"), grb);
        address->setDisplayOnly(true);
        grid->addWidget(address, 0, 1, Qt::AlignLeft);
    } else {
        m_address[chip] = new QComboBox(grb);
        m_address[chip]->setObjectName(QStringLiteral("cmbPCA9559Address"));
        m_address[chip]->setToolTip(tr(" I\u00B2C Address"));
        for (const std::string& item : addressItems())
            m_address[chip]->addItem(QString::fromStdString(item));
        grid->addWidget(m_address[chip], 0, 1, Qt::AlignLeft);
    }
    grid->addWidget(label(tr("Data Byte"), grb), 1, 0);
    m_data[chip] = new HexField(is8550 ? QStringLiteral("edt8550Data") : QStringLiteral("edt9559Data"),
                                QStringLiteral("00"), grb);
    showAsLedDisplay(m_data[chip]);
    grid->addWidget(m_data[chip], 1, 1, Qt::AlignLeft);

    auto* pnl = new QWidget(grb);
    pnl->setObjectName(is8550 ? QStringLiteral("pnl8550Data") : QStringLiteral("pnl9559Data"));
    QStringList names, captions;
    std::vector<std::uint8_t> masks;
    const int muxed = is8550 ? 4 : 5;
    for (int b = 0; b < muxed; ++b) {
        const QChar letter(QLatin1Char(char('A' + b)));
        names.append(is8550 ? QStringLiteral("chbMuxData") + letter : QStringLiteral("chbPCA9559_") + letter);
        captions.append(tr("Mux Data %1").arg(letter));
        masks.push_back(static_cast<std::uint8_t>(1u << b));
    }
    names.append(is8550 ? QStringLiteral("chbLatchA") : QStringLiteral("chbPCA9559_F"));
    captions.append(tr("Non-muxed data"));
    masks.push_back(static_cast<std::uint8_t>(1u << muxed));
    m_dataBits[chip] = new BitBoxRow(pnl, BitBoxRow::fixedBoxes(names, captions, masks),
                                     {BitBoxRow::Look::CheckBox, tp::OneIs::Checked, false, Qt::Vertical});
    m_dataBits[chip]->bind(m_data[chip]);
    m_dataBits[chip]->setBusyWhileUpdating({pnl});
    grid->addWidget(pnl, 2, 0, 1, 2);

    auto* buttons = new QHBoxLayout;
    m_dataWrite[chip] = button(is8550 ? QStringLiteral("btnPCA8550Write") : QStringLiteral("btnPCA9559Write"),
                               tr("Write"), tr(" Write the data byte to the %1").arg(name), grb);
    m_dataRead[chip] = button(is8550 ? QStringLiteral("btn8550Read") : QStringLiteral("btn9559Read"), tr("Read"),
                              tr(" Read the data byte from the %1").arg(name), grb);
    buttons->addWidget(m_dataWrite[chip]);
    buttons->addWidget(m_dataRead[chip]);
    grid->addLayout(buttons, 3, 0, 1, 2);

    auto* chbAuto =
        new LedToggle(is8550 ? QStringLiteral("chb8550AutoWrite") : QStringLiteral("chb9559AutoWrite"), QString(), grb);
    m_autoWrite[chip] = new AutoWriteToggle(chbAuto);
    m_link[chip].setAutoWrite(m_autoWrite[chip]);
    grid->addWidget(chbAuto, 4, 0, 1, 2);
    grid->setColumnStretch(2, 1);
    return grb;
}

QGroupBox* TfrmPCA8550::buildEepromChip(Chip chip)
{
    const bool is9561 = chip == PCA9561;
    const QString name = is9561 ? QStringLiteral("PCA9561") : QStringLiteral("PCA9560");
    const int bytes = is9561 ? kPca9561Bytes : kPca9560Bytes;
    auto* grb = new QGroupBox(name, this);
    grb->setObjectName(QStringLiteral("grb") + name);
    auto* grid = new QGridLayout(grb);

    grid->addWidget(label(tr("Device Address"), grb), 0, 0);
    m_address[chip] = new QComboBox(grb);
    m_address[chip]->setObjectName(QStringLiteral("cmb") + name + QStringLiteral("Address"));
    m_address[chip]->setToolTip(tr(" I\u00B2C Address"));
    for (const std::string& item : addressItems())
        m_address[chip]->addItem(QString::fromStdString(item));
    grid->addWidget(m_address[chip], 0, 1, 1, 2, Qt::AlignLeft);

    int row = 1;
    for (int n = 0; n < bytes; ++n, ++row) {
        QLabel* caption = label(tr("EEPROM Byte %1").arg(n), grb);
        grid->addWidget(caption, row, 0);
        auto* field = new HexField(is9561 ? QStringLiteral("edtEE%1").arg(n) : QStringLiteral("edt9560EE%1").arg(n),
                                   QStringLiteral("FF"), grb);
        caption->setBuddy(field); // names the field in messages
        m_eeprom[chip].append(field);
        grid->addWidget(field, row, 1, Qt::AlignLeft);
        QPushButton* write = nullptr;
        QPushButton* read = nullptr;
        if (is9561) {
            write = button(QStringLiteral("btnEEPROM%1").arg(n), tr("Write EE%1").arg(n),
                           tr("Write EEPROM Byte %1").arg(n), grb);
            read = button(QStringLiteral("btnReadEEPROM%1").arg(n), tr("Read EE%1").arg(n), QString(), grb);
        } else {
            write = new RichTextButton(QStringLiteral("btn9560WEE%1").arg(n), tr("Write EE%1").arg(n),
                                       tr("<b>Write <span style=\"color:#0000FF\">EE%1</span></b>").arg(n), grb);
            read = button(QStringLiteral("btn9560REE%1").arg(n), tr("Read EE%1").arg(n), QString(), grb);
        }
        m_eeWrite[chip].append(write);
        m_eeRead[chip].append(read);
        grid->addWidget(write, row, 2);
        grid->addWidget(read, row, 3);
    }

    const QString count = is9561 ? tr("Four") : tr("Two");
    m_writeAll[chip] = button(is9561 ? QStringLiteral("btnEEPROMall") : QStringLiteral("btnWritePCA9560"),
                              tr("Write All"), tr("%1 EEPROM bytes written sequentially").arg(count), grb);
    m_readAll[chip] = button(is9561 ? QStringLiteral("btnReadEEPROM") : QStringLiteral("btnReadPCA9560"),
                             tr("Read All"), tr("%1 EEPROM bytes read sequentially").arg(count), grb);
    grid->addWidget(m_writeAll[chip], row, 2);
    grid->addWidget(m_readAll[chip], row, 3);
    ++row;

    grid->addWidget(label(tr("Mux In"), grb), row, 0);
    m_muxIn[chip] = new HexField(is9561 ? QStringLiteral("edtMuxIn") : QStringLiteral("edtPCA9560"), QStringLiteral("00"),
                                 grb);
    showAsLedDisplay(m_muxIn[chip]);
    grid->addWidget(m_muxIn[chip], row, 1, Qt::AlignLeft);
    m_muxRead[chip] = button(is9561 ? QStringLiteral("btnMuxIn") : QStringLiteral("btnPCA9560Mux"), tr("Read Mux"),
                             tr("Read Mux In Value"), grb);
    grid->addWidget(m_muxRead[chip], row, 2);
    ++row;

    m_source[chip] = new QComboBox(grb);
    m_source[chip]->setObjectName(is9561 ? QStringLiteral("cmbSpecial") : QStringLiteral("cmbPCa9560Special"));
    if (is9561) {
        for (const Source& s : pca9561Sources())
            m_source[chip]->addItem(QString::fromLatin1(s.text));
    } else {
        for (const std::string& s : pca9560Sources())
            m_source[chip]->addItem(QString::fromStdString(s));
    }
    m_source[chip]->setCurrentIndex(0);
    m_sourceWrite[chip] = button(is9561 ? QStringLiteral("btnPCA9561Write") : QStringLiteral("btnPCA9560Write"),
                                 tr("Write"), tr(" Write the data byte to the %1").arg(name), grb);
    if (is9561) {
        grid->addWidget(m_source[chip], row, 0, 1, 4, Qt::AlignLeft);
        ++row;
        grid->addWidget(label(tr("is sourced to MUX_OUT"), grb), row, 0, 1, 2);
    } else {
        grid->addWidget(m_source[chip], row, 0, 1, 3, Qt::AlignLeft);
    }
    grid->addWidget(m_sourceWrite[chip], row, 3);
    if (!is9561) {
        // The PCA9560's datasheet command bytes for these choices could not be
        // confirmed; the window sends no bytes it cannot vouch for.
        const QString why = tr("Not available: the PCA9560's command bytes for the output source "
                               "are not confirmed, so nothing is sent");
        m_sourceWrite[chip]->setEnabled(false);
        m_sourceWrite[chip]->setToolTip(why);
        // The choices stay readable; only the write is withheld.
        m_source[chip]->setToolTip(why);
    }
    grid->setColumnStretch(4, 1);
    return grb;
}

tp::Status TfrmPCA8550::writeData(Chip chip)
{
    // No byte number: the data byte is all there is.
    ChipLink& link = m_link[chip];
    tp::Status st = link.write({m_data[chip]->value()});
    if (st == tp::status::Success)
        st = link.awaitWriteCycle(kWriteCycleLimitUs, kPollIntervalUs);
    return st;
}

void TfrmPCA8550::dataAutoWrite(Chip chip)
{
    if (m_autoWrite[chip]->isOn())
        m_link[chip].showStatus(writeData(chip));
}

void TfrmPCA8550::chb8550DataClick()
{
    dataAutoWrite(PCA8550);
}

void TfrmPCA8550::chbPCA9559Click()
{
    dataAutoWrite(PCA9559);
}

void TfrmPCA8550::btnPCA8550WriteClick(int tag)
{
    const Chip chip = tag == 0 ? PCA8550 : PCA9559;
    const ClickGuard guard{m_dataWrite[chip]};
    m_link[chip].showStatus(writeData(chip));
}

void TfrmPCA8550::btn8550ReadClick(int tag)
{
    // The display and its boxes show the byte read, and the next click builds on it.
    const Chip chip = tag == 0 ? PCA8550 : PCA9559;
    const ClickGuard guard{m_dataRead[chip]};
    m_link[chip].readOne({ChipLink::kNoRegister, m_data[chip]});
}

void TfrmPCA8550::cmbAddressChange(int tag, int index)
{
    m_link[tag].setAddress(addressOfItem(index));
}

tp::Status TfrmPCA8550::writeEeprom(Chip chip, int number, std::uint8_t value)
{
    ChipLink& link = m_link[chip];
    tp::Status st = link.writeRegister(static_cast<std::uint8_t>(number), {value});
    if (st == tp::status::Success)
        st = link.awaitWriteCycle(kWriteCycleLimitUs, kPollIntervalUs);
    return st;
}

void TfrmPCA8550::btnWriteEEClick(int chip, int number)
{
    const ClickGuard guard{m_eeWrite[chip][number]};
    const std::uint8_t value = m_eeprom[chip][number]->value(); // an empty field stops here
    m_link[chip].showStatus(writeEeprom(Chip(chip), number, value));
}

void TfrmPCA8550::btnReadEEClick(int chip, int number)
{
    const ClickGuard guard{m_eeRead[chip][number]};
    m_link[chip].readOne({number, m_eeprom[chip][number]});
}

void TfrmPCA8550::btnWriteAllClick(int chip)
{
    const ClickGuard guard{m_writeAll[chip]};
    const auto values = m_link[chip].fieldValues(m_eeprom[chip]);
    if (!values)
        return;
    tp::Status st = tp::status::Success;
    for (std::size_t n = 0; n < values->size() && st == tp::status::Success; ++n)
        st = writeEeprom(Chip(chip), int(n), (*values)[n]);
    m_link[chip].showStatus(st);
}

void TfrmPCA8550::btnReadAllClick(int chip)
{
    const ClickGuard guard{m_readAll[chip]};
    QList<ChipLink::Register> regs;
    for (int n = 0; n < m_eeprom[chip].size(); ++n)
        regs.append({n, m_eeprom[chip][n]});
    m_link[chip].readAll(regs);
}

void TfrmPCA8550::btnMuxInClick(int chip)
{
    const ClickGuard guard{m_muxRead[chip]};
    m_link[chip].readOne({kMuxInNumber, m_muxIn[chip]});
}

void TfrmPCA8550::btnPCA9561WriteClick()
{
    const int item = m_source[PCA9561]->currentIndex();
    const std::uint8_t command = pca9561Sources().at(std::size_t(item < 0 ? 0 : item)).command;
    m_link[PCA9561].showStatus(m_link[PCA9561].write({command}));
}
