#include "gui/universal/Longi2c.h"
#include "core/common/BusAddress.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "gui/app/RecentFileStore.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Dialogs.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/KeyFilter.h"
#include "gui/universal/Bits.h"
#include "gui/universal/Definition.h"
#include "gui/universal/RegisterGridModel.h"
#include "gui/universal/RegisterGridView.h"
#include "gui/universal/Slider.h"
#include "gui/universal/Spinner.h"
#include "gui/universal/editcell.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

using namespace tp::userdev;

namespace {
const char* const kCannotEdit = "Cannot edit an undefined cell";
} // namespace

TfrmLongI2C::TfrmLongI2C(TfrmMain& main)
    : TChildForm(main, QString::fromLatin1(kWindowClass)), m_recent(readRecentFiles()),
      m_link(*this, QString::fromLatin1(kChipType))
{
    setWindowTitle(QString::fromLatin1(kFirstCaption));
    // The address the field shows is the one every transfer uses.
    m_link.setAddress(m_device.address());

    buildMenus();
    buildGrid();
    // One column as wide as the grid; the window's spare room stays beside it.
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    column->addWidget(buildControls());
    column->addWidget(pnlRegister);
    column->addWidget(stgMemory, 1);
    column->addStretch(0);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(column);
    layout->addStretch(1);
    setTabOrder(edtAddress, btnWriteOne);
    setTabOrder(btnWriteOne, btnReadOne);
    setTabOrder(btnReadOne, btnWrite);
    setTabOrder(btnWrite, btnRead);
    setTabOrder(btnRead, chbOneAtATime);
    setTabOrder(chbOneAtATime, btnSlider);
    setTabOrder(btnSlider, btnSpin);
    setTabOrder(btnSpin, btnBits);
    setTabOrder(btnBits, stgMemory);

    new HexKeyFilter(this);
    refreshRecentMenu();
    stgMemory->setCurrentIndex(m_model->indexOf(0));
    showRegisterPanel();
    connect(stgMemory->selectionModel(), &QItemSelectionModel::currentChanged, this,
            guarded(this, &TfrmLongI2C::stgMemorySelectCell));
    connect(stgMemory, &RegisterGridView::editStarted, this, guarded([this] { m_device.setModified(true); }));
    connect(edtAddress, &HexField::completed, this, guarded(this, &TfrmLongI2C::edtAddressChange));
    connect(edtAddress, &HexField::exited, this, guarded(this, &TfrmLongI2C::edtAddressExit));
}

TfrmLongI2C::~TfrmLongI2C()
{
    if (m_recent.changed())
        writeRecentFiles(m_recent.paths());
}

// ------------------------------------------------------------------ building

