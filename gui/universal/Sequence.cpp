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
#include <QTableWidget>
#include <QVBoxLayout>

using tp::expert::SequenceText;

TfrmSequenceEditor::TfrmSequenceEditor(TfrmMessage& owner) : QWidget(&owner, Qt::Window), m_owner(owner)
{
    setObjectName(QStringLiteral("frmSequenceEditor"));
    setWindowTitle(QStringLiteral("Sequence Editor"));

    // The 64 entries in four rows of 16, all in sight: entry n sits in
    // column ((n - 1) mod 16) + 1 of the row labelled "+" ((n - 1) div 16) * 16.
    grdSequencer = new QTableWidget(kRows, kPerRow);
    grdSequencer->setObjectName(QStringLiteral("grdSequencer"));
    grdSequencer->setItemDelegate(new TwoCharDelegate(CharValidator::Kind::Decimal, grdSequencer));
    grdSequencer->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdSequencer->horizontalHeader()->setDefaultSectionSize(34);
    grdSequencer->verticalHeader()->setDefaultSectionSize(26);
    grdSequencer->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab ends a cell's editing on the next cell; outside an edit it leaves
    // the grid, which would otherwise walk its cells round and round.
    grdSequencer->setTabKeyNavigation(false);
    grdSequencer->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                  QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    for (int c = 0; c < kPerRow; ++c)
        grdSequencer->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::number(c + 1)));
    for (int r = 0; r < kRows; ++r)
        grdSequencer->setVerticalHeaderItem(r, new QTableWidgetItem(QStringLiteral("+%1").arg(r * kPerRow)));
    for (int k = 0; k < SequenceText::kColumns; ++k) {
        auto* item = new QTableWidgetItem;
        item->setTextAlignment(Qt::AlignCenter);
        item->setToolTip(QStringLiteral("Entry %1").arg(k + 1));
        grdSequencer->setItem(k / kPerRow, k % kPerRow, item);
    }
    grdSequencer->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdSequencer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdSequencer->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grdSequencer->setFixedSize(2 * grdSequencer->frameWidth() + grdSequencer->verticalHeader()->sizeHint().width() +
                                   kPerRow * grdSequencer->horizontalHeader()->defaultSectionSize(),
                               2 * grdSequencer->frameWidth() + grdSequencer->horizontalHeader()->sizeHint().height() +
                                   kRows * grdSequencer->verticalHeader()->defaultSectionSize());
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
}

QTableWidgetItem* TfrmSequenceEditor::entry(int k) const
{
    return grdSequencer->item(k / kPerRow, k % kPerRow);
}

TfrmSequenceEditor::~TfrmSequenceEditor()
{
    detachChildren(this);
}

void TfrmSequenceEditor::showWith(const QString& sequence)
{
    if (!isVisible() && !sequence.isEmpty()) {
        const auto cells = SequenceText::toCells(sequence.toStdString());
        for (int k = 0; k < SequenceText::kColumns; ++k)
            entry(k)->setText(QString::fromStdString(cells[static_cast<std::size_t>(k)]));
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
        for (int k = 0; k < SequenceText::kColumns; ++k)
            cells.push_back(entry(k)->text().toStdString());
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
