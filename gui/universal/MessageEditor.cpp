#include "gui/universal/MessageEditor.h"
#include "core/universal/ExpertDataFile.h"
#include "gui/common/CharValidator.h"
#include "gui/common/Detach.h"
#include "gui/common/Guarded.h"
#include "gui/common/Placement.h"
#include "gui/universal/TwoCharDelegate.h"
#include "gui/universal/Universal_III.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTableWidget>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>

using tp::expert::EditorValues;

namespace {

// The byte row: Tab completes the cell last clicked before moving on.
class ByteRow : public QTableWidget {
public:
    using QTableWidget::QTableWidget;
    std::function<void()> onTab;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Tab && onTab)
            guard(onTab);
        // From the last cell Tab goes on to the next field instead of
        // starting over at the first cell: left unaccepted, the view moves
        // the focus on.
        if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier &&
            currentColumn() >= columnCount() - 1) {
            event->ignore();
            return;
        }
        QTableWidget::keyPressEvent(event);
    }
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        // Tab inside a cell editor ends it with "edit next".
        if (hint == QAbstractItemDelegate::EditNextItem && onTab)
            guard(onTab);
        QTableWidget::closeEditor(editor, hint);
    }
};

// The notes become one line of the data file: a line break pasted into
// them is taken as a blank.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        if (input.contains(QLatin1Char('\r')) || input.contains(QLatin1Char('\n'))) {
            input = QString::fromStdString(tp::expert::ExpertDataFile::oneLine(input.toStdString()));
            pos = std::min(pos, static_cast<int>(input.size()));
        }
        return Acceptable;
    }
};

QWidget* labelled(const QString& caption, QWidget* field)
{
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* label = new QLabel(caption, box);
    label->setBuddy(field);
    layout->addWidget(label);
    layout->addWidget(field);
    return box;
}

} // namespace

TfrmEditor::TfrmEditor(TfrmMessage& owner)
    : QWidget(&owner, Qt::Window), m_owner(owner), m_hiddenCells(EditorValues::kMaxBytes)
{
    setObjectName(QStringLiteral("frmEditor"));
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("Message Editor - Msg # 1"));

    edtAddress = new QLineEdit(QStringLiteral("A0"));
    edtAddress->setObjectName(QStringLiteral("edtAddress"));
    edtAddress->setMaxLength(2);
    edtAddress->setValidator(new CharValidator(CharValidator::Kind::Hex, edtAddress));
    edtAddress->setFixedWidth(48);
    edtAddress->setAlignment(Qt::AlignCenter);
    connect(edtAddress, &QLineEdit::editingFinished, this, guarded(this, &TfrmEditor::edtAddressExit));

    cmbRW = new QComboBox;
    cmbRW->setObjectName(QStringLiteral("cmbRW"));
    cmbRW->addItems({QStringLiteral("Write"), QStringLiteral("Read")});

    spnBytes = new QSpinBox;
    spnBytes->setObjectName(QStringLiteral("spnBytes"));
    spnBytes->setRange(0, EditorValues::kMaxBytes);
    spnBytes->setValue(1);
    spnBytes->setFixedWidth(72);

    cmbStop = new QComboBox;
    cmbStop->setObjectName(QStringLiteral("cmbStop"));
    cmbStop->addItems({QStringLiteral("Yes"), QStringLiteral("No")});

    edtDelay = new QSpinBox;
    edtDelay->setObjectName(QStringLiteral("edtDelay"));
    edtDelay->setRange(0, 2000);
    edtDelay->setSingleStep(5);
    edtDelay->setFixedWidth(84);

    auto* fields = new QHBoxLayout;
    fields->addWidget(labelled(QStringLiteral("Address"), edtAddress));
    fields->addWidget(labelled(QStringLiteral("Read/Write"), cmbRW));
    fields->addWidget(labelled(QStringLiteral("Number of Bytes"), spnBytes));
    fields->addWidget(labelled(QStringLiteral("Stop?"), cmbStop));
    fields->addWidget(labelled(QStringLiteral("Delay After Message (ms)"), edtDelay));
    fields->addStretch(1);

    auto* row = new ByteRow(1, 0);
    row->onTab = [this] { completeLastClicked(); };
    grdWrite = row;
    grdWrite->setObjectName(QStringLiteral("grdWrite"));
    grdWrite->setItemDelegate(new TwoCharDelegate(CharValidator::Kind::Hex, grdWrite));
    grdWrite->verticalHeader()->hide();
    grdWrite->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdWrite->horizontalHeader()->setDefaultSectionSize(34);
    grdWrite->verticalHeader()->setDefaultSectionSize(26);
    grdWrite->setSelectionMode(QAbstractItemView::SingleSelection);
    grdWrite->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                              QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    grdWrite->installEventFilter(this);
    connect(grdWrite, &QTableWidget::cellPressed, this,
            guarded([this](int, int column) { m_lastClickedColumn = column; }));
    auto* writeGroup = new QGroupBox(QStringLiteral("Write Message"));
    writeGroup->setObjectName(QStringLiteral("grbWrite"));
    auto* writeLayout = new QVBoxLayout(writeGroup);
    writeLayout->addWidget(grdWrite);

    edtNotes = new QLineEdit;
    edtNotes->setObjectName(QStringLiteral("edtNotes"));
    edtNotes->setMaxLength(255); // what a data file keeps of a comment
    edtNotes->setValidator(new OneLineValidator(edtNotes));

    btnClose = new QPushButton(QStringLiteral("Close"));
    btnClose->setObjectName(QStringLiteral("btnClose"));
    connect(btnClose, &QPushButton::clicked, this, guarded(this, &TfrmEditor::btnCloseClick));
    auto* closeGroup = new QGroupBox(QStringLiteral("Close the Editor"));
    closeGroup->setObjectName(QStringLiteral("grbClose"));
    auto* closeLayout = new QHBoxLayout(closeGroup);
    closeLayout->addWidget(btnClose);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(labelled(QStringLiteral("Comments"), edtNotes), 1, Qt::AlignBottom);
    bottom->addSpacing(12);
    bottom->addWidget(closeGroup, 0, Qt::AlignBottom);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(writeGroup);
    layout->addLayout(bottom);

    setCellCount(1);
    // Room for the labels, the row and, below it, the scroll bar a long
    // message needs; measured with a column in place, since an empty header
    // has no height yet.
    grdWrite->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grdWrite->setFixedHeight(2 * grdWrite->frameWidth() + grdWrite->horizontalHeader()->sizeHint().height() +
                             grdWrite->verticalHeader()->defaultSectionSize() +
                             grdWrite->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grdWrite) + 2);
    connect(spnBytes, &QSpinBox::valueChanged, this, guarded(this, &TfrmEditor::spnBytesChange));
    resize(720, sizeHint().height());
}

