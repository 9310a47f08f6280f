#pragma once
#include "core/common/ToggleCaption.h"

#include <QObject>
#include <QPointer>

#include <functional>

#include <QAbstractButton>

// Keeps a two-state control's caption (and, where the texts say so, its
// text colour) in step with its state, however the state changes.
class ToggleCaption : public QObject {
    Q_OBJECT
public:
    using Texts = std::function<tp::ToggleText(bool on)>;

    ToggleCaption(QAbstractButton* button, Texts texts);
    // "<name> On" / "<name> Off".
    ToggleCaption(QAbstractButton* button, const QString& name);

    QAbstractButton* button() const { return m_button; }
    bool isOn() const;
    // By program; the caption follows, the control's click handling does not run.
    void setOn(bool on);

private:
    void refresh();

    QPointer<QAbstractButton> m_button;
    Texts m_texts;
};
