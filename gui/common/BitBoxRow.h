#pragma once
#include "core/common/BitBoxes.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>

class QAbstractButton;
class QWidget;
#include "gui/common/HexField.h"

// One two-state control per register bit, each carrying its mask. The
// boxes go into `container` (into its layout, or a new row layout); put
// input bits into a disabled container so they only show. Bound to a hex
// field the row follows every completed change of the field, and a click
// on a box ORs its mask into the field's value (box now in its 1 state) or
// clears it, and writes the result back as two digits, which refreshes the
// other boxes and runs the field's change handling (Auto Write).
class BitBoxRow : public QObject {
    Q_OBJECT
public:
    enum class Look { CheckBox, Led };

    struct Box {
        QString name;
        std::uint8_t mask;
        tp::BitCaption caption;
    };

    struct Style {
        Look look = Look::CheckBox;
        tp::OneIs one = tp::OneIs::Checked;
        bool bold = false;
        Qt::Orientation orientation = Qt::Horizontal;
    };

    BitBoxRow(QWidget* container, const QList<Box>& boxes, const Style& style);
    BitBoxRow(QWidget* container, const QList<Box>& boxes) : BitBoxRow(container, boxes, Style{}) {}

    // Boxes named names[i] with masks 128, 64, ... (or `masks`), one caption pair for all.
    static QList<Box> boxes(const QStringList& names, const tp::BitCaption& caption,
                            const std::vector<std::uint8_t>& masks = tp::masksHighToLow(8));
    // Boxes with fixed captions, one per box.
    static QList<Box> fixedBoxes(const QStringList& names, const QStringList& captions,
                                 const std::vector<std::uint8_t>& masks = tp::masksHighToLow(8));

    void bind(HexField* field);
    HexField* field() const { return m_field; }
    // Containers disabled while a click updates the field, so that no second
    // click lands in between.
    void setBusyWhileUpdating(const QList<QWidget*>& containers);

    // Bits the chip sets itself and ignores when written: their boxes show
    // the bit but take no click, key or focus, and `why` says so.
    void setIndicators(std::uint8_t masks, const QString& why);

    // Boxes and captions from v, without running any click handling.
    void setValue(std::uint8_t v);
    // The value the boxes show (bits without a box are 0).
    std::uint8_t shownValue() const;

    int count() const { return m_buttons.size(); }
    QAbstractButton* button(int i) const { return m_buttons.at(i); }
    QAbstractButton* buttonForMask(std::uint8_t mask) const;
    std::uint8_t mask(int i) const { return m_boxes.at(i).mask; }
    const QList<QAbstractButton*>& buttons() const { return m_buttons; }

signals:
    // A click by the user; for a bound row, after the field took the new value.
    void bitClicked(quint8 mask, bool bit);

private:
    void boxClicked(int index);
    void showBox(int index, bool bit);

    QList<Box> m_boxes;
    Style m_style;
    QList<QAbstractButton*> m_buttons;
    QPointer<HexField> m_field;
    QList<QPointer<QWidget>> m_busy;
};
