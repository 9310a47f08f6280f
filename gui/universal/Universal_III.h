#pragma once
#include "core/universal/GridRecord.h"
#include "core/universal/MessageSender.h"
#include "core/universal/MessageTable.h"
#include "gui/common/ChildForm.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class MessageTableModel;
class TfrmEditor;
class TfrmSequenceEditor;

// The row clipboard of the expert mode; it lives as long as the program.
struct ExpertClipboard {
    tp::expert::TGridRecord record;
};

// The expert mode: a table of raw bus messages, sent one at a time, all in
// order, by a sequence of message numbers, or that sequence over and over.
class TfrmMessage : public TChildForm, private tp::expert::SendHost {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "I\u00B2C Expert Mode";
    static constexpr const char* kSendContinuously = "Send Continuously";
    static constexpr const char* kStopSequencing = "Stop Sequencing";

    explicit TfrmMessage(TfrmMain& main);
    ~TfrmMessage() override;

    tp::expert::MessageTable& table() { return m_table; }
    // The row of the table's current cell, from 0.
    int activeRow() const;
    void setActiveRow(int row);
    bool continuousRunActive() const;
    QString sequenceText() const;
    TfrmEditor* editor() const;
    TfrmSequenceEditor* sequenceEditor() const;

    // The editors hand their results back through these.
    void rowEdited(int row, const tp::expert::TGridRecord& record);
    void sequenceEdited(const QString& sequence);

public slots:
    void mnuNewClick();
    void mnuOpenClick();
    void mnuSaveAsClick();
    void mnuCloseAllExpertClick();
    void mnuInsertRowClick();
    void mnuDeleteRowClick();
    void mnuClearRowClick();
    void mnuCopyRowClick();
    void mnuPasteRowClick();
    void mnuCompactClick();
    void btnSendMessageClick();
    void btnSendAllClick();
    void btnSequenceClick();
    void btnSendContinuousClick();
    void grdDataDblClick();
    void edtSequenceDblClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    QWidget* buildToolBar();
    QWidget* buildSendPanel();
    void buildGrid();

    // "Save changes?" before the table goes; false: keep it. A save the
    // user cancels or that fails keeps it too.
    bool settleChanges(bool withCancel);
    bool saveAs();
    void blankTable();
    void openEditor();
    void refresh(int activeRow);
    tp::expert::TGridRecord& clipboard();

    // The window's side of a run.
    tp::Status transfer(std::span<tp::I2cMessage> messages) override;
    void showStatus(tp::Status status) override;
    void showSending(const std::string& text) override;
    void tableChanged() override;
    void waitUs(std::uint64_t us) override;
    bool stopAsked() const override { return !continuousRunActive(); }

    tp::expert::MessageTable m_table;
    tp::expert::MessageSender m_sender{m_table, *this};
    MessageTableModel* m_model = nullptr;
    QString m_fileName;
    // Raw messages may go to the general call, but only once the user said
    // so in this window: a data file can name it as easily as a .def.
    bool m_generalCallConfirmed = false;
    QPointer<TfrmEditor> m_editor;
    QPointer<TfrmSequenceEditor> m_sequenceEditor;

    QTableView* grdData = nullptr;
    QLabel* edtRow = nullptr;
    QLabel* lblSending = nullptr;
    QLineEdit* edtSequence = nullptr;
    QPushButton* btnSendMessage = nullptr;
    QPushButton* btnSendAll = nullptr;
    QPushButton* btnSequence = nullptr;
    QPushButton* btnSendContinuous = nullptr;
};
