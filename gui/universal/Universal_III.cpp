#include "gui/universal/Universal_III.h"
#include "core/common/AppState.h"
#include "core/common/BusAddress.h"
#include "core/common/HexText.h"
#include "core/universal/ExpertDataFile.h"
#include "gui/app/StatusLine.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Detach.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/common/GuiBusRunner.h"
#include "gui/universal/ExpertToolBar.h"
#include "gui/universal/MessageEditor.h"
#include "gui/universal/MessageTableModel.h"
#include "gui/universal/Sequence.h"
#include "gui/common/WrapGridLayout.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QResizeEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

using tp::expert::ExpertDataFile;
using tp::expert::MessageTable;

namespace {
const char* const kSaveChanges = "Save changes?";
} // namespace

TfrmMessage::TfrmMessage(TfrmMain& main) : TChildForm(main, QStringLiteral("TfrmMessage"))
{
    setWindowTitle(QString::fromUtf8(kCaption));
    // Closing leaves the status line as it is, also through "Close All".
    setBlankOnDestroy(false);

    buildMenus();
    buildGrid();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(buildToolBar());
    layout->addWidget(buildSendPanel());
    layout->addWidget(grdData, 1);

    grdData->setCurrentIndex(m_model->index(0, MessageTable::Address));
    connect(grdData->selectionModel(), &QItemSelectionModel::currentChanged, this,
            guarded([this](const QModelIndex& current) {
                if (current.isValid())
                    edtRow->setText(QStringLiteral("Active Msg. = %1").arg(current.row() + 1));
            }));
    connect(grdData, &QTableView::doubleClicked, this, guarded(this, &TfrmMessage::grdDataDblClick));
    grdData->installEventFilter(this);
    edtSequence->installEventFilter(this);
    grdData->viewport()->installEventFilter(this);
}

TfrmMessage::~TfrmMessage()
{
    detachChildren(this);
}

TfrmEditor* TfrmMessage::editor() const
{
    return m_editor.data();
}

TfrmSequenceEditor* TfrmMessage::sequenceEditor() const
{
    return m_sequenceEditor.data();
}

tp::expert::TGridRecord& TfrmMessage::clipboard()
{
    return main().state().programData<ExpertClipboard>().record;
}

// ------------------------------------------------------------------ building

void TfrmMessage::buildMenus()
{
    QMenu* file = addChildMenu(tr("&File"), QStringLiteral("mnuFile"));
    auto add = [this](QMenu* menu, const QString& name, const QString& text, QKeySequence key,
                      void (TfrmMessage::*slot)()) {
        QAction* a = menu->addAction(text, this, guarded(this, slot));
        a->setObjectName(name);
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WindowShortcut);
        }
        return a;
    };
    add(file, "mnuNew", tr("New"), QKeySequence(Qt::CTRL | Qt::Key_N), &TfrmMessage::mnuNewClick);
    file->addSeparator();
    add(file, "mnuOpen", tr("Open"), QKeySequence(Qt::CTRL | Qt::Key_O), &TfrmMessage::mnuOpenClick);
    add(file, "mnuSaveAs", tr("Save As.."), QKeySequence(Qt::CTRL | Qt::Key_S), &TfrmMessage::mnuSaveAsClick);
    add(file, "mnuClose", tr("Close"), {}, &TfrmMessage::mnuCloseClick);
    add(file, "mnuCloseAll", tr("Close All"), {}, &TfrmMessage::mnuCloseAllExpertClick);
    file->addSeparator();
    add(file, "mnuExit", tr("E&xit"), QKeySequence(Qt::CTRL | Qt::Key_X), &TfrmMessage::mnuExitClick);

    QMenu* edit = addChildMenu(tr("&Edit"), QStringLiteral("mnuEdit"));
    add(edit, "mnuInsertRow", tr("Insert Row"), QKeySequence(Qt::CTRL | Qt::Key_Insert), &TfrmMessage::mnuInsertRowClick);
    add(edit, "mnuDeleteRow", tr("Delete Row"), QKeySequence(Qt::CTRL | Qt::Key_Delete), &TfrmMessage::mnuDeleteRowClick);
    add(edit, "mnuClearRow", tr("Clear current message"), QKeySequence(Qt::SHIFT | Qt::Key_Delete),
        &TfrmMessage::mnuClearRowClick);
    edit->addSeparator();
    add(edit, "mnuCopyRow", tr("Copy Row"), QKeySequence(Qt::CTRL | Qt::Key_C), &TfrmMessage::mnuCopyRowClick);
    add(edit, "mnuPasteRow", tr("Paste Row"), QKeySequence(Qt::CTRL | Qt::Key_V), &TfrmMessage::mnuPasteRowClick);
    edit->addSeparator();
    add(edit, "mnuCompact", tr("Compact Rows"), {}, &TfrmMessage::mnuCompactClick);

    // The menus merge into the frame's bar only while this window is active;
    // their shortcuts work through the window itself.
    for (QMenu* m : childMenus())
        for (QAction* a : m->actions())
            if (!a->shortcut().isEmpty())
                addAction(a);
}

