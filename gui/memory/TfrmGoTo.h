#pragma once
#include "core/memory/GoToByte.h"

#include <QDialog>
#include <QPointer>

class QLineEdit;
class QPushButton;
class TMemoryForm;

// "Go To Byte...": one at a time in the program, serving the large memory
// window that opened it last. Modeless.
class TfrmGoTo : public QDialog {
    Q_OBJECT
public:
    // Creates the dialog if there is none, aims it at `window` and shows it.
    static TfrmGoTo* open(TMemoryForm& window);
    static TfrmGoTo* instance();

    QLineEdit* edtNote = nullptr;
    QLineEdit* edtHex = nullptr;
    QLineEdit* edtDecimal = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private slots:
    void edtHexChange();
    void edtDecimalChange();
    void OKBtnClick();

private:
    explicit TfrmGoTo(QWidget* parent);
    void aim(TMemoryForm& window);
    void showNotice(const tp::GoToUpdate& u);

    QPointer<TMemoryForm> m_window;
    tp::GoToByte m_goto{0};
};
