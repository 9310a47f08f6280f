#include "gui/memory/PTN3500.h"
#include "core/common/HexText.h"
#include "core/memory/ChipVerify.h"
#include "core/memory/MemoryBus.h"
#include "gui/common/BusProgress.h"
#include "core/memory/MemoryFill.h"
#include "gui/app/Catalogue.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/AutoWriteToggle.h"
#include "gui/common/BitBoxRow.h"
#include "gui/common/CharValidator.h"
#include "gui/common/ClickGuard.h"
#include "gui/common/Dialogs.h"
#include "gui/common/ExitFilter.h"
#include "gui/common/Guarded.h"
#include "gui/common/HexField.h"
#include "gui/common/KeyFilter.h"
#include "gui/common/LedToggle.h"
#include "gui/common/FlowLayout.h"
#include "gui/common/ScrollingContent.h"
#include "gui/memory/MemoryGridModel.h"
#include "gui/memory/MemoryGridView.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace pca9500 = tp::pca9500;

namespace {

// Only transfers that take a while show their progress.
constexpr int kProgressDelayMs = 500;

QString qs(const std::string& s)
{
    return QString::fromStdString(s);
}

QString byteText(unsigned v)
{
    return qs(tp::intToHex(v, 2));
}

// Setting a flag for as long as it lives.
struct Raise {
    bool& flag;
    bool was;
    explicit Raise(bool& f) : flag(f), was(f) { flag = true; }
    ~Raise() { flag = was; }
};

} // namespace