void TfrmLongI2C::buildMenus()
{
    auto add = [this](QMenu* menu, const char* name, const QString& text, void (TfrmLongI2C::*slot)(),
                      QKeySequence key = {}) {
        QAction* a = menu->addAction(text, this, guarded(this, slot));
        a->setObjectName(QString::fromLatin1(name));
        if (!key.isEmpty()) {
            a->setShortcut(key);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a); // the menu merges into the frame only while active
        }
        return a;
    };

    mnuFile = addChildMenu(tr("&File"), QStringLiteral("mnuFile"));
    m_lockedWhileEditing
        << add(mnuFile, "mnuDefineNew", tr("Define New Device"), &TfrmLongI2C::mnuDefineNewClick)
        << add(mnuFile, "mnuOpen", tr("Open Device Definition File"), &TfrmLongI2C::mnuOpenClick,
               QKeySequence(Qt::CTRL | Qt::Key_O))
        << add(mnuFile, "mnuSave", tr("Save"), &TfrmLongI2C::mnuSaveClick, QKeySequence(Qt::CTRL | Qt::Key_S))
        << add(mnuFile, "mnuSaveAs", tr("Save As..."), &TfrmLongI2C::mnuSaveAsClick)
        << add(mnuFile, "mnuSaveText", tr("Save Registers in text format"), &TfrmLongI2C::mnuSaveTextClick)
        << add(mnuFile, "mnuPrint", tr("Print Device Data"), &TfrmLongI2C::mnuPrintClick,
               QKeySequence(Qt::CTRL | Qt::Key_P))
        << add(mnuFile, "mnuClose", tr("Close"), &TfrmLongI2C::mnuCloseClick)
        << add(mnuFile, "mnuCloseAll", tr("Close All"), &TfrmLongI2C::mnuCloseAllClick);
    mnuFile->addSeparator();
    m_lockedWhileEditing << add(mnuFile, "mnuExit", tr("E&xit"), &TfrmLongI2C::mnuExitClick);
    mnuRecentSeparator = mnuFile->addSeparator();
    mnuRecentSeparator->setObjectName(QStringLiteral("mnuRecentSeparator"));
    for (int i = 1; i <= int(tp::RecentFiles::kMax); ++i) {
        QAction* a = mnuFile->addAction(QString());
        a->setObjectName(QStringLiteral("mnuRecent%1").arg(i));
        connect(a, &QAction::triggered, this, guarded([this, a] { openRecent(a->data().toString()); }));
        mnuRecent << a;
        m_lockedWhileEditing << a;
    }

    mnuEdit = addChildMenu(tr("Edit"), QStringLiteral("mnuEdit"));
    m_lockedWhileEditing << add(mnuEdit, "mnuCurrentDevice", tr("Current Device"),
                                &TfrmLongI2C::mnuCurrentDeviceClick)
                         << add(mnuEdit, "mnuCurrentRegister", tr("Current Register"),
                                &TfrmLongI2C::mnuCurrentRegisterClick)
                         << add(mnuEdit, "mnuResetGrid", tr("Reset Grid"), &TfrmLongI2C::mnuResetGridClick);

    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    add(mnuPopup, "mnuPopupSlider", tr("Use Slider to Change Active Register"), &TfrmLongI2C::btnSliderClick);
    add(mnuPopup, "mnuPopupBits", tr("Use Bit Control to Change Active Register"),
        &TfrmLongI2C::btnBitsClick);
    add(mnuPopup, "mnuPopupSpin", tr("Increment/Decrement Active Register Spin Control"),
        &TfrmLongI2C::btnSpinClick);
    m_lockedWhileEditing << add(mnuPopup, "mnuPopupDevice", tr("Edit Current Device Data"),
                                &TfrmLongI2C::mnuCurrentDeviceClick)
                         << add(mnuPopup, "mnuPopupRegister", tr("Edit Current Register"),
                                &TfrmLongI2C::mnuCurrentRegisterClick);
}

QWidget* TfrmLongI2C::buildControls()
{
    auto* grbAddress = new QGroupBox(tr("Address (hex)"));
    grbAddress->setObjectName(QStringLiteral("grbAddress"));
    grbAddress->setToolTip(tr("Device Address"));
    edtAddress = new HexField(QStringLiteral("edtAddress"), QStringLiteral("A0"));
    edtAddress->setToolTip(tr("Enter the device write address (even number)"));
    auto* addressLayout = new QHBoxLayout(grbAddress);
    addressLayout->addWidget(edtAddress);

    auto button = [this](const char* name, const QString& text, const QString& hint,
                         void (TfrmLongI2C::*slot)()) {
        auto* b = new QPushButton(text);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        connect(b, &QPushButton::clicked, this, guarded(this, slot));
        return b;
    };
    btnWriteOne =
        button("btnWriteOne", tr("Write B&yte"), tr("Write to one register"), &TfrmLongI2C::btnWriteOneClick);
    btnReadOne =
        button("btnReadOne", tr("Read &Byte"), tr("Read one register"), &TfrmLongI2C::btnReadOneClick);
    btnWrite =
        button("btnWrite", tr("&Write All"), tr("Write to all registers"), &TfrmLongI2C::btnWriteClick);
    btnRead = button("btnRead", tr("&Read All"), tr("Read entire EEPROM"), &TfrmLongI2C::btnReadClick);
    chbOneAtATime = new QCheckBox(tr("Byte Mode"));
    chbOneAtATime->setObjectName(QStringLiteral("chbOneAtATime"));
    chbOneAtATime->setToolTip(tr("Send one byte per Start/Stop"));
    auto* transfers = new QGridLayout;
    transfers->addWidget(btnWriteOne, 0, 0);
    transfers->addWidget(btnReadOne, 0, 1);
    transfers->addWidget(btnWrite, 1, 0);
    transfers->addWidget(btnRead, 1, 1);
    transfers->addWidget(chbOneAtATime, 2, 0, 1, 2);

    auto* grbCreate = new QGroupBox(tr("Create Control"));
    grbCreate->setObjectName(QStringLiteral("grbCreateControl"));
    btnSlider = button("btnSlider", tr("Slider Control"), tr("Create slider control for current register"),
                       &TfrmLongI2C::btnSliderClick);
    btnSpin = button("btnSpin", tr("Spin Control"), tr("Create slider control for current register"),
                     &TfrmLongI2C::btnSpinClick);
    btnBits = button("btnBits", tr("Bit Control"), tr("Create Bit Control for current register"),
                     &TfrmLongI2C::btnBitsClick);
    auto* createLayout = new QVBoxLayout(grbCreate);
    createLayout->setSpacing(2);
    createLayout->addWidget(btnSlider);
    createLayout->addWidget(btnSpin);
    createLayout->addWidget(btnBits);

    auto* panel = new QWidget;
    panel->setObjectName(QStringLiteral("pnlControls"));
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(grbAddress, 0, Qt::AlignTop);
    row->addSpacing(6);
    row->addLayout(transfers);
    row->addSpacing(6);
    row->addWidget(grbCreate, 0, Qt::AlignTop);
    row->addStretch(1);

    pnlRegister = new QLabel;
    pnlRegister->setObjectName(QStringLiteral("pnlRegister"));
    pnlRegister->setToolTip(tr("Address and name of active register"));
    pnlRegister->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlRegister->setMargin(3);
    pnlRegister->setTextFormat(Qt::PlainText);
    pnlRegister->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return panel;
}