TfrmEditor::~TfrmEditor()
{
    detachChildren(this);
}

void TfrmEditor::setCellCount(int count)
{
    // Cells that drop out keep their text for when the count grows again.
    for (int c = count; c < grdWrite->columnCount(); ++c)
        if (QTableWidgetItem* item = grdWrite->item(0, c))
            m_hiddenCells[static_cast<std::size_t>(c)] = item->text().toStdString();
    const int before = grdWrite->columnCount();
    grdWrite->setColumnCount(count);
    for (int c = before; c < count; ++c) {
        auto* item = new QTableWidgetItem(QString::fromStdString(m_hiddenCells[static_cast<std::size_t>(c)]));
        item->setTextAlignment(Qt::AlignCenter);
        grdWrite->setItem(0, c, item);
        grdWrite->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::number(c + 1)));
    }
}

void TfrmEditor::spnBytesChange(int count)
{
    setCellCount(count);
}

EditorValues TfrmEditor::values() const
{
    EditorValues v;
    v.address = edtAddress->text().toStdString();
    v.read = cmbRW->currentIndex() == 1;
    v.byteCount = spnBytes->value();
    v.cells = m_hiddenCells;
    for (int c = 0; c < grdWrite->columnCount(); ++c)
        if (QTableWidgetItem* item = grdWrite->item(0, c))
            v.cells[static_cast<std::size_t>(c)] = item->text().toStdString();
    v.stop = cmbStop->currentIndex() == 0;
    v.delay = edtDelay->value();
    v.notes = edtNotes->text().toStdString();
    return v;
}

void TfrmEditor::setValues(const EditorValues& v)
{
    edtAddress->setText(QString::fromStdString(v.address));
    cmbRW->setCurrentIndex(v.read ? 1 : 0);
    m_hiddenCells = v.cells;
    for (int c = 0; c < grdWrite->columnCount(); ++c)
        grdWrite->item(0, c)->setText(QString::fromStdString(v.cells[static_cast<std::size_t>(c)]));
    spnBytes->setValue(v.byteCount); // the cell count follows
    cmbStop->setCurrentIndex(v.stop ? 0 : 1);
    edtDelay->setValue(v.delay);
    edtNotes->setText(QString::fromStdString(v.notes));
}

void TfrmEditor::showFor(int row)
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    m_row = row;
    m_lastClickedColumn = -1;
    setWindowTitle(QStringLiteral("Message Editor - Msg # %1").arg(row + 1));
    EditorValues v = values();
    try {
        tp::expert::showRow(m_owner.table().record(row), v);
    } catch (...) {
        setValues(v); // the fields shown before the bad one
        show();
        throw;
    }
    setValues(v);
    centreOnFirstShow(this, parentWidget());
    show();
    raise();
    activateWindow();
}

void TfrmEditor::btnCloseClick()
{
    close();
}

void TfrmEditor::closeEvent(QCloseEvent* event)
{
    // Refused until written back: an error below leaves the editor open.
    event->ignore();
    guard([&] {
        m_owner.rowEdited(m_row, tp::expert::rowFromEditor(values()));
        event->accept();
    });
}

void TfrmEditor::edtAddressExit()
{
    edtAddress->setText(QString::fromStdString(tp::expert::completeAddress(edtAddress->text().toStdString())));
}

void TfrmEditor::completeLastClicked()
{
    if (m_lastClickedColumn < 0 || m_lastClickedColumn >= grdWrite->columnCount())
        return;
    QTableWidgetItem* item = grdWrite->item(0, m_lastClickedColumn);
    item->setText(QString::fromStdString(tp::expert::completeByteCell(item->text().toStdString())));
}

bool TfrmEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Typing into the byte row: only hex digits, backspace, tab and return.
    if (watched == grdWrite && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!(key->modifiers() & Qt::ControlModifier) && text.size() == 1 && text[0].isPrint() &&
            !CharValidator::keyAllowed(CharValidator::Kind::Hex, text[0]))
            return true;
    }
    return QWidget::eventFilter(watched, event);
}
