#include "gui/common/ChipLink.h"
#include "core/adapter/AckPolling.h"
#include "core/adapter/Adapter.h"
#include "core/common/BusAddress.h"
#include "core/common/Errors.h"
#include "core/adapter/BusWorker.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/ChildForm.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"

#include <QGroupBox>
#include <QLabel>
#include <QWidget>

ChipLink::ChipLink(TChildForm& form, const QString& chipType, int chip)
    : m_form(form), m_type(chipType), m_chip(static_cast<std::size_t>(chip))
{
    m_form.addChipLink(this);
}

ChipLink::ChipLink(const ChipLink& other)
    : m_form(other.m_form), m_type(other.m_type), m_chip(other.m_chip), m_autoWrite(other.m_autoWrite)
{
    m_form.addChipLink(this);
}

ChipLink::~ChipLink()
{
    m_form.removeChipLink(this);
}

std::uint8_t ChipLink::address() const
{
    return m_form.context().address[m_chip];
}

void ChipLink::setAddress(std::uint8_t address)
{
    m_form.context().address[m_chip] = address;
}

bool ChipLink::expect()
{
    // Whatever address a window was given, no chip window reaches them all.
    if (tp::isGeneralCall(address())) {
        m_form.context().status = m_form.adapter().decline(tp::generalCallRefusal(address()));
        return false;
    }
    tp::Adapter& a = m_form.adapter();
    const std::string type = m_type.toStdString();
    const std::uint8_t at = address();
    tp::onBus([&] { a.expectChip(type, at); });
    return true;
}

tp::Status ChipLink::write(std::vector<std::uint8_t> bytes)
{
    if (!expect())
        return tp::status::Refused;
    return m_form.context().status = m_form.adapter().write(address(), std::move(bytes));
}

tp::Status ChipLink::read(std::size_t count, std::vector<std::uint8_t>& out)
{
    if (!expect())
        return tp::status::Refused;
    tp::BusContext& ctx = m_form.context();
    ctx.status = m_form.adapter().read(address(), count, out);
    if (ctx.status == tp::status::Success)
        for (std::size_t i = 0; i < out.size() && i < ctx.data.size(); ++i)
            ctx.data[i] = out[i];
    return ctx.status;
}

tp::Status ChipLink::writeRegister(std::uint8_t reg, std::vector<std::uint8_t> values)
{
    values.insert(values.begin(), reg);
    return write(std::move(values));
}

tp::Status ChipLink::readRegister(std::uint8_t reg, std::size_t count, std::vector<std::uint8_t>& out)
{
    if (!expect())
        return tp::status::Refused;
    tp::BusContext& ctx = m_form.context();
    ctx.status = m_form.adapter().writeRead(address(), {reg}, count, out);
    if (ctx.status == tp::status::Success)
        for (std::size_t i = 0; i < out.size() && i < ctx.data.size(); ++i)
            ctx.data[i] = out[i];
    return ctx.status;
}

tp::Status ChipLink::awaitWriteCycle(std::uint64_t limitUs, std::uint64_t intervalUs)
{
    if (!expect())
        return tp::status::Refused;
    tp::Adapter& a = m_form.adapter();
    const std::uint8_t at = address();
    tp::Status st = 0;
    tp::onBus([&] { st = tp::awaitAcknowledge(a, at, limitUs, intervalUs); });
    return m_form.context().status = st;
}

void ChipLink::showStatus(tp::Status status) const
{
    m_form.main().ErrorMessage(status);
}

void ChipLink::showRefusal(const QString& why) const
{
    m_form.main().showStatus(tp::StatusMessage{(QStringLiteral(" ") + why).toStdString(), tp::colour::Red,
                                               std::nullopt, tp::colour::White, tp::Align::Left, false});
}

bool ChipLink::autoWriteOn() const
{
    return m_autoWrite && m_autoWrite->isOn();
}

