#pragma once
#include "core/common/FlagBits.h"
#include "core/common/Status.h"

#include <QList>
#include <QObject>

#include <cstdint>
#include <optional>

class QCheckBox;
class QWidget;

// A check box per flag of a register, each captioned with what the flag
// means in its state ("ADC busy" / "ADC not busy"). Text colour: red for a
// set flag and green for a clear one, or one colour for all. Put flags the
// chip reports into a disabled container so they only show.
class FlagBoxes : public QObject {
    Q_OBJECT
public:
    struct Style {
        bool redGreen = true;
        std::optional<tp::Rgb> colour; // when not redGreen; none: the control's own
        bool bold = false;
    };

    // The boxes go into `container`'s layout (a new column if it has none).
    FlagBoxes(QWidget* container, const tp::FlagTable& flags, const Style& style);

    // Boxes, captions and colours from `value`; no click handling runs.
    // Ends the grey "unknown" state.
    void setValue(std::uint16_t value);
    // The masks of the boxes that are checked.
    std::uint16_t value() const;

    // Every box grey (partly checked) with its clear-state caption, until
    // the first setValue() or click.
    void setUnknown();
    bool unknown() const { return m_unknown; }

    int count() const { return m_boxes.size(); }
    QCheckBox* box(int i) const { return m_boxes.at(i); }
    QCheckBox* boxForMask(std::uint16_t mask) const;
    const QList<QCheckBox*>& boxes() const { return m_boxes; }

signals:
    // A click by the user; the box shows its new state already.
    void clicked(quint16 mask, bool set);

private:
    void refresh(int i);
    void endUnknown();

    tp::FlagTable m_flags;
    Style m_style;
    QList<QCheckBox*> m_boxes;
    bool m_unknown = false;
};