void TfrmLongI2C::buildGrid()
{
    m_model = new RegisterGridModel(m_device, this);
    stgMemory = new RegisterGridView(m_model);
    stgMemory->setObjectName(QStringLiteral("stgMemory"));
    stgMemory->setFixedWidth(stgMemory->naturalWidth());
    fitGridHeight();
    stgMemory->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(stgMemory, &QWidget::customContextMenuRequested, this, guarded([this](const QPoint& pos) {
                const QModelIndex at = stgMemory->indexAt(pos);
                if (at.isValid())
                    stgMemory->setCurrentIndex(at);
                mnuPopup->popup(stgMemory->viewport()->mapToGlobal(pos));
            }));
}

// ------------------------------------------------------------------ state

void TfrmLongI2C::fitGridHeight()
{
    // As high as its rows (it scrolls when the window is lower).
    const int rows = m_device.rowCount();
    stgMemory->setMaximumHeight(stgMemory->naturalHeight(rows));
    stgMemory->setMinimumHeight(stgMemory->naturalHeight(std::min(rows, 4)));
}

void TfrmLongI2C::FormActivate()
{
    TChildForm::FormActivate();
    main().showStatus(tp::blankMessage(tp::Align::Centre));
}

int TfrmLongI2C::currentRegister() const
{
    const QModelIndex i = stgMemory->currentIndex();
    return i.isValid() ? RegisterGridModel::registerOf(i) : 0;
}

void TfrmLongI2C::selectRegister(int reg)
{
    if (reg / kColumns < m_model->rowCount())
        stgMemory->setCurrentIndex(m_model->indexOf(reg));
}

void TfrmLongI2C::stgMemorySelectCell()
{
    showRegisterPanel();
}

void TfrmLongI2C::showRegisterPanel()
{
    pnlRegister->setText(QString::fromStdString(m_device.panelText(currentRegister())));
}

void TfrmLongI2C::setCaption(const QString& caption)
{
    m_device.setName(caption.toStdString());
    setWindowTitle(caption);
}

void TfrmLongI2C::setAddress(std::uint8_t address)
{
    m_device.setAddress(address);
    m_link.setAddress(m_device.address());
    edtAddress->setValue(m_device.address());
    showAddressState();
}

void TfrmLongI2C::showAddressState()
{
    const std::uint8_t a = m_device.address();
    edtAddress->setInvalidReason(tp::isGeneralCall(a) ? QString::fromStdString(tp::generalCallRefusal(a))
                                                      : QString());
}

