#pragma once
#include "gui/common/BitBoxRow.h"

#include <QStringList>
#include <QWidget>

class QLabel;

// A register's bit boxes as a column, the highest bit at the top, each box
// beside its bit label ("O7"). The boxes sit in a container of their own,
// `panel` (disable it for bits the chip reports). Each box is made wide
// enough for every caption it can take, so nothing moves as captions change.
class BitColumn : public QWidget {
public:
    BitColumn(const QString& panelName, const QStringList& labels, const QList<BitBoxRow::Box>& boxes,
              const BitBoxRow::Style& style, QWidget* parent);

    QWidget* panel() const { return m_panel; }
    BitBoxRow* row() const { return m_row; }
    // Fixes the boxes' width for an extra caption they may show.
    void allowCaption(const QString& caption);

private:
    QWidget* m_panel;
    BitBoxRow* m_row;
    QList<QLabel*> m_labels;
};
