#pragma once
#include "core/common/Status.h"
#include "gui/common/AutoWriteToggle.h"

#include <QList>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class HexField;
class QWidget;
class TChildForm;

// A window's way to one of its chips: the chip type, the slot of its
// address byte in the window class's bus context, and its Auto Write
// toggle. Every transfer first tells the adapter which chip type it
// expects at the address (the simulated bench puts one there), and keeps
// its status, and the data a read returned, in the bus context. Nothing
// goes to the general call address.
class ChipLink {
public:
    ChipLink(TChildForm& form, const QString& chipType, int chip = 0);
    ChipLink(const ChipLink& other);
    ChipLink& operator=(const ChipLink&) = delete;
    ~ChipLink();
    // The adapter places the chip now, as it would at the first transfer.
    void placeChip() { expect(); }

    const QString& chipType() const { return m_type; }
    // For a window whose address list spans several chip types.
    void setChipType(const QString& type) { m_type = type; }
    std::uint8_t address() const;
    void setAddress(std::uint8_t address);

    // Transfers; none of them shows its status.
    tp::Status write(std::vector<std::uint8_t> bytes);                      // no register number
    tp::Status read(std::size_t count, std::vector<std::uint8_t>& out);     // no register number
    tp::Status writeRegister(std::uint8_t reg, std::vector<std::uint8_t> values);
    // Register pointer, then the read behind a repeated start.
    tp::Status readRegister(std::uint8_t reg, std::size_t count, std::vector<std::uint8_t>& out);
    // After a non-volatile write: acknowledge polling until the chip's
    // write cycle is over, for at most `limitUs`; returns the last poll's
    // status, TimeOut when the limit ran out. Call it only after a write
    // that succeeded.
    tp::Status awaitWriteCycle(std::uint64_t limitUs, std::uint64_t intervalUs);
    // The status line shows the code.
    void showStatus(tp::Status status) const;
    // The status line says why a write was not sent, or was sent and not
    // taken by the chip: never a success for it.
    void showRefusal(const QString& why) const;

    void setAutoWrite(AutoWriteToggle* toggle) { m_autoWrite = toggle; }
    AutoWriteToggle* autoWrite() const { return m_autoWrite; }
    bool autoWriteOn() const;

    // A register as the window shows it: its number (kNoRegister for chips
    // written and read without one) and its hex field, or for a register the
    // chip reports, its display (bit boxes bound to it follow it).
    static constexpr int kNoRegister = -1;
    struct Register {
        int number = kNoRegister;
        HexField* field = nullptr;
    };

    // Reads the register; with status 0 its field shows the value (Auto
    // Write suspended meanwhile, so nothing is written back); then the status.
    tp::Status readOne(const Register& r);
    // Writes the field's value to the register and shows the status.
    tp::Status writeOne(const Register& r);
    // Reads in the order given, each only while the reads before returned
    // 0, with Auto Write off meanwhile (and `busy` disabled); shows the
    // status of the last read performed.
    tp::Status readAll(const QList<Register>& registers, QWidget* busy = nullptr);
    // Every field read before the first write: a field that holds no hex
    // number stops it there, with the status line naming that field, and
    // nothing is written. Empty on such a field.
    std::optional<std::vector<std::uint8_t>> fieldValues(const QList<HexField*>& fields) const;
    // Writes in the order given (refused whole when a field holds no
    // number, see fieldValues); with `stopAtFailure` each only while the
    // writes before returned 0. Shows the status of the last write.
    tp::Status writeAll(const QList<Register>& registers, bool stopAtFailure);
    // Auto Write: each completed change of the field writes the register
    // while the toggle is on.
    void writeOnChange(const Register& r);

private:
    tp::Status readValue(const Register& r, std::uint8_t& value);
    tp::Status writeValue(const Register& r, std::uint8_t value);
    // Tells the adapter the chip type; false (and the status Refused) for
    // the general call address, which nothing here sends to.
    bool expect();

    TChildForm& m_form;
    QString m_type;
    std::size_t m_chip;
    QPointer<AutoWriteToggle> m_autoWrite;
};