bool TfrmLongI2C::addressCleared()
{
    const std::uint8_t a = m_device.address();
    tp::Status refused = tp::status::Success;
    if (tp::isGeneralCall(a)) {
        refused = adapter().decline(tp::generalCallRefusal(a));
    } else if (tp::isReservedAddress(a) && !m_confirmedReserved.contains(a)) {
        const auto answer = Dialogs::instance().confirm(
            this, tr("Confirm"), QString::fromStdString(tp::reservedAddressQuestion(a)), Dialogs::Buttons::YesNo);
        if (answer == Dialogs::Answer::Yes)
            m_confirmedReserved << a;
        else
            refused = adapter().decline("Not sent: " + tp::addressWithSevenBit(a) + " is a reserved address");
    }
    if (refused == tp::status::Success)
        return true;
    context().status = refused;
    m_link.showStatus(refused);
    return false;
}

void TfrmLongI2C::explainAddress(const QString& source, bool named)
{
    const QString address = QString::fromStdString(tp::byteText(m_device.address()));
    if (!named)
        Dialogs::instance().information(this, QStringLiteral("Tallyport"),
                                        tr("%1 names no device address: the window keeps address %2.")
                                            .arg(source, address));
    else if (tp::isGeneralCall(m_device.address()))
        Dialogs::instance().warning(this, QStringLiteral("Tallyport"),
                                    tr("%1 names address %2, the general call address, which every chip on the "
                                       "bus may obey. Nothing is sent until you enter the device's own address.")
                                        .arg(source, address));
}

void TfrmLongI2C::edtAddressChange(quint8 value)
{
    // "A1" shows "A0": a write address is even.
    setAddress(value);
}

void TfrmLongI2C::edtAddressExit()
{
    if (edtAddress->text().isEmpty())
        throw tp::InvalidNumber("$");
    edtAddress->applyExit(tp::HexExit::LeadingZero);
}

// ------------------------------------------------------------------ editors

TfrmDefine* TfrmLongI2C::definitionWindow() const
{
    return m_define.data();
}

TfrmEditCell* TfrmLongI2C::editCellDialog() const
{
    return m_editCell.data();
}

QList<TRegisterControl*> TfrmLongI2C::registerControls() const
{
    QList<TRegisterControl*> out;
    for (const QPointer<TRegisterControl>& c : m_controls)
        if (c)
            out << c.data();
    return out;
}

bool TfrmLongI2C::refuseUndefined(int reg)
{
    if (m_device.isDefined(reg))
        return false;
    Dialogs::instance().information(this, QStringLiteral("Tallyport"), tr(kCannotEdit));
    return true;
}

template <class Control> void TfrmLongI2C::openControl()
{
    stgMemory->finishEdit();
    const int reg = currentRegister();
    if (refuseUndefined(reg))
        return;
    m_controls.removeAll(nullptr);
    auto* c = new Control(*this, reg);
    c->adjustSize();
    // In a row leftwards from the frame's right edge, so that they do not
    // hide each other; a new row when the left half is reached.
    const QRect frame = main().frameGeometry();
    QPoint at(frame.right() - c->width() - 40, frame.top() + 120);
    if (!m_controls.isEmpty() && m_controls.last()) {
        const QRect last = m_controls.last()->frameGeometry();
        at = QPoint(last.left() - c->width() - 16, last.top());
        if (at.x() < frame.center().x()) {
            int bottom = last.bottom();
            for (TRegisterControl* open : registerControls())
                bottom = std::max(bottom, open->frameGeometry().bottom());
            at = QPoint(frame.right() - c->width() - 40, bottom + 16);
        }
        if (at.y() + c->height() > frame.bottom())
            at.setY(frame.top() + 120);
    }
    c->move(at);
    m_controls << c;
    c->show();
    c->raise();
    c->activateWindow();
}

void TfrmLongI2C::btnSliderClick()
{
    openControl<TfrmSlider>();
}

void TfrmLongI2C::btnSpinClick()
{
    openControl<TfrmSpin>();
}

void TfrmLongI2C::btnBitsClick()
{
    openControl<TfrmBits>();
}

void TfrmLongI2C::registerControlChanged(int reg, std::uint8_t value, bool autoWrite)
{
    if (refuseUndefined(reg))
        return;
    selectRegister(reg);
    const bool changed = m_device.valueText(reg) != tp::byteText(value);
    m_device.setValue(reg, value);
    if (changed)
        m_model->registerChanged(reg);
    if (autoWrite)
        writeRegister(reg);
    m_device.setModified(true);
}

