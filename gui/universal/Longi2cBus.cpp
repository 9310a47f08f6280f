// The user definable device's bus operations: one register, or all of
// them in one transfer or one transfer per register (Byte Mode).
#include "core/adapter/Adapter.h"
#include "core/common/HexText.h"
#include "core/universal/UserDevice.h"
#include "gui/app/TfrmMain.h"
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

void TfrmLongI2C::btnWriteClick()
{
    const ClickGuard guard{btnWrite, btnRead};
    stgMemory->finishEdit();
    checkDefinedValues();
    if (!addressCleared())
        return;
    const int count = m_device.registerCount();
    tp::Status st = Success;
    if (chbOneAtATime->isChecked()) {
        for (int i = 0; i < count && st == Success; ++i)
            st = m_link.writeRegister(static_cast<std::uint8_t>(i), {m_device.value(i)});
    } else {
        std::vector<std::uint8_t> data(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            data[static_cast<std::size_t>(i)] = m_device.value(i);
        // One transfer from register 0; an adapter with a smaller buffer
        // (SMBus block writes) gets pieces, each with its first register.
        const int chunk = static_cast<int>(
            std::min<std::size_t>(std::max<std::size_t>(2, adapter().maxTransferLength()) - 1, 256));
        adapter().expectChip(kChipType, m_link.address());
        for (int start = 0; start < count && st == Success; start += chunk) {
            const int n = std::min(chunk, count - start);
            st = main().I2CWriteArray(m_link.address(), static_cast<std::uint8_t>(start),
                                      static_cast<std::uint16_t>(n), data.data() + start);
        }
        context().status = st;
    }
    m_link.showStatus(st);
}

void TfrmLongI2C::btnReadClick()
{
    const ClickGuard guard{btnWrite, btnRead};
    stgMemory->finishEdit();
    if (!addressCleared())
        return;
    const int count = m_device.registerCount();
    // The grid takes the values only once all of them arrived: a read that
    // fails part way leaves it as it was.
    std::vector<std::uint8_t> values;
    values.reserve(static_cast<std::size_t>(count));
    tp::Status st = Success;
    if (chbOneAtATime->isChecked()) {
        for (int i = 0; i < count && st == Success; ++i) {
            std::vector<std::uint8_t> data;
            st = m_link.readRegister(static_cast<std::uint8_t>(i), 1, data);
            if (st == Success && data.size() == 1)
                values.push_back(data[0]);
        }
    } else {
        // One transfer, or as few as the adapter's buffer allows.
        const int chunk = static_cast<int>(
            std::max<std::size_t>(1, std::min<std::size_t>(adapter().maxTransferLength(), 256)));
        for (int start = 0; start < count && st == Success; start += chunk) {
            const int n = std::min(chunk, count - start);
            std::vector<std::uint8_t> data;
            st = m_link.readRegister(static_cast<std::uint8_t>(start), static_cast<std::size_t>(n), data);
            if (st == Success)
                values.insert(values.end(), data.begin(),
                              data.begin() + static_cast<std::ptrdiff_t>(std::min<std::size_t>(n, data.size())));
        }
    }
    if (st == Success && values.size() == static_cast<std::size_t>(count)) {
        for (int i = 0; i < count; ++i) {
            m_device.setValue(i, values[static_cast<std::size_t>(i)]);
            m_model->registerChanged(i);
        }
    }
    m_link.showStatus(st);
}
