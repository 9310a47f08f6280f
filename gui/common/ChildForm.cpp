#include "gui/common/ChildForm.h"
#include "gui/common/ChipLink.h"
#include "gui/app/Catalogue.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"
#include "gui/common/RadioGroup.h"

#include <QComboBox>
#include <QEvent>
#include <QMdiSubWindow>
#include <QMenu>
#include <QRadioButton>
#include <QSignalBlocker>

#include <optional>

TChildForm::TChildForm(TfrmMain& main, const QString& windowClass, QWidget* parent)
    : QWidget(parent), m_main(main), m_windowClass(windowClass),
      m_firstOfClass(!main.state().hasContext(windowClass.toStdString()))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(windowClass);
}

TChildForm::~TChildForm()
{
    if (m_blankOnDestroy)
        m_main.showStatus(tp::blankMessage(m_destroyAlign));
}

tp::BusContext& TChildForm::context() const
{
    return m_main.state().context(m_windowClass.toStdString());
}

tp::Adapter& TChildForm::adapter() const
{
    return m_main.state().adapter();
}

QString TChildForm::baseTitle() const
{
    const QString suffix = QStringLiteral(": %1").arg(m_titleNumber);
    const QString t = windowTitle();
    return m_titleNumber > 1 && t.endsWith(suffix) ? t.chopped(suffix.size()) : t;
}

void TChildForm::setTitleNumber(int n)
{
    const QString base = baseTitle();
    m_titleNumber = n;
    setWindowTitle(n > 1 ? base + QStringLiteral(": %1").arg(n) : base);
}

void TChildForm::changeEvent(QEvent* event)
{
    // A title of the window's own (a file name, say) is numbered afresh
    // against the others open.
    if (event->type() == QEvent::WindowTitleChange &&
        !(m_titleNumber > 1 && windowTitle().endsWith(QStringLiteral(": %1").arg(m_titleNumber)))) {
        m_titleNumber = 1;
        guard([this] { m_main.numberTitle(this); });
    }
    QWidget::changeEvent(event);
}

void TChildForm::setStartAddress(int chip, std::uint8_t address)
{
    // Only the run's first window of the class starts the context; later
    // windows find the bytes the earlier ones left.
    if (m_firstOfClass)
        context().address[static_cast<std::size_t>(chip)] = address;
}

void TChildForm::applyPreset(const CatalogueEntry& entry)
{
    // Setting the index by program must not run the selector's own reaction.
    for (const auto& [name, index] : entry.selectorIndices) {
        if (auto* cmb = findChild<QComboBox*>(name)) {
            QSignalBlocker block(cmb);
            cmb->setCurrentIndex(index);
        }
    }
    for (int i = 0; i < entry.addresses.size() && i < 4; ++i)
        context().address[static_cast<std::size_t>(i)] = entry.addresses[i];
}

namespace {

// The address an item shows: "0x40", "40h" or "A0".
std::optional<std::uint8_t> itemAddress(QString text)
{
    text = text.trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text.remove(0, 2);
    else if (text.endsWith(QLatin1Char('h'), Qt::CaseInsensitive))
        text.chop(1);
    bool ok = false;
    const uint v = text.toUInt(&ok, 16);
    if (!ok || text.size() != 2)
        return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

// How well a list's name fits the entry's chip: "cmbPCA9545Address" fits
// "PCA9545A" by 7 characters, "rdgPCF8574A" does not fit "PCF8574".
int fit(QString name, const QString& chip)
{
    for (const char* prefix : {"cmb", "rdg", "edt"})
        if (name.startsWith(QLatin1String(prefix)))
            name.remove(0, 3);
    if (name.endsWith(QLatin1String("Address")))
        name.chop(7);
    return !name.isEmpty() && chip.startsWith(name, Qt::CaseInsensitive) ? int(name.size()) : 0;
}

} // namespace

bool TChildForm::selectAddress(std::uint8_t address, const CatalogueEntry& entry)
{
    const QString chip = entry.caption.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
    QComboBox* bestList = nullptr;
    RadioGroup* bestGroup = nullptr;
    int bestItem = -1;
    int bestFit = -1;
    for (QComboBox* cmb : findChildren<QComboBox*>()) {
        if (!cmb->objectName().contains(QLatin1String("Address")))
            continue;
        for (int i = 0; i < cmb->count(); ++i) {
            if (itemAddress(cmb->itemText(i)) == address && fit(cmb->objectName(), chip) > bestFit) {
                bestFit = fit(cmb->objectName(), chip);
                bestList = cmb;
                bestGroup = nullptr;
                bestItem = i;
            }
        }
    }
    for (RadioGroup* rdg : findChildren<RadioGroup*>()) {
        for (int i = 0; i < rdg->count(); ++i) {
            if (itemAddress(rdg->item(i)->text()) == address && fit(rdg->objectName(), chip) > bestFit) {
                bestFit = fit(rdg->objectName(), chip);
                bestGroup = rdg;
                bestList = nullptr;
                bestItem = i;
            }
        }
    }
    if (bestGroup) {
        bestGroup->item(bestItem)->click();
        return true;
    }
    if (!bestList)
        return false;
    // As the user's choice: windows react to one signal or the other.
    if (bestList->currentIndex() != bestItem)
        bestList->setCurrentIndex(bestItem);
    else
        emit bestList->currentIndexChanged(bestItem);
    emit bestList->activated(bestItem);
    return true;
}

void TChildForm::FormActivate()
{
    if (m_maximise) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()); sub && !sub->isMaximized())
            sub->showMaximized();
    }
    m_main.ResetWarning();
}

QMenu* TChildForm::addChildMenu(const QString& title, const QString& objectName)
{
    auto* menu = new QMenu(title, this);
    menu->setObjectName(objectName);
    m_menus.append(menu);
    return menu;
}

QMenu* TChildForm::addFileMenu()
{
    QMenu* file = addChildMenu(tr("&File"), QStringLiteral("mnuFile"));
    QAction* close = file->addAction(tr("Close"), this, guarded(this, &TChildForm::mnuCloseClick));
    close->setObjectName(QStringLiteral("mnuClose"));
    QAction* closeAll = file->addAction(tr("Close All"), this, guarded(this, &TChildForm::mnuCloseAllClick));
    closeAll->setObjectName(QStringLiteral("mnuCloseAll"));
    QAction* exit = file->addAction(tr("E&xit"), this, guarded(this, &TChildForm::mnuExitClick));
    exit->setObjectName(QStringLiteral("mnuExit"));
    return file;
}

void TChildForm::mnuCloseClick()
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget()))
        sub->close();
    else
        close();
}

void TChildForm::mnuCloseAllClick()
{
    m_main.closeAllChildren();
    m_main.ResetWarning();
}

void TChildForm::mnuExitClick()
{
    m_main.exitApplication();
}

void TChildForm::placeChips()
{
    for (ChipLink* link : std::as_const(m_links))
        link->placeChip();
}