void TfrmLongI2C::mnuCurrentRegisterClick()
{
    stgMemory->finishEdit();
    const int reg = currentRegister();
    if (refuseUndefined(reg))
        return;
    if (m_editCell)
        m_editCell->close();
    m_editCell = new TfrmEditCell(*this, reg);
    connect(m_editCell, &QDialog::finished, this, guarded(this, &TfrmLongI2C::editorWindowsChanged));
    m_editCell->show();
    m_editCell->raise();
    m_editCell->activateWindow();
    editorWindowsChanged();
}

void TfrmLongI2C::editCellAccepted(int reg, const QString& value, const QString& name)
{
    // Bound to its register: another cell selected meanwhile is not touched.
    if (refuseUndefined(reg))
        return;
    tp::hexToInt(value.toStdString()); // a pasted non-hex text stops here
    m_device.setValueText(reg, value.toStdString());
    m_device.setRegisterName(reg, name.toStdString());
    m_model->registerChanged(reg);
    showRegisterPanel();
    m_device.setModified(true);
}

void TfrmLongI2C::mnuDefineNewClick()
{
    stgMemory->finishEdit();
    if (!m_define)
        m_define = new TfrmDefine(*this);
    m_define->showNew();
}

void TfrmLongI2C::mnuCurrentDeviceClick()
{
    stgMemory->finishEdit();
    if (!m_define)
        m_define = new TfrmDefine(*this);
    m_define->showEdit();
}

void TfrmLongI2C::definitionAccepted(const Definition& definition, const QString& addressText, bool newDevice)
{
    Definition d = definition;
    // An edited device is still the file it came from, written back as it was read.
    if (!newDevice)
        d.encoding = m_device.encoding();
    m_device.define(d, Shade::Grey);
    setCaption(QString::fromStdString(definition.name));
    edtAddress->setText(addressText); // and so the address byte
    explainAddress(tr("The definition"), true);
    if (newDevice) {
        // A new device is not the file opened before: Save must ask for a name.
        m_device.setCurrentFile({});
    }
    m_model->reload();
    fitGridHeight();
    showRegisterPanel();
    editorsFollowDevice();
    m_device.setModified(true);
}

void TfrmLongI2C::editorWindowsChanged()
{
    // The File and Edit menus rest while the definition window or the value
    // dialog holds an edit of the device.
    const bool editing = (m_define && m_define->isVisible()) || (m_editCell && m_editCell->isVisible());
    mnuFile->menuAction()->setEnabled(!editing);
    mnuEdit->menuAction()->setEnabled(!editing);
    for (QAction* a : std::as_const(m_lockedWhileEditing))
        a->setEnabled(!editing);
}

void TfrmLongI2C::closeAllEditors()
{
    for (TRegisterControl* c : registerControls())
        c->close();
    m_controls.clear();
    if (m_editCell)
        m_editCell->close();
}

void TfrmLongI2C::editorsFollowDevice()
{
    for (TRegisterControl* c : registerControls()) {
        if (m_device.isDefined(c->registerIndex()))
            c->reload();
        else
            c->close();
    }
    if (m_editCell && !m_device.isDefined(m_editCell->registerIndex()))
        m_editCell->close();
}

void TfrmLongI2C::mnuResetGridClick()
{
    const auto answer = Dialogs::instance().confirm(
        this, tr("Confirm"), tr("Are you sure you want to reset the grid?"), Dialogs::Buttons::YesNo);
    if (answer != Dialogs::Answer::Yes)
        return;
    stgMemory->finishEdit();
    closeAllEditors();
    m_device.reset(kUnknownDevice);
    setAddress(m_device.address());
    setWindowTitle(QString::fromLatin1(kUnknownDevice));
    m_model->reload();
    fitGridHeight();
    showRegisterPanel();
    m_recent = tp::RecentFiles(readRecentFiles());
    refreshRecentMenu();
}

void TfrmLongI2C::closeEvent(QCloseEvent* event)
{
    // Refused until settled: a save that did not happen keeps the window.
    event->ignore();
    guard([&] {
        stgMemory->finishEdit();
        if (m_device.modified()) {
            if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
                main().mdiArea()->setActiveSubWindow(sub);
            const auto answer = Dialogs::instance().confirm(
                this, tr("Confirm"), tr("Would you like to save this device?"), Dialogs::Buttons::YesNo);
            if (answer == Dialogs::Answer::Yes && !save())
                return;
        }
        closeAllEditors();
        event->accept();
    });
}
