#include "gui/memory/MemoryForm.h"
#include "core/common/HexText.h"
#include "core/memory/GridLabels.h"
#include "core/memory/MemoryFill.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/CharValidator.h"
#include "gui/common/Dialogs.h"
#include "gui/common/ExitFilter.h"
#include "gui/common/Guarded.h"
#include "gui/common/KeyFilter.h"
#include "gui/common/TypingLimit.h"
#include "gui/memory/MemoryGridModel.h"
#include "gui/memory/MemoryGridView.h"
#include "gui/memory/TfrmGoTo.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}
std::string ss(const QString& s)
{
    return s.toStdString();
}
} // namespace

TMemoryForm::TMemoryForm(TfrmMain& main, const QString& windowClass, tp::MemoryKind kind, std::size_t size)
    : TChildForm(main, windowClass), m_kind(kind), m_image(size), m_files(kind)
{
    setBlankOnDestroy(true, blankAlign());
    // The large windows open maximised and are not maximised again.
    setMaximiseOnActivate(!isLarge());
    setOpensMaximised(true);
    buildControls();
    buildMenus();
    applyLayout();
    connectCopyFields();
}

tp::Align TMemoryForm::blankAlign() const
{
    return isLarge() ? tp::Align::Centre : tp::Align::Left;
}

void TMemoryForm::buildControls()
{
    m_hexModel = new MemoryGridModel(m_image, MemoryGridModel::Mode::Hex, this);
    m_asciiModel = new MemoryGridModel(m_image, MemoryGridModel::Mode::Ascii, this);
    stgMemory = new MemoryGridView(m_hexModel, m_asciiModel, m_image, this);
    stgMemory->setObjectName(QStringLiteral("stgMemory"));
    stgMemory->setToolTip(QStringLiteral("Enter a single two digit Hex number into each cell"));
    stgMemory->setReturnAdvances(!isLarge());
    stgText = new MemoryGridView(m_asciiModel, m_hexModel, m_image, this);
    stgText->setObjectName(QStringLiteral("stgText"));
    stgText->setToolTip(QStringLiteral("Enter a single ASCII character into each cell"));

    // Both grids always show the same rows.
    connect(stgMemory->verticalScrollBar(), &QScrollBar::valueChanged, stgText->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(stgText->verticalScrollBar(), &QScrollBar::valueChanged, stgMemory->verticalScrollBar(),
            &QScrollBar::setValue);
    const int digits = tp::addressDigits(m_kind);
    const auto showAddress = guarded([this, digits](const QModelIndex& i) {
        lblWordAddress->setText(qs(tp::GridLabels::addressLabel(MemoryGridModel::addressOf(i), digits)));
    });
    connect(stgMemory, &QAbstractItemView::clicked, this, showAddress);
    connect(stgText, &QAbstractItemView::clicked, this, showAddress);

    m_keys = new HexKeyFilter(this);
    m_keys->exempt(stgText); // any character may be typed into the ASCII grid

    auto button = [this](const char* name, const char* caption, const char* hint) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromUtf8(hint));
        return b;
    };
    btnReadOne = button("btnReadOne", "Read &Byte", "Read the byte defined by Byte Address");
    btnRead = button("btnRead", "&Read All", "Read entire EEPROM");
    btnWriteOne = button("btnWriteOne", "Write B&yte", "Write byte defined by Word");
    btnWrite = button("btnWrite", "&Write All", "Write entire EEPROM");
    btnVerify = button("btnVerify", "Verify", "Verify EE contents against data in grid");
    btnFill = button("btnFill", "Fill Buffer", "Fill address range with value");
    btnCopy = button("btnCopy", "Copy Block", "Copy from one block of addresses to another");
    connect(btnReadOne, &QPushButton::clicked, this, guarded(this, &TMemoryForm::btnReadOneClick));
    connect(btnRead, &QPushButton::clicked, this, guarded(this, &TMemoryForm::btnReadClick));
    connect(btnWriteOne, &QPushButton::clicked, this, guarded(this, &TMemoryForm::btnWriteOneClick));
    connect(btnWrite, &QPushButton::clicked, this, guarded(this, &TMemoryForm::btnWriteClick));
    connect(btnVerify, &QPushButton::clicked, this, guarded(this, &TMemoryForm::btnVerifyClick));
    connect(btnFill, &QPushButton::clicked, this, guarded(this, &TMemoryForm::btnFillClick));
    connect(btnCopy, &QPushButton::clicked, this, guarded(this, &TMemoryForm::btnCopyClick));

    const bool large = isLarge();
    auto field = [this](const char* smallName, const char* largeName) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(isLarge() ? largeName : smallName));
        e->setMaximumWidth(60);
        e->setValidator(new CharValidator(CharValidator::Kind::Upper, e));
        return e;
    };
    edtFillFrom = field("edtFrom", "edtFillFrom");
    edtFillTo = field("edtTo", "edtFillTo");
    edtFillWith = field("edtPreset", "edtFillWith");
    edtCopyStart = field("edtStart", "edtCopyStart");
    edtCopyEnd = field("edtEnding", "edtCopyEnd");
    edtTargetStart = field("edtTarget", "edtTargetStart");
    edtTargetEnd = field("edtEndTarget", "edtTargetEnd");
    edtTargetEnd->setReadOnly(true);
    limitTyping(edtFillWith, 2);
    (void)large;

    lblDeviceSize = new QLabel(this);
    lblDeviceSize->setObjectName(QStringLiteral("lblDeviceSize"));
    cmbAddress = new QComboBox(this);
    cmbAddress->setObjectName(QStringLiteral("cmbAddress"));
    // The large RAM window takes its address from the list only.
    cmbAddress->setEditable(m_kind != tp::MemoryKind::LargeRam);
    if (isEeprom()) {
        cmbPageSize = new QComboBox(this);
        cmbPageSize->setObjectName(QStringLiteral("cmbPageSize"));
        for (const std::string& p : tp::pageSizeChoices(m_kind))
            cmbPageSize->addItem(qs(p));
        spnWriteTime = new QSpinBox(this);
        spnWriteTime->setObjectName(QStringLiteral("spnWriteTime"));
        spnWriteTime->setRange(0, 65535); // all a .mem file can hold
        spnWriteTime->setValue(10);
        spnWriteTime->setSuffix(QStringLiteral(" ms"));
    }
    lblWordAddress = new QLabel(this);
    lblWordAddress->setObjectName(QStringLiteral("lblWordAddress"));
}