QWidget* TfrmMessage::buildToolBar()
{
    using Tool = ExpertToolBar::Tool;
    auto slot = [this](void (TfrmMessage::*method)()) { return [this, method] { (this->*method)(); }; };
    return new ExpertToolBar({
        {Tool{"btnNew", tr("New"), tr("Open blank page"), slot(&TfrmMessage::mnuNewClick)},
         Tool{"btnOpen", tr("Open"), tr("Open File"), slot(&TfrmMessage::mnuOpenClick)},
         Tool{"btnSaveAs", tr("Save As"), tr("Save As.."), slot(&TfrmMessage::mnuSaveAsClick)},
         Tool{"btnClose", tr("Close"), tr("Close Expert Mode"), slot(&TfrmMessage::mnuCloseClick)}},
        {Tool{"btnInsertRow", tr("Insert Row"), tr("Insert Row"), slot(&TfrmMessage::mnuInsertRowClick)},
         Tool{"btnDeleteRow", tr("Delete Row"), tr("Delete Row"), slot(&TfrmMessage::mnuDeleteRowClick)},
         Tool{"btnClearRow", tr("Clear"), tr("Clear current message (current row)"),
              slot(&TfrmMessage::mnuClearRowClick)}},
        {Tool{"btnCopyRow", tr("Copy Row"), tr("Copy Row"), slot(&TfrmMessage::mnuCopyRowClick)},
         Tool{"btnPasteRow", tr("Paste Row"), tr("Paste Row"), slot(&TfrmMessage::mnuPasteRowClick)}},
        {Tool{"btnCompact", tr("Compact"), tr("Compress Data"), slot(&TfrmMessage::mnuCompactClick)}},
    });
}

QWidget* TfrmMessage::buildSendPanel()
{
    auto button = [this](const QString& name, const QString& text, const QString& hint, void (TfrmMessage::*slot)()) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        if (!hint.isEmpty())
            b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, guarded(this, slot));
        return b;
    };
    btnSendMessage = button("btnSendMessage", tr("Send Message"), tr("Send Active Message"),
                            &TfrmMessage::btnSendMessageClick);
    btnSendAll = button("btnSendAll", tr("Send All"), tr("Send all messages"), &TfrmMessage::btnSendAllClick);
    btnSequence = button("btnSequence", tr("Send Sequence"), tr("Send a sequence of messages"),
                         &TfrmMessage::btnSequenceClick);
    btnSendContinuous = button("btnSendContinuous", QString::fromLatin1(kSendContinuously), {},
                               &TfrmMessage::btnSendContinuousClick);
    // Wide enough for either caption, so the row does not jump.
    btnSendContinuous->setMinimumWidth(
        btnSendContinuous->fontMetrics().horizontalAdvance(QString::fromLatin1(kStopSequencing)) + 32);
    // It stops a run while the bus works.
    GuiBusRunner::keepLive(btnSendContinuous);

    auto* lblSequence = new QLabel(tr("Sequence"));
    lblSequence->setObjectName(QStringLiteral("lblSequence"));
    edtSequence = new QLineEdit;
    edtSequence->setObjectName(QStringLiteral("edtSequence"));
    edtSequence->setReadOnly(true);
    edtSequence->setToolTip(tr(" Double-click to edit the sequence"));
    lblSequence->setBuddy(edtSequence);

    lblSending = new QLabel(tr("Idle"));
    lblSending->setObjectName(QStringLiteral("lblSending"));
    lblSending->setMinimumWidth(130);
    edtRow = new QLabel(tr("Active Msg. = 00"));
    edtRow->setObjectName(QStringLiteral("edtRow"));
    edtRow->setMinimumWidth(110);

    // The buttons, then the sequence and the run's state: one row, or two
    // where the window is narrow.
    auto* buttons = new QWidget;
    auto* buttonRow = new QHBoxLayout(buttons);
    buttonRow->setContentsMargins(0, 0, 0, 0);
    buttonRow->addWidget(btnSendMessage);
    buttonRow->addWidget(btnSendAll);
    buttonRow->addWidget(btnSequence);
    buttonRow->addWidget(btnSendContinuous);
    auto* state = new QWidget;
    auto* stateRow = new QHBoxLayout(state);
    stateRow->setContentsMargins(0, 0, 0, 0);
    stateRow->addWidget(lblSequence);
    stateRow->addWidget(edtSequence, 1);
    stateRow->addSpacing(12);
    stateRow->addWidget(lblSending);
    stateRow->addWidget(edtRow);

    auto* panel = new QWidget;
    auto* layout = new WrapGridLayout(2, 1, panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(12);
    layout->addWidget(buttons);
    layout->addWidget(state);
    return panel;
}