TfrmPTN3500::TfrmPTN3500(TfrmMain& main, QWidget* parent)
    : TChildForm(main, QStringLiteral("TfrmPTN3500"), parent), m_image(pca9500::kEepromSize),
      m_port(*this, qs(pca9500::portType(m_variant)), 1), m_saveTitle(QStringLiteral("Save As..."))
{
    setWindowTitle(tr("PCA9500 / PCA9501 System Maintenance and Control Devices"));
    // The window shows the addresses and write time it uses, and an earlier
    // window's unsaved flag does not carry over to this one.
    context().address[0] = pca9500::kEepromAddress;
    context().address[1] = pca9500::kIoAddress;
    settings() = Ptn3500Settings{};

    m_keys = new HexKeyFilter(this);
    m_keys->setBeepOnDiscard(true);
    buildMenu();

    // The port above; the EEPROM's controls and grid side by side, or the
    // grid below them in a narrow window.
    QWidget* content = addScrollingContent(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(6, 6, 6, 6);
    column->addWidget(buildPort(), 0, Qt::AlignLeft);
    auto* eeprom = new QWidget(content);
    eeprom->setObjectName(QStringLiteral("pnlEEPROM"));
    auto* flow = new FlowLayout(eeprom, 12);
    flow->addWidget(buildEepromControls());

    m_hexModel = new MemoryGridModel(m_image, MemoryGridModel::Mode::Hex, this);
    m_asciiModel = new MemoryGridModel(m_image, MemoryGridModel::Mode::Ascii, this);
    stgMemory = new MemoryGridView(m_hexModel, m_asciiModel, m_image, eeprom);
    stgMemory->setObjectName(QStringLiteral("stgMemory"));
    stgMemory->setReturnAdvances(true);
    stgMemory->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stgMemory->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    stgMemory->setFixedSize(stgMemory->naturalWidth() - stgMemory->style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                            stgMemory->horizontalHeader()->sizeHint().height() +
                                16 * stgMemory->verticalHeader()->defaultSectionSize() + 2 * stgMemory->frameWidth());
    stgMemory->installEventFilter(this);
    flow->addWidget(stgMemory);
    column->addWidget(eeprom);
    column->addStretch(1);

    connect(stgMemory, &QAbstractItemView::clicked, this, guarded(this, &TfrmPTN3500::stgMemoryClick));
    connect(m_hexModel, &MemoryGridModel::cellCommitted, this, guarded([this] { markModified(); }));
}

Ptn3500Settings& TfrmPTN3500::settings() const
{
    return main().state().programData<Ptn3500Settings>();
}

bool TfrmPTN3500::modified() const
{
    return settings().modified;
}

std::uint8_t TfrmPTN3500::eepromAddress() const
{
    return context().address[0];
}

std::uint8_t TfrmPTN3500::ioAddress() const
{
    return context().address[1];
}

unsigned TfrmPTN3500::writeTimeUs() const
{
    return settings().writeTimeUs;
}

void TfrmPTN3500::markModified()
{
    if (!m_loading)
        settings().modified = true;
}

void TfrmPTN3500::applyPreset(const CatalogueEntry& entry)
{
    TChildForm::applyPreset(entry);
    // The same window serves both chips; the bench models the one chosen.
    m_variant = entry.caption.startsWith(QLatin1String("PCA9500")) ? pca9500::Variant::Pca9500
                                                                    : pca9500::Variant::Pca9501;
    m_port.setChipType(qs(pca9500::portType(m_variant)));
}

bool TfrmPTN3500::selectAddress(std::uint8_t address, const CatalogueEntry&)
{
    HexField* field = address & 0x80 ? edtAddress : edtIOAddress;
    field->setValue(static_cast<std::uint8_t>(address & 0xFE));
    return true;
}

// ------------------------------------------------------------------ building

QPushButton* TfrmPTN3500::button(const char* name, const char* caption, const char* hint, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(QString::fromUtf8(hint));
    return b;
}

QWidget* TfrmPTN3500::buildPort()
{
    grbIO = new QGroupBox(tr("I/O Expander"), this);
    grbIO->setObjectName(QStringLiteral("grbIO"));
    grbIO->setToolTip(tr("Click 'LEDs' to change state of I/Os"));
    auto* v = new QVBoxLayout(grbIO);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Address (hex)"), grbIO));
    edtIOAddress = new HexField(QStringLiteral("edtIOAddress"), QStringLiteral("30"), grbIO);
    edtIOAddress->setToolTip(tr("Enter a hex value for the I/O Address"));
    top->addWidget(edtIOAddress);
    top->addSpacing(12);
    top->addWidget(new QLabel(tr("Port data"), grbIO));
    edtIO = new HexField(QStringLiteral("edtIO"), QStringLiteral("FF"), grbIO);
    edtIO->setToolTip(tr("Enter a hex value for the Port data"));
    top->addWidget(edtIO);
    top->addSpacing(12);
    btnIOWrite = button("btnIOWrite", "Write I/O", "Write to I/O port of device", grbIO);
    btnIORead = button("btnIORead", "Read I/O", "Read from I/O port of device", grbIO);
    top->addWidget(btnIOWrite);
    top->addWidget(btnIORead);
    top->addStretch(1);
    v->addLayout(top);

    auto* pins = new QWidget(grbIO);
    pins->setObjectName(QStringLiteral("pnlPins"));
    auto* row = new QHBoxLayout(pins);
    row->setContentsMargins(0, 0, 0, 0);
    QStringList names, captions;
    for (int b = 7; b >= 0; --b) {
        names << QStringLiteral("chbP%1").arg(b);
        captions << QStringLiteral("P%1").arg(b);
    }
    m_pins = new BitBoxRow(pins, BitBoxRow::fixedBoxes(names, captions), {BitBoxRow::Look::Led, tp::OneIs::Checked});
    m_pins->bind(edtIO);
    m_pins->setBusyWhileUpdating({grbIO});
    row->addSpacing(16);
    chbAuto = new LedToggle(QStringLiteral("chbAuto"), QString(), pins);
    chbAuto->setToolTip(tr("Click to turn Auto Write on (green)/off (red)"));
    chbAuto->setUnlitColour(QColor(0xC0, 0x20, 0x20));
    m_autoWrite = new AutoWriteToggle(chbAuto);
    m_port.setAutoWrite(m_autoWrite);
    row->addWidget(chbAuto);
    row->addStretch(1);
    v->addWidget(pins);

    connect(edtIO, &HexField::completed, this, guarded(this, &TfrmPTN3500::edtIOChange));
    connect(edtIO, &QLineEdit::textEdited, this, guarded([this] { markModified(); }));
    connect(m_pins, &BitBoxRow::bitClicked, this, guarded([this] { markModified(); }));
    onExit(edtIO, [this] {
        // An unfinished value would leave the field showing what the port does not hold.
        if (edtIO->text().isEmpty()) {
            const QSignalBlocker block(edtIO);
            edtIO->setValue(m_pins->shownValue());
        } else {
            edtIO->applyExit(tp::HexExit::LeadingZero);
        }
    });
    connect(btnIOWrite, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnIOWriteClick));
    connect(btnIORead, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnIOReadClick));
    connect(edtIOAddress, &HexField::completed, this, guarded(this, &TfrmPTN3500::edtIOAddressChange));
    connect(edtIOAddress, &QLineEdit::textEdited, this, guarded([this] { markModified(); }));
    onExit(edtIOAddress, [this] { addressFieldExit(edtIOAddress, ioAddress()); });
    return grbIO;
}