void TMemoryForm::applyLayout()
{
    const tp::MemoryLayout& l = tp::memoryLayout(m_image.size());
    setWindowTitle(qs(tp::memoryCaption(m_image.size(), m_kind)));
    lblDeviceSize->setText(QString::number(m_image.size()));
    const auto& choices = l.addressChoices.empty() ? tp::defaultAddressChoices() : l.addressChoices;
    for (const std::string& a : choices)
        cmbAddress->addItem(qs(a));
    cmbAddress->setCurrentIndex(0);
    if (cmbPageSize)
        cmbPageSize->setCurrentText(QString::number(l.eepromPageSize));
    lblWordAddress->setText(qs(l.addressLabel));
    for (QLineEdit* e : {edtFillFrom, edtFillTo, edtCopyStart, edtTargetStart, edtTargetEnd})
        limitTyping(e, l.digits);
    limitTyping(edtCopyEnd, l.copyEndDigits);
    edtFillFrom->setText(qs(l.fillFrom));
    edtFillTo->setText(qs(l.fillTo));
    edtFillWith->setText(QStringLiteral("FF"));
    edtCopyStart->setText(qs(l.copyStart));
    edtCopyEnd->setText(qs(l.copyEnd));
    edtTargetStart->setText(qs(l.targetStart));
    edtTargetEnd->setText(qs(l.targetEnd));

    // Left: device setup, transfers, fill and copy; right: the two grids.
    auto* left = new QVBoxLayout;
    auto* setup = new QGroupBox(QStringLiteral("Device Setup"), this);
    setup->setObjectName(QStringLiteral("InspectorBar"));
    auto* form = new QFormLayout(setup);
    for (QWidget* item : {static_cast<QWidget*>(cmbAddress), static_cast<QWidget*>(cmbPageSize),
                          static_cast<QWidget*>(spnWriteTime)})
        if (item)
            item->setMaximumWidth(96);
    form->addRow(QStringLiteral("Device Size"), lblDeviceSize);
    form->addRow(QStringLiteral("Address"), cmbAddress);
    if (cmbPageSize) {
        form->addRow(QStringLiteral("Page Size"), cmbPageSize);
        form->addRow(QStringLiteral("Write Time"), spnWriteTime);
    }
    left->addWidget(setup);
    auto* addr = new QHBoxLayout;
    addr->addWidget(new QLabel(QStringLiteral("Byte Address=0x"), this));
    addr->addWidget(lblWordAddress);
    addr->addStretch();
    left->addLayout(addr);
    for (QPushButton* b : {btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify})
        left->addWidget(b);

    auto* fill = new QGroupBox(this);
    auto* fg = new QGridLayout(fill);
    fg->addWidget(new QLabel(QStringLiteral(" Fill from"), fill), 0, 0);
    fg->addWidget(edtFillFrom, 0, 1);
    fg->addWidget(new QLabel(QStringLiteral(" Fill to"), fill), 1, 0);
    fg->addWidget(edtFillTo, 1, 1);
    fg->addWidget(new QLabel(QStringLiteral(" Fill with"), fill), 2, 0);
    fg->addWidget(edtFillWith, 2, 1);
    fg->addWidget(btnFill, 3, 0, 1, 2);
    left->addWidget(fill);

    auto* copy = new QGroupBox(this);
    auto* cg = new QGridLayout(copy);
    cg->addWidget(new QLabel(QStringLiteral("Copy from"), copy), 0, 0);
    cg->addWidget(edtCopyStart, 0, 1);
    cg->addWidget(edtCopyEnd, 0, 2);
    cg->addWidget(new QLabel(QStringLiteral("Copy to"), copy), 1, 0);
    cg->addWidget(edtTargetStart, 1, 1);
    cg->addWidget(edtTargetEnd, 1, 2);
    cg->addWidget(btnCopy, 2, 0, 1, 3);
    left->addWidget(copy);
    left->addStretch();

    auto* leftPanel = new QWidget(this);
    leftPanel->setObjectName(QStringLiteral("pnlSetup"));
    leftPanel->setLayout(left);
    left->setContentsMargins(0, 0, 0, 0);
    leftPanel->setFixedWidth(std::max(190, leftPanel->minimumSizeHint().width()));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 6, 6, 6);
    row->addWidget(leftPanel);
    stgMemory->setFixedWidth(stgMemory->naturalWidth());
    // The ASCII grid makes way in a narrow window (see resizeEvent).
    stgText->setMaximumWidth(stgText->naturalWidth());
    stgText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    row->addWidget(stgMemory);
    row->addWidget(stgText, 1000); // takes the room first, up to its width
    row->addStretch(1);

    // Tab as the eye reads: the setup, the buttons, fill, copy, the grids.
    QList<QWidget*> order{cmbAddress};
    if (cmbPageSize)
        order << cmbPageSize << spnWriteTime;
    order << btnReadOne << btnRead << btnWriteOne << btnWrite << btnVerify << edtFillFrom << edtFillTo
          << edtFillWith << btnFill << edtCopyStart << edtCopyEnd << edtTargetStart << edtTargetEnd << btnCopy
          << stgMemory << stgText;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    onExit(edtFillWith, [this] { edtPresetExit(); });
    onExit(edtCopyStart, [this] { edtStartExit(); });
    onExit(edtCopyEnd, [this] { edtEndingExit(); });
    onExit(edtTargetStart, [this] { edtTargetExit(); });
}

