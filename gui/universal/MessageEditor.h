#pragma once
#include "core/universal/MessageEditing.h"

#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class TfrmMessage;

// The message editor: one row of the expert table in named fields. It is
// made once per expert window and then only hidden and shown; closing it
// always writes the fields back into the row it was shown for. Modal, so
// that row cannot move or go while the editor is open.
class TfrmEditor : public QWidget {
    Q_OBJECT
public:
    explicit TfrmEditor(TfrmMessage& owner);
    ~TfrmEditor() override;

    // Shows the editor for a row (index from 0). A Delay the editor cannot
    // show raises InvalidNumber once the editor is up with the other fields.
    void showFor(int row);
    int row() const { return m_row; }

public slots:
    void btnCloseClick();
    void spnBytesChange(int count);
    void edtAddressExit();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    tp::expert::EditorValues values() const;
    void setValues(const tp::expert::EditorValues& v);
    void setCellCount(int count);
    void completeLastClicked();

    TfrmMessage& m_owner;
    int m_row = 0;
    int m_lastClickedColumn = -1;
    std::vector<std::string> m_hiddenCells; // cells beyond the count keep their text

    QLineEdit* edtAddress = nullptr;
    QComboBox* cmbRW = nullptr;
    QSpinBox* spnBytes = nullptr;
    QTableWidget* grdWrite = nullptr;
    QComboBox* cmbStop = nullptr;
    QSpinBox* edtDelay = nullptr;
    QLineEdit* edtNotes = nullptr;
    QPushButton* btnClose = nullptr;
};