QWidget* TfrmPTN3500::buildEepromControls()
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("pnlEEPROMControls"));
    auto* v = new QVBoxLayout(panel);
    v->setContentsMargins(0, 0, 0, 0);

    auto* grbAddress = new QGroupBox(tr("EEPROM Address"), panel);
    grbAddress->setObjectName(QStringLiteral("grbAddress"));
    grbAddress->setToolTip(QStringLiteral("EEPROM I\u00B2C Address"));
    auto* a = new QHBoxLayout(grbAddress);
    edtAddress = new HexField(QStringLiteral("edtAddress"), QStringLiteral("B0"), grbAddress);
    a->addWidget(edtAddress);
    a->addStretch(1);
    v->addWidget(grbAddress);

    auto* grbWord = new QGroupBox(tr(" Word Address"), panel);
    grbWord->setObjectName(QStringLiteral("grbWord"));
    grbWord->setToolTip(tr("Physical EEPROM address of active cell"));
    auto* w = new QHBoxLayout(grbWord);
    lblWord = new QLabel(QStringLiteral("00h    0d"), grbWord);
    lblWord->setObjectName(QStringLiteral("lblWord"));
    lblWord->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("FFh     255dW")));
    w->addWidget(lblWord);
    v->addWidget(grbWord);

    auto* grbTime = new QGroupBox(tr(" Write Time (ms)"), panel);
    grbTime->setObjectName(QStringLiteral("grbWriteTime"));
    grbTime->setToolTip(tr("EEPROM Erase/Write Cycle Time (in milliseconds)"));
    auto* t = new QHBoxLayout(grbTime);
    spnCycleTime = new QSpinBox(grbTime);
    spnCycleTime->setObjectName(QStringLiteral("spnCycleTime"));
    spnCycleTime->setRange(0, int(pca9500::kMaxWriteTimeMs));
    spnCycleTime->setValue(int(pca9500::kWriteTimeMs));
    spnCycleTime->findChild<QLineEdit*>()->setReadOnly(true); // its arrows only
    t->addWidget(spnCycleTime);
    t->addStretch(1);
    v->addWidget(grbTime);

    btnReadOne = button("btnReadOne", "Read &Byte", "Read byte defined by Word Address", panel);
    btnRead = button("btnRead", "&Read All", "Read entire EEPROM", panel);
    btnWriteOne = button("btnWriteOne", "Write B&yte", "Write byte defined by Word Address", panel);
    btnWrite = button("btnWrite", "&Write All", "Write entire EEPROM", panel);
    btnVerify = button("btnVerify", "Verify", "", panel);
    for (QPushButton* b : {btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify})
        v->addWidget(b);

    auto* grbPreset = new QGroupBox(tr(" Preset"), panel);
    grbPreset->setObjectName(QStringLiteral("grbPreset"));
    auto* p = new QHBoxLayout(grbPreset);
    edtPreset = new QLineEdit(QStringLiteral("FF"), grbPreset);
    edtPreset->setObjectName(QStringLiteral("edtPreset"));
    edtPreset->setToolTip(tr(" Grid can be filled with this value"));
    edtPreset->setMaxLength(2);
    edtPreset->setValidator(new CharValidator(CharValidator::Kind::Upper, edtPreset));
    edtPreset->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("WW")) + 18);
    p->addWidget(edtPreset);
    btnSet = button("btnSet", "Set Data", "Set entire grid with hex value", grbPreset);
    p->addWidget(btnSet);
    v->addWidget(grbPreset);
    v->addStretch(1);

    connect(edtAddress, &HexField::completed, this, guarded(this, &TfrmPTN3500::edtAddressChange));
    connect(edtAddress, &QLineEdit::textEdited, this, guarded([this] { markModified(); }));
    onExit(edtAddress, [this] { addressFieldExit(edtAddress, eepromAddress()); });
    connect(spnCycleTime, &QSpinBox::valueChanged, this, guarded(this, &TfrmPTN3500::spnCycleTimeChange));
    connect(btnReadOne, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnReadOneClick));
    connect(btnRead, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnReadAllClick));
    connect(btnWriteOne, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnWriteOneClick));
    connect(btnWrite, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnWriteAllClick));
    connect(btnVerify, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnVerifyClick));
    connect(btnSet, &QPushButton::clicked, this, guarded(this, &TfrmPTN3500::btnSetClick));
    onExit(edtPreset, [this] { edtPresetExit(); });
    return panel;
}

