#include "gui/universal/Definition.h"
#include "core/common/Errors.h"
#include "core/common/HexExit.h"
#include "core/common/HexText.h"
#include "gui/common/CellEdit.h"
#include "gui/common/CharValidator.h"
#include "gui/common/CodePageValidator.h"
#include "gui/common/Dialogs.h"
#include "gui/common/ExitFilter.h"
#include "gui/common/Guarded.h"
#include "gui/common/TypingLimit.h"
#include "gui/common/UpDownButtons.h"
#include "gui/universal/DefinitionGridModel.h"
#include "gui/universal/Longi2c.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

using namespace tp::userdev;

namespace {

// Descriptions take what a definition file can hold; values two hex digits.
class DefinitionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex& index) const override
    {
        auto* e = new QLineEdit(parent);
        e->setFrame(false);
        if (index.column() == DefinitionGridModel::Value) {
            e->setMaxLength(2);
            e->setAlignment(Qt::AlignCenter);
            e->setValidator(new CharValidator(CharValidator::Kind::Hex, e));
        } else {
            e->setValidator(new CodePageValidator(e));
        }
        return e;
    }
};

const QString kDefaultAddress = QStringLiteral("AE");

} // namespace

TfrmDefine::TfrmDefine(TfrmLongI2C& device) : QDialog(&device), m_device(&device)
{
    setObjectName(QStringLiteral("TfrmDefine"));
    setWindowTitle(tr("Define New Device"));

    edtName = new QLineEdit(tr("New Device"));
    edtName->setObjectName(QStringLiteral("edtName"));
    // The limit is for typing: a longer name from a file stays whole.
    limitTyping(edtName, 20);
    edtName->setValidator(new CodePageValidator(edtName));
    edtName->setMinimumWidth(edtName->fontMetrics().horizontalAdvance(QString(22, QLatin1Char('n'))));

    const int twoDigits = fontMetrics().horizontalAdvance(QStringLiteral("WWW")) + 16;
    edtAddress = new QLineEdit(kDefaultAddress);
    edtAddress->setObjectName(QStringLiteral("edtAddress"));
    edtAddress->setMaxLength(2);
    edtAddress->setValidator(new CharValidator(CharValidator::Kind::Hex, edtAddress));
    edtAddress->setFixedWidth(twoDigits);

    edtSpin = new QLineEdit(QStringLiteral("256"));
    edtSpin->setObjectName(QStringLiteral("edtSpin"));
    edtSpin->setMaxLength(3);
    edtSpin->setValidator(new CharValidator(CharValidator::Kind::Decimal, edtSpin));
    edtSpin->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
    spnRegisters = new UpDownButtons(QStringLiteral("spnRegisters"), 1, kRegisterCount, this);
    spnRegisters->setValueQuietly(kRegisterCount);
    auto* spinRow = new QHBoxLayout;
    spinRow->setSpacing(0);
    spinRow->addWidget(edtSpin);
    spinRow->addWidget(spnRegisters);
    spinRow->addStretch(1);

    edtFill = new QLineEdit(QStringLiteral("00"));
    edtFill->setObjectName(QStringLiteral("edtFill"));
    edtFill->setMaxLength(2);
    edtFill->setValidator(new CharValidator(CharValidator::Kind::Hex, edtFill));
    edtFill->setFixedWidth(twoDigits);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Device Name:"), edtName);
    fields->addRow(tr("Device Address:"), edtAddress);
    fields->addRow(tr("Number of Registers"), spinRow);
    fields->addRow(tr("Fill:"), edtFill);

    m_model = new DefinitionGridModel(this);
    stgDefinition = new QTableView;
    stgDefinition->setObjectName(QStringLiteral("stgDefinition"));
    stgDefinition->setModel(m_model);
    stgDefinition->setItemDelegate(new DefinitionDelegate(stgDefinition));
    stgDefinition->setSelectionMode(QAbstractItemView::SingleSelection);
    stgDefinition->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                                   QAbstractItemView::EditKeyPressed);
    stgDefinition->setTabKeyNavigation(false);
    QHeaderView* v = stgDefinition->verticalHeader();
    v->setSectionResizeMode(QHeaderView::Fixed);
    v->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView* h = stgDefinition->horizontalHeader();
    h->setSectionResizeMode(DefinitionGridModel::Description, QHeaderView::Stretch);
    h->setSectionResizeMode(DefinitionGridModel::Value, QHeaderView::Fixed);
    h->resizeSection(DefinitionGridModel::Value,
                     fontMetrics().horizontalAdvance(QStringLiteral("Value")) + 24);
    stgDefinition->setMinimumSize(fontMetrics().horizontalAdvance(QString(44, QLatin1Char('n'))), 240);

    btnOK = new QPushButton(tr("OK"));
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(tr("Cancel"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setToolTip(tr("Cancel changes"));
    // Return finishes a field here; it must not close the window.
    for (QPushButton* b : {btnOK, btnCancel}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(stgDefinition, 1);
    layout->addLayout(buttons);
    resize(sizeHint().width(), 560);
    setTabOrder(edtName, edtAddress);
    setTabOrder(edtAddress, edtSpin);
    setTabOrder(edtSpin, spnRegisters);
    setTabOrder(spnRegisters, edtFill);
    setTabOrder(edtFill, stgDefinition);
    setTabOrder(stgDefinition, btnOK);
    setTabOrder(btnOK, btnCancel);

    connect(edtAddress, &QLineEdit::textChanged, this, guarded(this, &TfrmDefine::edtAddressChange));
    onExit(edtAddress, [this] { edtAddressExit(); });
    connect(edtSpin, &QLineEdit::returnPressed, this, guarded(this, &TfrmDefine::edtSpinExit));
    onExit(edtSpin, [this] { edtSpinExit(); });
    connect(spnRegisters, &UpDownButtons::valueChanged, this, guarded(this, &TfrmDefine::spnRegistersChange));
    connect(edtFill, &QLineEdit::textEdited, this, guarded(this, &TfrmDefine::edtFillChange));
    onExit(edtFill, [this] { edtFillExit(); });
    connect(btnOK, &QPushButton::clicked, this, guarded(this, &TfrmDefine::btnOKClick));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(this, &QDialog::finished, this, guarded([this] {
                if (m_device)
                    m_device->editorWindowsChanged();
            }));
}

TfrmDefine::~TfrmDefine() = default;

void TfrmDefine::showWith(const QString& caption)
{
    setWindowTitle(caption);
    show();
    raise();
    activateWindow();
    edtName->setFocus();
    edtName->selectAll();
    if (m_device)
        m_device->editorWindowsChanged();
}

void TfrmDefine::showNew()
{
    m_new = true;
    edtAddress->setText(kDefaultAddress);
    edtName->setText(tr("New Device"));
    edtFill->setText(QStringLiteral("00"));
    const int rows = m_model->shownRows();
    m_model->clear();
    showRows(rows);
    showWith(tr("Define New Device"));
}

void TfrmDefine::showEdit()
{
    if (!m_device)
        return;
    const UserDevice& d = m_device->device();
    m_new = false;
    edtAddress->setText(QString::fromStdString(tp::byteText(d.address())));
    edtName->setText(QString::fromStdString(d.name()));
    edtFill->setText(QStringLiteral("00"));
    m_model->load(d);
    showRows(d.registerCount());
    showWith(tr("Edit Current Device"));
}

void TfrmDefine::showRows(int count)
{
    m_model->setShownRows(count);
    edtSpin->setText(QString::number(m_model->shownRows()));
    spnRegisters->setValueQuietly(m_model->shownRows());
}

void TfrmDefine::edtAddressChange(const QString& text)
{
    if (text.size() != 2)
        return;
    // Write addresses are even: "A1" shows "A0".
    const QString even = QString::fromStdString(
        tp::byteText(static_cast<std::uint8_t>(tp::hexToInt(text.toStdString()) & 0xFE)));
    if (even != text)
        edtAddress->setText(even);
}

void TfrmDefine::edtAddressExit()
{
    const QString t = edtAddress->text();
    if (t.isEmpty())
        edtAddress->setText(kDefaultAddress);
    else if (t.size() == 1)
        edtAddress->setText(QStringLiteral("0") + t);
}

void TfrmDefine::edtSpinExit()
{
    const QString t = edtSpin->text();
    bool ok = false;
    const int n = t.toInt(&ok);
    if (!ok) {
        edtSpin->setText(QString::number(m_model->shownRows()));
        throw tp::InvalidNumber(t.toStdString());
    }
    if (n == m_model->shownRows())
        return;
    if (n < 1 || n > kRegisterCount) {
        edtSpin->setText(QString::number(m_model->shownRows()));
        Dialogs::instance().warning(this, QStringLiteral("Tallyport"),
                                    n < 1 ? tr("Please enter a number between 1 and 256")
                                          : tr("Please enter an integer between 1 and 256"));
        return;
    }
    showRows(n);
    stgDefinition->setCurrentIndex(m_model->index(n - 1, DefinitionGridModel::Description));
}

void TfrmDefine::spnRegistersChange(int count)
{
    showRows(count);
    stgDefinition->setCurrentIndex(m_model->index(count - 1, DefinitionGridModel::Description));
}

void TfrmDefine::edtFillChange(const QString& text)
{
    if (text.size() != 2)
        return;
    const auto answer = Dialogs::instance().confirm(
        this, tr("Confirm"), tr("Are you sure you want to set all the values to ") + text + QLatin1Char('?'),
        Dialogs::Buttons::YesNo);
    if (answer == Dialogs::Answer::Yes)
        m_model->fillValues(text);
}

void TfrmDefine::edtFillExit()
{
    const QString t = edtFill->text();
    if (t.size() < 2)
        edtFill->setText(QString(2 - t.size(), QLatin1Char('0')) + t);
}

void TfrmDefine::btnOKClick()
{
    // What the fields hold counts as if they had been left.
    edtAddressExit();
    edtSpinExit();
    finishCellEdit(stgDefinition);

    Definition d;
    d.name = edtName->text().toStdString();
    d.maxRegister = m_model->shownRows() - 1;
    for (int i = 0; i <= d.maxRegister; ++i) {
        const auto k = static_cast<std::size_t>(i);
        d.names[k] = m_model->name(i).empty() ? kUndefinedRegister : m_model->name(i);
        d.values[k] = completeValueText(m_model->value(i));
    }
    const QString address = edtAddress->text();
    const bool isNew = m_new;
    hide();
    if (m_device)
        m_device->definitionAccepted(d, address, isNew);
    done(Accepted);
}
