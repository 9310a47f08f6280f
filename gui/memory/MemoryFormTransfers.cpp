#include "core/common/HexText.h"
#include "core/memory/MemoryBus.h"
#include "core/memory/ChipVerify.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/BusProgress.h"
#include "gui/common/ClickGuard.h"
#include "gui/memory/MemoryForm.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>


tp::MemoryDevice TMemoryForm::device() const
{
    tp::MemoryDevice d;
    d.size = m_image.size();
    d.address = static_cast<std::uint8_t>(tp::hexToInt(cmbAddress->currentText().toStdString()) & 0xFE);
    d.eeprom = isEeprom();
    if (isEeprom()) {
        d.pageSize = cmbPageSize->currentText().toUInt();
        d.writeTimeMs = static_cast<unsigned>(spnWriteTime->value());
    }
    return d;
}

void TMemoryForm::placeChips()
{
    const tp::MemoryDevice d = device();
    adapter().expectChip(d.chipType(), d.address);
}

tp::MemoryBusResult TMemoryForm::withProgress(
    const QString& label,
    const std::function<tp::MemoryBusResult(const std::function<bool(std::size_t, std::size_t)>&)>& job)
{
    ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify};
    // Only transfers that take a while show it. One piece of bus work: the
    // window waits, the program does not.
    return BusProgress::run<tp::MemoryBusResult>(this, label, m_progressDelayMs, job);
}

void TMemoryForm::reportOutcome(const tp::MemoryBusResult& result)
{
    if (result.outcome == tp::MemoryOutcome::Cancelled)
        main().showStatus(BusProgress::cancelledMessage(result.done, m_image.size()));
    else
        main().ErrorMessage(result.status);
}

void TMemoryForm::btnReadClick()
{
    tp::MemoryBus bus(adapter(), device());
    std::vector<std::uint8_t> data;
    tp::MemoryBusResult r = withProgress(QStringLiteral("Reading..."), [&](const auto& p) { return bus.readAll(data, p); });
    if (r.ok())
        DisplayData(1, data); // a failed or cancelled read leaves the grids as they were
    reportOutcome(r);
}

void TMemoryForm::btnWriteClick()
{
    // Every cell is read before the first byte goes out.
    const std::vector<std::uint8_t> data =
        m_image.values(isLarge() ? tp::CellRead::TrimBlanks : tp::CellRead::Exact);
    tp::MemoryBus bus(adapter(), device());
    tp::MemoryBusResult r = withProgress(QStringLiteral("Writing..."), [&](const auto& p) { return bus.writeAll(data, p); });
    reportOutcome(r);
}

void TMemoryForm::btnVerifyClick()
{
    tp::MemoryBus bus(adapter(), device());
    std::optional<tp::Notice> difference;
    tp::MemoryBusResult r = withProgress(QStringLiteral("Verifying..."), [&](const auto& p) {
        tp::ChipVerifyResult v = tp::verifyChip(bus, m_image, p);
        difference = v.notice;
        return v.bus;
    });
    show(difference);
    reportOutcome(r);
}

void TMemoryForm::btnReadOneClick()
{
    ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite};
    const std::size_t a = tp::hexToInt(lblWordAddress->text().toStdString()) % m_image.size();
    tp::MemoryBus bus(adapter(), device());
    std::uint8_t value = 0;
    tp::MemoryBusResult r = bus.readByte(a, value);
    if (r.ok())
        refresh(m_image.display(a, std::span<const std::uint8_t>(&value, 1)));
    reportOutcome(r);
}

void TMemoryForm::btnWriteOneClick()
{
    ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite};
    // The block-select bits of the slave address carry bits 10..8 of the
    // byte address, and an EEPROM is polled until its write cycle ends.
    const std::size_t a = tp::hexToInt(lblWordAddress->text().toStdString()) % m_image.size();
    const std::uint8_t value = m_image.value(a, isLarge() ? tp::CellRead::TrimBlanks : tp::CellRead::Exact);
    tp::MemoryBus bus(adapter(), device());
    reportOutcome(bus.writeByte(a, value));
}