void TfrmPTN3500::buildMenu()
{
    QMenu* file = addChildMenu(tr("&File"), QStringLiteral("mnuFile"));
    file->addAction(tr("Open"), this, guarded(this, &TfrmPTN3500::mnuOpenClick))
        ->setObjectName(QStringLiteral("mnuOpen"));
    QAction* save = file->addAction(tr("Save"), this, guarded(this, &TfrmPTN3500::mnuSaveClick));
    save->setObjectName(QStringLiteral("mnuSave"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    file->addAction(tr("Save As..."), this, guarded(this, &TfrmPTN3500::mnuSaveAsClick))
        ->setObjectName(QStringLiteral("mnuSaveAs"));
    file->addAction(tr("Close"), this, guarded(this, &TfrmPTN3500::mnuCloseClick))
        ->setObjectName(QStringLiteral("mnuClose"));
    file->addAction(tr("Close All"), this, guarded(this, &TfrmPTN3500::mnuCloseAllClick))
        ->setObjectName(QStringLiteral("mnuCloseAll"));
    file->addAction(tr("E&xit"), this, guarded(this, &TfrmPTN3500::ExitClick))
        ->setObjectName(QStringLiteral("mnuExit"));
}

// ------------------------------------------------------------------ grid

void TfrmPTN3500::refresh(tp::CellRange range)
{
    m_hexModel->cellsChanged(range);
    m_asciiModel->cellsChanged(range);
}

void TfrmPTN3500::DisplayData(std::size_t firstRow, std::span<const std::uint8_t> bytes)
{
    refresh(m_image.display((firstRow - 1) * 16, bytes));
}

void TfrmPTN3500::stgMemoryClick(const QModelIndex& index)
{
    m_wordAddress = MemoryGridModel::addressOf(index);
    lblWord->setText(qs(pca9500::wordLabel(m_wordAddress)));
}

void TfrmPTN3500::stgMemoryKeyDown()
{
    const std::size_t a = m_wordAddress;
    if (m_image.isPlain(a))
        return;
    const std::string tidy = tp::MemoryImage::normaliseCellText(m_image.cellText(a));
    m_image.setCellText(a, tidy);
    refresh({a, a + 1});
}

bool TfrmPTN3500::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == stgMemory && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Tab)
        guard([this] { stgMemoryKeyDown(); });
    return TChildForm::eventFilter(watched, event);
}

void TfrmPTN3500::btnSetClick()
{
    refresh(m_image.fillText(0, m_image.size(), edtPreset->text().toStdString(), nullptr));
    markModified();
}

void TfrmPTN3500::edtPresetExit()
{
    const QString t = qs(tp::MemoryFill::fillValueExit(edtPreset->text().toStdString()));
    if (t != edtPreset->text())
        edtPreset->setText(t);
}

// ------------------------------------------------------------------ EEPROM transfers

tp::MemoryBus TfrmPTN3500::bus() const
{
    return tp::MemoryBus(adapter(), pca9500::eepromDevice(m_variant, eepromAddress(), unsigned(spnCycleTime->value())));
}