void TMemoryForm::resizeEvent(QResizeEvent* event)
{
    TChildForm::resizeEvent(event);
    guard([this] {
        // Shown whole or not at all: a window tiled beside another keeps the
        // setup and the hex grid, and the ASCII grid comes back with room.
        const QMargins m = layout()->contentsMargins();
        const int spacing = layout()->spacing();
        const int needed = m.left() + m.right() + findChild<QWidget*>(QStringLiteral("pnlSetup"))->width() +
                           stgMemory->width() + stgText->naturalWidth() + 2 * spacing;
        stgText->setVisible(width() >= needed);
    });
}

void TMemoryForm::buildMenus()
{
    QMenu* file = addChildMenu(isLarge() ? QStringLiteral("File") : QStringLiteral("&File"), QStringLiteral("mnuFile"));
    file->addAction(QStringLiteral("Open"), this, guarded(this, &TMemoryForm::mnuOpenClick))
        ->setObjectName(QStringLiteral("mnuOpen"));
    QAction* saveAs =
        file->addAction(QStringLiteral("Save As..."), this, guarded(this, &TMemoryForm::mnuSaveAsClick));
    saveAs->setObjectName(isLarge() ? QStringLiteral("mnuEESaveAs") : QStringLiteral("mnuSaveAs"));
    if (!isLarge()) {
        file->addAction(QStringLiteral("Checkerboard"), this,
                        guarded(this, &TMemoryForm::mnuCheckerBoardClick))
            ->setObjectName(QStringLiteral("mnuCheckerBoard"));
        file->addAction(QStringLiteral("Inverted Checkerboard"), this,
                        guarded(this, &TMemoryForm::mnuInvCheckerBoardClick))
            ->setObjectName(QStringLiteral("mnuInvCheckerBoard"));
    }
    file->addAction(QStringLiteral("Close"), this, guarded(this, &TMemoryForm::mnuCloseClick))
        ->setObjectName(QStringLiteral("mnuClose"));
    file->addAction(QStringLiteral("Close All"), this, guarded(this, &TMemoryForm::mnuCloseAllOwn))
        ->setObjectName(QStringLiteral("mnuCloseAll"));
    file->addAction(QStringLiteral("E&xit"), this, guarded(this, &TMemoryForm::mnuExitClick))
        ->setObjectName(QStringLiteral("mnuExit"));

    QMenu* edit = addChildMenu(QStringLiteral("Edit"), QStringLiteral("mnuEdit"));
    if (isLarge()) {
        edit->addAction(QStringLiteral("Go To Byte ..."), this, guarded(this, &TMemoryForm::mnuGotoClick))
            ->setObjectName(QStringLiteral("mnuGoto"));
        edit->addAction(QStringLiteral("Fill with Checkerboard Pattern"), this,
                        guarded(this, &TMemoryForm::mnuCheckerBoardClick))
            ->setObjectName(QStringLiteral("mnuCheckerboard"));
        edit->addAction(QStringLiteral("Fill with Inverted Checkerboard Pattern"), this,
                        guarded(this, &TMemoryForm::mnuInvCheckerBoardClick))
            ->setObjectName(QStringLiteral("mnuInvCheckerboard"));
    } else {
        // Present in the small windows' menu, without an action there.
        edit->addAction(QStringLiteral("Go To ..."))->setObjectName(QStringLiteral("mnuGoto"));
    }
}

