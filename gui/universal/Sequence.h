#pragma once
#include <QWidget>

class QPushButton;
class QTableWidget;
class TfrmMessage;

// The sequence editor: one cell per entry of the expert window's sequence
// text. Made on first use, then only hidden and shown; closing it (its
// button or its window) checks the cells and writes the sequence text.
class TfrmSequenceEditor : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSequenceEditor(TfrmMessage& owner);
    ~TfrmSequenceEditor() override;

    // Shows the editor; a non-empty text replaces what the cells held.
    void showWith(const QString& sequence);

public slots:
    void btnCloseClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TfrmMessage& m_owner;
    QTableWidget* grdSequencer = nullptr;
    QPushButton* btnClose = nullptr;
};