void TfrmPTN3500::report(const tp::MemoryBusResult& result)
{
    if (result.outcome == tp::MemoryOutcome::Cancelled)
        main().showStatus(BusProgress::cancelledMessage(result.done, m_image.size()));
    else
        main().ErrorMessage(result.status);
}

void TfrmPTN3500::btnReadOneClick()
{
    const ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify};
    std::uint8_t value = 0;
    tp::MemoryBus b = bus();
    const tp::MemoryBusResult r = b.readByte(m_wordAddress, value);
    if (r.ok())
        refresh(m_image.display(m_wordAddress, std::span<const std::uint8_t>(&value, 1)));
    report(r);
}

void TfrmPTN3500::btnReadAllClick()
{
    const ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify};
    std::vector<std::uint8_t> data;
    tp::MemoryBus b = bus();
    const auto r = BusProgress::run<tp::MemoryBusResult>(this, QStringLiteral("Reading..."), kProgressDelayMs,
                                                         [&](const auto& p) { return b.readAll(data, p); });
    if (r.ok())
        DisplayData(1, data); // a failed read leaves the grid as it was
    report(r);
}

void TfrmPTN3500::btnWriteOneClick()
{
    const ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify};
    const std::uint8_t value = m_image.value(m_wordAddress);
    tp::MemoryBus b = bus();
    report(b.writeByte(m_wordAddress, value));
}

void TfrmPTN3500::btnWriteAllClick()
{
    const ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify};
    // Every cell is read before the first byte goes out; a page that fails
    // ends the write with its status.
    const std::vector<std::uint8_t> data = m_image.values();
    tp::MemoryBus b = bus();
    report(BusProgress::run<tp::MemoryBusResult>(this, QStringLiteral("Writing..."), kProgressDelayMs,
                                                 [&](const auto& p) { return b.writeAll(data, p); }));
}

void TfrmPTN3500::btnVerifyClick()
{
    const ClickGuard guard{btnReadOne, btnRead, btnWriteOne, btnWrite, btnVerify};
    tp::MemoryBus b = bus();
    const auto v = BusProgress::run<tp::ChipVerifyResult>(this, QStringLiteral("Verifying..."), kProgressDelayMs,
                                                          [&](const auto& p) { return tp::verifyChip(b, m_image, p); });
    if (v.notice)
        Dialogs::instance().error(this, QStringLiteral("Error"), qs(v.notice->text));
    report(v.bus);
}

// ------------------------------------------------------------------ port

void TfrmPTN3500::edtIOChange()
{
    if (m_autoWrite->isOn())
        btnIOWriteClick();
}

void TfrmPTN3500::btnIOWriteClick()
{
    const ClickGuard guard{btnIOWrite, btnIORead};
    m_port.writeOne({ChipLink::kNoRegister, edtIO});
}

void TfrmPTN3500::btnIOReadClick()
{
    const ClickGuard guard{btnIOWrite, btnIORead};
    // Shown with Auto Write held off: writing the pins read back into the
    // latches would drive low every input something outside pulls low.
    m_port.readAll({{ChipLink::kNoRegister, edtIO}}, grbIO);
}

// ------------------------------------------------------------------ settings

void TfrmPTN3500::edtIOAddressChange(quint8 value)
{
    if (auto warning = pca9500::ioAddressWarning(value))
        Dialogs::instance().information(this, QStringLiteral("Tallyport"), qs(*warning));
    context().address[1] = static_cast<std::uint8_t>(value & 0xFE);
}

void TfrmPTN3500::edtAddressChange(quint8 value)
{
    if (auto warning = pca9500::eepromAddressWarning(value))
        Dialogs::instance().information(this, QStringLiteral("Tallyport"), qs(*warning));
    context().address[0] = static_cast<std::uint8_t>(value & 0xFE);
}

void TfrmPTN3500::addressFieldExit(HexField* field, std::uint8_t inUse)
{
    // The field never stays showing something other than the address in use.
    if (field->text().isEmpty()) {
        const QSignalBlocker block(field);
        field->setValue(inUse);
        return;
    }
    field->applyExit(tp::HexExit::LeadingZero);
}

