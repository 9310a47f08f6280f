#include "gui/universal/Sequence.h"
#include "core/universal/SequenceText.h"
#include "gui/common/CharValidator.h"
#include "gui/common/Detach.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/common/Placement.h"
#include "gui/universal/TwoCharDelegate.h"
#include "gui/universal/Universal_III.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

using tp::expert::SequenceText;

TfrmSequenceEditor::TfrmSequenceEditor(TfrmMessage& owner) : QWidget(&owner, Qt::Window), m_owner(owner)
{
    setObjectName(QStringLiteral("frmSequenceEditor"));
    setWindowTitle(QStringLiteral("Sequence Editor"));

    grdSequencer = new QTableWidget(1, SequenceText::kColumns);
    grdSequencer->setObjectName(QStringLiteral("grdSequencer"));
    grdSequencer->setItemDelegate(new TwoCharDelegate(CharValidator::Kind::Decimal, grdSequencer));
    grdSequencer->verticalHeader()->hide();
    grdSequencer->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdSequencer->horizontalHeader()->setDefaultSectionSize(34);
    grdSequencer->verticalHeader()->setDefaultSectionSize(26);
    grdSequencer->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab ends a cell's editing on the next cell; outside an edit it leaves
    // the grid, which would otherwise walk its cells round and round.
    grdSequencer->setTabKeyNavigation(false);
    grdSequencer->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    for (int c = 0; c < SequenceText::kColumns; ++c) {
        grdSequencer->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::number(c + 1)));
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        grdSequencer->setItem(0, c, item);
    }
    grdSequencer->setFixedHeight(grdSequencer->horizontalHeader()->sizeHint().height() + 26 +
                                 grdSequencer->horizontalScrollBar()->sizeHint().height() + 4);
    grdSequencer->installEventFilter(this);

    auto* group = new QGroupBox(QStringLiteral("Sequencer"));
    group->setObjectName(QStringLiteral("grbSequencer"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(grdSequencer);

    btnClose = new QPushButton(QStringLiteral("Close"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, guarded(this, &TfrmSequenceEditor::btnCloseClick));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    resize(760, sizeHint().height());
}

TfrmSequenceEditor::~TfrmSequenceEditor()
{
    detachChildren(this);
}

void TfrmSequenceEditor::showWith(const QString& sequence)
{
    if (!isVisible() && !sequence.isEmpty()) {
        const auto cells = SequenceText::toCells(sequence.toStdString());
        for (int c = 0; c < SequenceText::kColumns; ++c)
            grdSequencer->item(0, c)->setText(QString::fromStdString(cells[static_cast<std::size_t>(c)]));
    }
    centreOnFirstShow(this, parentWidget());
    show();
    raise();
    activateWindow();
}

void TfrmSequenceEditor::btnCloseClick()
{
    close();
}

void TfrmSequenceEditor::closeEvent(QCloseEvent* event)
{
    event->ignore();
    guard([&] {
        std::vector<std::string> cells;
        for (int c = 0; c < SequenceText::kColumns; ++c)
            cells.push_back(grdSequencer->item(0, c)->text().toStdString());
        const auto text = SequenceText::fromCells(cells);
        if (!text) {
            Dialogs::instance().information(this, QStringLiteral("Tallyport"),
                                            QString::fromStdString(SequenceText::tooHighMessage()));
            return;
        }
        m_owner.sequenceEdited(QString::fromStdString(*text));
        event->accept();
    });
}

bool TfrmSequenceEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Typing into the row: digits and backspace; keys that type nothing pass.
    if (watched == grdSequencer && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!(key->modifiers() & Qt::ControlModifier) && text.size() == 1 && text[0].isPrint() &&
            !CharValidator::keyAllowed(CharValidator::Kind::Decimal, text[0]))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
