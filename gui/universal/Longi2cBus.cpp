// The user definable device's bus operations: one register, or all of
// them in one transfer or one transfer per register (Byte Mode).
#include "core/adapter/Adapter.h"
#include "core/common/HexText.h"
#include "core/universal/UserDevice.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/BusProgress.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Dialogs.h"
#include "gui/universal/Longi2c.h"
#include "gui/universal/RegisterGridModel.h"
#include "gui/universal/RegisterGridView.h"

#include <QCheckBox>
#include <QPushButton>

#include <algorithm>

using tp::status::Success;

tp::Status TfrmLongI2C::writeRegister(int reg)
{
    if (!addressCleared())
        return tp::status::Refused;
    const std::uint8_t v = m_device.value(reg);
    const tp::Status st = m_link.writeRegister(static_cast<std::uint8_t>(reg), {v});
    m_link.showStatus(st);
    return st;
}

tp::Status TfrmLongI2C::readRegister(int reg)
{
    if (!addressCleared())
        return tp::status::Refused;
    std::vector<std::uint8_t> data;
    const tp::Status st = m_link.readRegister(static_cast<std::uint8_t>(reg), 1, data);
    if (st == Success && !data.empty()) {
        m_device.setValue(reg, data[0]);
        m_model->registerChanged(reg);
    }
    return st;
}

void TfrmLongI2C::checkDefinedValues() const
{
    // A cell that is not hex stops the operation before any byte is sent.
    for (int i = 0; i <= m_device.maxRegister(); ++i)
        m_device.value(i);
}

void TfrmLongI2C::btnWriteOneClick()
{
    const ClickGuard guard{btnWriteOne};
    stgMemory->finishEdit();
    const int reg = currentRegister();
    if (!m_device.isDefined(reg)) {
        // The cell holds no value: writing the one selected before would be wrong.
        Dialogs::instance().information(this, QStringLiteral("Tallyport"),
                                        QString::fromLatin1(tp::userdev::kInvalidSelection));
        return;
    }
    writeRegister(reg);
}

void TfrmLongI2C::btnReadOneClick()
{
    const ClickGuard guard{btnReadOne};
    stgMemory->finishEdit();
    const int reg = currentRegister();
    if (!m_device.isDefined(reg)) {
        Dialogs::instance().information(this, QStringLiteral("Tallyport"),
                                        QString::fromLatin1(tp::userdev::kInvalidSelection));
        return;
    }
    m_link.showStatus(readRegister(reg));
}

void TfrmLongI2C::reportAll(tp::Status st, bool cancelled, std::size_t done, std::size_t total)
{
    context().status = st;
    if (cancelled)
        main().showStatus(BusProgress::cancelledMessage(done, total));
    else
        m_link.showStatus(st);
}

void TfrmLongI2C::btnWriteClick()
{
    const ClickGuard guard{btnWrite, btnRead, btnWriteOne, btnReadOne};
    stgMemory->finishEdit();
    checkDefinedValues();
    if (!addressCleared())
        return;
    const std::size_t count = static_cast<std::size_t>(m_device.registerCount());
    std::vector<std::uint8_t> data(count);
    for (std::size_t i = 0; i < count; ++i)
        data[i] = m_device.value(static_cast<int>(i));
    const std::uint8_t address = m_link.address();
    tp::Adapter& a = adapter();
    // One transfer per register, or one from register 0; an adapter with a
    // smaller buffer (SMBus block writes) gets pieces, each with its first register.
    const std::size_t chunk = chbOneAtATime->isChecked()
                                  ? 1
                                  : std::min<std::size_t>(std::max<std::size_t>(2, a.maxTransferLength()) - 1, 256);
    bool cancelled = false;
    std::size_t done = 0;
    const tp::Status st =
        BusProgress::run<tp::Status>(this, QStringLiteral("Writing..."), m_progressDelayMs, [&](const auto& progress) {
            a.expectChip(kChipType, address);
            tp::Status s = Success;
            for (; done < count && s == Success; done += chunk) {
                if (!progress(done, count)) {
                    cancelled = true; // between transfers: a register block goes whole or not at all
                    break;
                }
                const std::size_t n = std::min(chunk, count - done);
                std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(done)};
                bytes.insert(bytes.end(), data.begin() + static_cast<std::ptrdiff_t>(done),
                             data.begin() + static_cast<std::ptrdiff_t>(done + n));
                s = a.write(address, std::move(bytes));
            }
            return s;
        });
    reportAll(st, cancelled, std::min(done, count), count);
}

void TfrmLongI2C::btnReadClick()
{
    const ClickGuard guard{btnWrite, btnRead, btnWriteOne, btnReadOne};
    stgMemory->finishEdit();
    if (!addressCleared())
        return;
    const std::size_t count = static_cast<std::size_t>(m_device.registerCount());
    const std::uint8_t address = m_link.address();
    tp::Adapter& a = adapter();
    // One transfer, or as few as the adapter's buffer allows.
    const std::size_t chunk =
        chbOneAtATime->isChecked() ? 1 : std::max<std::size_t>(1, std::min<std::size_t>(a.maxTransferLength(), 256));
    // The grid takes the values only once all of them arrived: a read that
    // fails or is cancelled part way leaves it as it was.
    std::vector<std::uint8_t> values;
    values.reserve(count);
    bool cancelled = false;
    const tp::Status st =
        BusProgress::run<tp::Status>(this, QStringLiteral("Reading..."), m_progressDelayMs, [&](const auto& progress) {
            a.expectChip(kChipType, address);
            tp::Status s = Success;
            while (values.size() < count && s == Success) {
                if (!progress(values.size(), count)) {
                    cancelled = true;
                    break;
                }
                const std::size_t n = std::min(chunk, count - values.size());
                std::vector<std::uint8_t> data;
                s = a.writeRead(address, {static_cast<std::uint8_t>(values.size())}, n, data);
                if (s == Success) // a short answer: the next read starts where it stopped
                    values.insert(values.end(), data.begin(),
                                  data.begin() + static_cast<std::ptrdiff_t>(std::min(n, data.size())));
                if (s == Success && data.empty())
                    break; // nothing more will come; the grid stays as it was
            }
            return s;
        });
    if (st == Success && !cancelled && values.size() == count) {
        for (std::size_t i = 0; i < count; ++i) {
            m_device.setValue(static_cast<int>(i), values[i]);
            m_model->registerChanged(static_cast<int>(i));
        }
        auto& ctx = context().data;
        std::copy_n(values.begin(), std::min(values.size(), ctx.size()), ctx.begin());
    }
    reportAll(st, cancelled, values.size(), count);
}