void TfrmMessage::buildGrid()
{
    m_model = new MessageTableModel(m_table, this);
    grdData = new QTableView;
    grdData->setObjectName(QStringLiteral("grdData"));
    grdData->setModel(m_model);
    grdData->setToolTip(tr("Double-click on the desired message to edit the message"));
    grdData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdData->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdData->setSelectionMode(QAbstractItemView::SingleSelection);
    grdData->setTabKeyNavigation(false); // not edited in place: Tab leaves, arrows move
    grdData->verticalHeader()->hide();
    grdData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdData->verticalHeader()->setDefaultSectionSize(22);
    QHeaderView* h = grdData->horizontalHeader();
    h->setSectionResizeMode(QHeaderView::Fixed);
    h->setHighlightSections(false);
    const int widths[MessageTable::ColumnCount] = {52, 48, 64, 56, 0, 52, 56, 320};
    for (int c = 0; c < MessageTable::ColumnCount; ++c)
        if (widths[c])
            h->resizeSection(c, widths[c]);
    h->setSectionResizeMode(MessageTable::Data, QHeaderView::Stretch);
}

// ------------------------------------------------------------------ table

int TfrmMessage::activeRow() const
{
    const QModelIndex i = grdData->currentIndex();
    return i.isValid() ? i.row() : 0;
}

void TfrmMessage::setActiveRow(int row)
{
    const int column = grdData->currentIndex().isValid() ? grdData->currentIndex().column() : MessageTable::Address;
    grdData->setCurrentIndex(m_model->index(std::clamp(row, 0, m_table.rowCount() - 1), column));
}

void TfrmMessage::refresh(int row)
{
    m_model->reload();
    setActiveRow(row);
}

void TfrmMessage::mnuInsertRowClick()
{
    const int row = activeRow();
    m_table.insertRow(row);
    refresh(row);
}

void TfrmMessage::mnuDeleteRowClick()
{
    const int row = activeRow();
    if (m_table.deleteRow(row))
        refresh(row);
}

void TfrmMessage::mnuClearRowClick()
{
    m_table.clearRow(activeRow());
    m_model->cellsChanged();
}

void TfrmMessage::mnuCopyRowClick()
{
    m_table.copyRow(activeRow(), clipboard());
}

void TfrmMessage::mnuPasteRowClick()
{
    m_table.pasteRow(activeRow(), clipboard());
    m_model->cellsChanged();
}

void TfrmMessage::mnuCompactClick()
{
    const int row = activeRow();
    m_table.compact();
    refresh(row);
}

void TfrmMessage::blankTable()
{
    const int row = activeRow();
    m_table.blank();
    refresh(row);
}

void TfrmMessage::rowEdited(int row, const tp::expert::TGridRecord& record)
{
    if (row < 0 || row >= m_table.rowCount())
        return;
    m_table.setRecord(row, record);
    m_model->cellsChanged();
}

QString TfrmMessage::sequenceText() const
{
    return edtSequence->text();
}

void TfrmMessage::sequenceEdited(const QString& sequence)
{
    // The sequence goes into the data file, so a changed one is unsaved work.
    if (sequence != edtSequence->text())
        m_table.setModified(true);
    edtSequence->setText(sequence);
}

// ------------------------------------------------------------------ editors