void TfrmPTN3500::spnCycleTimeChange(int value)
{
    settings().writeTimeUs = unsigned(value) * 1000;
    QFont f = spnCycleTime->font();
    f.setBold(value <= 9);
    spnCycleTime->setFont(f);
    QPalette p = spnCycleTime->palette();
    p.setColor(QPalette::Text, value <= 9 ? QColor(Qt::red) : palette().color(QPalette::Text));
    spnCycleTime->setPalette(p);
    markModified();
}

// ------------------------------------------------------------------ files

void TfrmPTN3500::mnuOpenClick()
{
    main().ResetWarning();
    Dialogs::FileRequest r;
    r.title = tr("Open PTN350x Data File");
    r.filters = QStringList{QStringLiteral("Mem Files (*.mem)")};
    r.defaultSuffix = QStringLiteral("mem");
    if (!Dialogs::instance().openFile(this, r))
        return;
    OpenMemFile(r.fileName);
}

void TfrmPTN3500::OpenMemFile(const QString& fileName)
{
    // Everything is checked before anything changes.
    const std::optional<tp::Pca9500Record> record = tp::Pca9500File::read(fileName.toStdString());
    if (!record) {
        main().showStatus(tp::Pca9500File::invalidFileMessage());
        return;
    }
    setWindowTitle(QFileInfo(fileName).fileName());
    m_saveName = QFileInfo(fileName).absoluteFilePath();
    const Raise loading(m_loading);
    edtAddress->setText(byteText(record->eepromAddress));
    DisplayData(1, record->eeprom);
    spnCycleTime->setValue(record->writeTimeMs);
    edtIOAddress->setText(byteText(record->ioAddress));
    edtIO->setText(byteText(record->port));
}

void TfrmPTN3500::mnuSaveClick()
{
    save(false);
}

void TfrmPTN3500::mnuSaveAsClick()
{
    save(true);
}

bool TfrmPTN3500::save(bool askForName)
{
    QString name = m_saveName;
    if (askForName || name.isEmpty()) {
        Dialogs::FileRequest r;
        r.title = m_saveTitle;
        r.filters = QStringList{QStringLiteral("Mem files (*.mem)")};
        r.defaultSuffix = QStringLiteral("mem");
        r.fileName = m_saveName;
        if (!Dialogs::instance().saveFile(this, r))
            return false;
        name = r.fileName;
        if (QFileInfo(name).suffix().isEmpty())
            name += QStringLiteral(".mem");
    }
    MemFileSave(name);
    return true;
}

void TfrmPTN3500::MemFileSave(const QString& fileName)
{
    // The whole record is built first: a cell or field that is not a number
    // stops the save before the file is touched.
    tp::Pca9500Record record;
    const std::vector<std::uint8_t> cells = m_image.values();
    std::copy(cells.begin(), cells.end(), record.eeprom.begin());
    record.eepromAddress = eepromAddress();
    record.writeTimeMs = static_cast<std::uint16_t>(spnCycleTime->value());
    record.ioAddress = ioAddress();
    record.port = edtIO->value();
    tp::Pca9500File::write(fileName.toStdString(), record);
    m_saveName = QFileInfo(fileName).absoluteFilePath();
    m_saveTitle = tr("Save PTN350x Data As");
    settings().modified = false;
    setWindowTitle(QFileInfo(fileName).fileName());
}

// ------------------------------------------------------------------ closing

void TfrmPTN3500::closeEvent(QCloseEvent* event)
{
    // Refused until settled: Cancel, a cancelled save or a failed one keeps the window.
    event->ignore();
    guard([&] {
        if (modified()) {
            const auto answer = Dialogs::instance().confirm(this, QStringLiteral("Confirm"), tr("Save Data?"),
                                                            Dialogs::Buttons::YesNoCancel);
            if (answer == Dialogs::Answer::Cancel)
                return;
            if (answer == Dialogs::Answer::Yes && !save(false))
                return;
        }
        event->accept();
    });
}

void TfrmPTN3500::mnuCloseAllClick()
{
    main().closeAllChildren();
    main().ResetWarning();
}

void TfrmPTN3500::ExitClick()
{
    main().exitApplication();
}