void TMemoryForm::connectCopyFields()
{
    // After the starting texts, so presetting them runs no validation.
    connect(edtCopyStart, &QLineEdit::textChanged, this, guarded(this, &TMemoryForm::edtStartChange));
    connect(edtCopyEnd, &QLineEdit::textChanged, this, guarded(this, &TMemoryForm::edtEndingChange));
    connect(edtTargetStart, &QLineEdit::textChanged, this, guarded(this, &TMemoryForm::edtTargetChange));
}

void TMemoryForm::FormActivate()
{
    if (maximiseOnActivate()) {
        TChildForm::FormActivate();
        return;
    }
    main().showStatus(tp::blankMessage(blankAlign()));
}

void TMemoryForm::mnuCloseAllOwn()
{
    // The large windows once destroyed the others without asking, losing
    // unsaved work elsewhere; every window now gets its say.
    main().closeAllChildren();
    const bool centred = m_kind != tp::MemoryKind::SmallEeprom;
    main().showStatus(tp::blankMessage(centred ? tp::Align::Centre : tp::Align::Left));
}

// ------------------------------------------------------------------ image editing

void TMemoryForm::refresh(tp::CellRange range)
{
    m_hexModel->cellsChanged(range);
    m_asciiModel->cellsChanged(range);
}

void TMemoryForm::show(const std::optional<tp::Notice>& notice)
{
    if (!notice)
        return;
    const QString text = qs(notice->text);
    switch (notice->kind) {
    case tp::Notice::Kind::Warning:
        Dialogs::instance().warning(this, QStringLiteral("Warning"), text);
        break;
    case tp::Notice::Kind::Error:
        Dialogs::instance().error(this, QStringLiteral("Error"), text);
        break;
    case tp::Notice::Kind::Message:
        Dialogs::instance().information(this, QStringLiteral("Tallyport"), text);
        break;
    }
}