void TfrmMessage::openEditor()
{
    m_table.setModified(true);
    if (!m_editor)
        m_editor = new TfrmEditor(*this);
    m_editor->showFor(activeRow());
}

void TfrmMessage::grdDataDblClick()
{
    openEditor();
}

void TfrmMessage::edtSequenceDblClick()
{
    if (!m_sequenceEditor)
        m_sequenceEditor = new TfrmSequenceEditor(*this);
    m_sequenceEditor->showWith(edtSequence->text());
}

bool TfrmMessage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grdData && event->type() == QEvent::KeyPress) {
        // A hex digit typed on the table opens the editor (keypad digits too).
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && text.size() == 1 &&
            text[0].unicode() < 128 && tp::isHexDigit(static_cast<char>(text[0].unicode()))) {
            guard([this] { openEditor(); });
            return true;
        }
    } else if (watched == grdData->viewport() && event->type() == QEvent::Resize) {
        // Notes give way in a narrow window, so Data keeps room to show.
        const int width = static_cast<QResizeEvent*>(event)->size().width();
        grdData->horizontalHeader()->resizeSection(MessageTable::Notes, std::clamp(width / 4, 120, 320));
    } else if (watched == edtSequence && event->type() == QEvent::MouseButtonDblClick) {
        guard([this] { edtSequenceDblClick(); });
        return true;
    }
    return TChildForm::eventFilter(watched, event);
}

// ------------------------------------------------------------------ files

bool TfrmMessage::saveAs()
{
    Dialogs::FileRequest r;
    r.title = tr("Save As");
    r.filters = QStringList{tr("Text files (*.txt)"), tr("All files (*.*)")};
    r.defaultSuffix = QStringLiteral("txt");
    r.fileName = m_fileName;
    if (!Dialogs::instance().saveFile(this, r))
        return false;
    ExpertDataFile::save(r.fileName.toStdString(), m_table, edtSequence->text().toStdString());
    m_table.setModified(false);
    m_fileName = r.fileName;
    setWindowTitle(QFileInfo(r.fileName).fileName());
    main().statusLine()->repaintNow();
    return true;
}

bool TfrmMessage::settleChanges(bool withCancel)
{
    if (!m_table.modified())
        return true;
    const auto answer = Dialogs::instance().confirm(
        this, tr("Confirm"), tr(kSaveChanges), withCancel ? Dialogs::Buttons::YesNoCancel : Dialogs::Buttons::YesNo);
    if (answer == Dialogs::Answer::Cancel)
        return false;
    if (answer == Dialogs::Answer::Yes)
        return saveAs();
    return true;
}

void TfrmMessage::mnuSaveAsClick()
{
    saveAs();
}

void TfrmMessage::mnuNewClick()
{
    const bool wasModified = m_table.modified();
    if (!settleChanges(true))
        return;
    blankTable();
    // "No" leaves the changes unsaved, so the flag stays.
    m_table.setModified(wasModified && m_table.modified());
}

void TfrmMessage::mnuOpenClick()
{
    if (!settleChanges(false))
        return;
    Dialogs::FileRequest r;
    r.title = tr("Open data file");
    r.filters = QStringList{tr("Text Files (*.txt)"), tr("All Files (*.*)")};
    r.defaultSuffix = QStringLiteral("txt");
    if (!Dialogs::instance().openFile(this, r))
        return;
    // This Open's result replaces whatever the status line said before.
    main().ResetWarning();
    const auto content = ExpertDataFile::load(r.fileName.toStdString());
    setWindowTitle(QFileInfo(r.fileName).fileName());
    if (!content) {
        // Not a data file: the table stays, under the name chosen, and the
        // changes the user declined to save no longer count as unsaved. The
        // next Save As still offers the last good file's name, not this one.
        main().ErrorMessage(tp::status::InvalidTextFile);
        m_table.setModified(false);
        return;
    }
    m_fileName = r.fileName;
    std::string sequence = edtSequence->text().toStdString();
    const int row = activeRow();
    ExpertDataFile::apply(*content, m_table, sequence);
    edtSequence->setText(QString::fromStdString(sequence));
    m_table.setModified(false);
    refresh(row);
    main().statusLine()->repaintNow();
}

void TfrmMessage::mnuCloseAllExpertClick()
{
    main().closeAllChildren();
}