tp::Status ChipLink::readValue(const Register& r, std::uint8_t& value)
{
    std::vector<std::uint8_t> data;
    const tp::Status st = r.number == kNoRegister ? read(1, data)
                                                  : readRegister(static_cast<std::uint8_t>(r.number), 1, data);
    if (st == tp::status::Success && !data.empty())
        value = data[0];
    return st;
}

tp::Status ChipLink::writeValue(const Register& r, std::uint8_t value)
{
    return r.number == kNoRegister ? write({value}) : writeRegister(static_cast<std::uint8_t>(r.number), {value});
}

tp::Status ChipLink::readOne(const Register& r)
{
    // Showing the value read must not write it back.
    const AutoWriteToggle::Suspension quiet(m_autoWrite);
    std::uint8_t v = 0;
    const tp::Status st = readValue(r, v);
    if (st == tp::status::Success)
        r.field->setValue(v);
    showStatus(st);
    return st;
}

tp::Status ChipLink::writeOne(const Register& r)
{
    const tp::Status st = writeValue(r, r.field->value());
    showStatus(st);
    return st;
}

tp::Status ChipLink::readAll(const QList<Register>& registers, QWidget* busy)
{
    const AutoWriteToggle::Suspension suspended(m_autoWrite);
    const QPointer<QWidget> container(busy);
    if (container)
        container->setEnabled(false);
    struct Enable {
        const QPointer<QWidget>& c;
        ~Enable()
        {
            if (c)
                c->setEnabled(true);
        }
    } enable{container};

    tp::Status st = tp::status::Success;
    for (const Register& r : registers) {
        std::uint8_t v = 0;
        st = readValue(r, v);
        if (st != tp::status::Success)
            break;
        r.field->setValue(v);
    }
    showStatus(st);
    return st;
}

namespace {
// What the user calls the field: the group it stands in and the label
// beside it, else its name.
QString fieldCaption(const HexField* field)
{
    QString group;
    for (const QWidget* w = field->parentWidget(); w && group.isEmpty(); w = w->parentWidget())
        if (auto* g = qobject_cast<const QGroupBox*>(w))
            group = QString(g->title()).remove(QLatin1Char('&')).simplified();
    QString own;
    if (field->parentWidget())
        for (const QLabel* l : field->parentWidget()->findChildren<QLabel*>())
            if (l->buddy() == field)
                own = QString(l->text()).remove(QLatin1Char('&')).simplified();
    const QString both = QStringList{group, own}.join(QLatin1Char(' ')).trimmed();
    return both.isEmpty() ? field->objectName() : both;
}
} // namespace

std::optional<std::vector<std::uint8_t>> ChipLink::fieldValues(const QList<HexField*>& fields) const
{
    std::vector<std::uint8_t> values;
    for (HexField* f : fields) {
        try {
            values.push_back(f->value());
        } catch (const tp::InvalidNumber&) {
            auto m = *tp::statusMessage(tp::status::Refused);
            m.text = QStringLiteral(" Nothing written: %1 holds \"%2\", which is no hex number")
                         .arg(fieldCaption(f), f->text())
                         .toStdString();
            m_form.main().showStatus(m);
            f->setFocus();
            return std::nullopt;
        }
    }
    return values;
}

tp::Status ChipLink::writeAll(const QList<Register>& registers, bool stopAtFailure)
{
    QList<HexField*> fields;
    for (const Register& r : registers)
        fields.append(r.field);
    const auto values = fieldValues(fields);
    if (!values)
        return tp::status::Refused;
    tp::Status st = tp::status::Success;
    for (qsizetype i = 0; i < registers.size(); ++i) {
        st = writeValue(registers[i], (*values)[std::size_t(i)]);
        if (st != tp::status::Success && stopAtFailure)
            break;
    }
    showStatus(st);
    return st;
}

void ChipLink::writeOnChange(const Register& r)
{
    QObject::connect(r.field, &HexField::completed, &m_form, guarded([this, r] {
                         if (autoWriteOn())
                             writeOne(r);
                     }));
}
