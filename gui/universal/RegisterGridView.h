#pragma once
#include <QTableView>

class RegisterGridModel;

// The user definable device's register grid: fixed cell sizes in a
// fixed-pitch font, cells edited in place with at most two hex digits.
class RegisterGridView : public QTableView {
    Q_OBJECT
public:
    RegisterGridView(RegisterGridModel* model, QWidget* parent = nullptr);

    RegisterGridModel* gridModel() const { return m_model; }
    // Width that shows the 16 columns and the row labels without scrolling.
    int naturalWidth() const;
    // Height that shows `rows` rows and the column labels.
    int naturalHeight(int rows) const;
    // Ends an edit in progress, keeping what was typed.
    void finishEdit();

signals:
    // The user began to edit a register's cell.
    void editStarted(int reg);

private:
    RegisterGridModel* m_model;
};