void TfrmMessage::closeEvent(QCloseEvent* event)
{
    // Refused until settled: an error while saving keeps the window.
    event->ignore();
    guard([&] {
        if (continuousRunActive()) {
            Dialogs::instance().information(this, QStringLiteral("Tallyport"),
                                            tr("Please press the Stop Sequencing button"));
            return;
        }
        if (settleChanges(true))
            event->accept();
    });
}

// ------------------------------------------------------------------ sending

bool TfrmMessage::continuousRunActive() const
{
    return btnSendContinuous->text() == QLatin1String(kStopSequencing);
}

tp::Status TfrmMessage::transfer(std::span<tp::I2cMessage> messages)
{
    const bool generalCall = std::any_of(messages.begin(), messages.end(),
                                         [](const tp::I2cMessage& m) { return tp::isGeneralCall(m.address); });
    if (generalCall && !m_generalCallConfirmed) {
        const auto answer = Dialogs::instance().confirm(this, tr("Confirm"),
                                                        QString::fromStdString(tp::generalCallQuestion(0x00)),
                                                        Dialogs::Buttons::YesNo);
        m_generalCallConfirmed = answer == Dialogs::Answer::Yes;
        if (!m_generalCallConfirmed)
            return context().status = adapter().decline(tp::generalCallRefusal(0x00));
    }
    const tp::Status st = adapter().transfer(messages);
    tp::BusContext& c = context();
    c.address[0] = messages.back().address;
    c.status = st;
    if (st == tp::status::Success && !messages.back().data.empty())
        c.data[0] = messages.back().data.front();
    return st;
}

void TfrmMessage::showStatus(tp::Status status)
{
    main().ErrorMessage(status);
}

void TfrmMessage::showSending(const std::string& text)
{
    lblSending->setText(QString::fromStdString(text));
    lblSending->repaint();
}

void TfrmMessage::tableChanged()
{
    m_model->cellsChanged();
    if (grdData->isVisible())
        grdData->viewport()->repaint();
}

void TfrmMessage::waitUs(std::uint64_t us)
{
    main().uSeconds(us);
}

void TfrmMessage::btnSendMessageClick()
{
    ClickGuard guard{btnSendMessage};
    m_sender.sendMessage(activeRow());
}

namespace {
// While a run goes on, the continuous-run button stops it.
struct Stoppable {
    QPushButton* button;
    explicit Stoppable(QPushButton* b) : button(b)
    {
        button->setText(QString::fromLatin1(TfrmMessage::kStopSequencing));
        button->repaint();
    }
    ~Stoppable() { button->setText(QString::fromLatin1(TfrmMessage::kSendContinuously)); }
};
} // namespace

void TfrmMessage::btnSendAllClick()
{
    ClickGuard guard{btnSendAll};
    const Stoppable run(btnSendContinuous);
    m_sender.sendAll();
}

void TfrmMessage::btnSequenceClick()
{
    ClickGuard guard{btnSequence};
    const Stoppable run(btnSendContinuous);
    m_sender.sendSequence(edtSequence->text().toStdString());
}

void TfrmMessage::btnSendContinuousClick()
{
    // A second click while the loop turns lands here and ends it.
    if (continuousRunActive()) {
        btnSendContinuous->setText(QString::fromLatin1(kSendContinuously));
        return;
    }
    btnSendContinuous->setText(QString::fromLatin1(kStopSequencing));
    btnSendContinuous->repaint();

    QPointer<TfrmMessage> self(this);
    // The other runs would start inside this one.
    ClickGuard guard{btnSendMessage, btnSendAll, btnSequence};
    // An error ends the loop; the button must not go on claiming it runs.
    struct Reset {
        QPointer<TfrmMessage> w;
        ~Reset()
        {
            if (w && std::uncaught_exceptions() > 0)
                w->btnSendContinuous->setText(QString::fromLatin1(kSendContinuously));
        }
    } reset{self};

    while (true) {
        if (m_sender.sendSequence(edtSequence->text().toStdString()) != tp::status::Success) {
            btnSendContinuous->setText(QString::fromLatin1(kSendContinuously));
            return;
        }
        // A pass that sent nothing waits for the user instead of spinning.
        QCoreApplication::processEvents(m_sender.sentInLastRun() == 0 ? QEventLoop::WaitForMoreEvents
                                                                      : QEventLoop::AllEvents);
        if (!self || !continuousRunActive())
            return;
    }
}
