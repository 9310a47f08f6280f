#include "gui/common/ChildForm.h"
#include "gui/app/Catalogue.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Guarded.h"

#include <QComboBox>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalBlocker>

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
