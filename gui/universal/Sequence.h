#pragma once
#include <QWidget>

class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class TfrmMessage;

// The sequence editor: one cell per entry of the expert window's sequence
// text, 64 in four rows of 16. Made on first use, then only hidden and
// shown; closing it (its button or its window) checks the cells and writes
// the sequence text.
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
    static constexpr int kPerRow = 16;
    static constexpr int kRows = 4;
    // Entry k of the sequence (from 0).
    QTableWidgetItem* entry(int k) const;

    TfrmMessage& m_owner;
    QTableWidget* grdSequencer = nullptr;
    QPushButton* btnClose = nullptr;
};