void TMemoryForm::setFieldQuietly(QLineEdit* field, const std::string& text)
{
    QSignalBlocker block(field);
    field->setText(qs(text));
}

void TMemoryForm::DisplayData(std::size_t firstRow, std::span<const std::uint8_t> bytes)
{
    refresh(m_image.display((firstRow - 1) * 16, bytes));
}

void TMemoryForm::btnFillClick()
{
    tp::FillResult r = tp::MemoryFill::fill(m_image, ss(edtFillFrom->text()), ss(edtFillTo->text()),
                                            ss(edtFillWith->text()));
    show(r.notice);
    if (r.fillToText)
        edtFillTo->setText(qs(*r.fillToText));
    refresh(r.changed);
}

void TMemoryForm::edtPresetExit()
{
    edtFillWith->setText(qs(tp::MemoryFill::fillValueExit(ss(edtFillWith->text()))));
}

void TMemoryForm::mnuCheckerBoardClick()
{
    refresh(tp::MemoryFill::checkerboard(m_image, false, !isLarge()));
}

void TMemoryForm::mnuInvCheckerBoardClick()
{
    refresh(tp::MemoryFill::checkerboard(m_image, true, !isLarge()));
}

tp::CopyFields TMemoryForm::copyFields() const
{
    return {ss(edtCopyStart->text()), ss(edtCopyEnd->text()), ss(edtTargetStart->text()),
            ss(edtTargetEnd->text())};
}

namespace {
void apply(TMemoryForm& w, QLineEdit* changed, const tp::CopyFieldUpdate& u,
           const std::function<void(QLineEdit*, const std::string&)>& quiet)
{
    if (u.fieldText)
        quiet(changed, *u.fieldText);
    if (u.targetEndText)
        w.edtTargetEnd->setText(QString::fromStdString(*u.targetEndText));
}
} // namespace

void TMemoryForm::edtStartChange()
{
    tp::CopyFieldUpdate u = tp::BlockCopy::startChanged(copyFields(), m_image.size(), tp::addressDigits(m_kind));
    show(u.notice);
    apply(*this, edtCopyStart, u, [this](QLineEdit* f, const std::string& t) { setFieldQuietly(f, t); });
}

void TMemoryForm::edtEndingChange()
{
    tp::CopyFieldUpdate u = tp::BlockCopy::endChanged(copyFields(), m_image.size(), tp::addressDigits(m_kind));
    show(u.notice);
    apply(*this, edtCopyEnd, u, [this](QLineEdit* f, const std::string& t) { setFieldQuietly(f, t); });
}

void TMemoryForm::edtTargetChange()
{
    tp::CopyFieldUpdate u = tp::BlockCopy::targetChanged(copyFields(), m_image.size(), tp::addressDigits(m_kind));
    show(u.notice);
    apply(*this, edtTargetStart, u, [this](QLineEdit* f, const std::string& t) { setFieldQuietly(f, t); });
}

void TMemoryForm::edtStartExit()
{
    const QString t = qs(tp::BlockCopy::startExit(ss(edtCopyStart->text()), tp::addressDigits(m_kind)));
    if (t != edtCopyStart->text())
        edtCopyStart->setText(t);
}

void TMemoryForm::edtTargetExit()
{
    const QString t = qs(tp::BlockCopy::startExit(ss(edtTargetStart->text()), tp::addressDigits(m_kind)));
    if (t != edtTargetStart->text())
        edtTargetStart->setText(t);
}

void TMemoryForm::edtEndingExit()
{
    tp::CopyFieldExit x = tp::BlockCopy::endExit(copyFields());
    show(x.notice);
    if (qs(x.text) != edtCopyEnd->text())
        edtCopyEnd->setText(qs(x.text));
}

void TMemoryForm::btnCopyClick()
{
    tp::CopyResult r = tp::BlockCopy::copy(m_image, copyFields());
    show(r.notice);
    refresh(r.changed);
}

void TMemoryForm::goToAddress(std::size_t address)
{
    stgMemory->goToAddress(address);
    stgMemory->setFocus();
}

void TMemoryForm::mnuGotoClick()
{
    TfrmGoTo::open(*this);
}
