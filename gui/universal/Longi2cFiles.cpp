// The user definable device's files: definition files, the recent-file
// list, the text export and the printed report.
#include "core/universal/DefinitionFile.h"
#include "gui/app/RecentFileStore.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Dialogs.h"
#include "gui/universal/DeviceReport.h"
#include "gui/universal/Longi2c.h"
#include "gui/universal/RegisterGridModel.h"
#include "gui/universal/RegisterGridView.h"

#include <QFileInfo>
#include <QMenu>
#include <QPrinter>

using namespace tp::userdev;

namespace {

QStringList definitionFilters()
{
    return {QStringLiteral("Definition files (*.def)"), QStringLiteral("All files (*.*)")};
}

} // namespace

bool TfrmLongI2C::save()
{
    stgMemory->finishEdit();
    if (m_device.currentFile().empty())
        return saveAs();
    DefinitionFile::save(m_device.currentFile(), m_device, false);
    addRecent(QString::fromStdString(m_device.currentFile()));
    m_device.setModified(false);
    return true;
}

bool TfrmLongI2C::saveAs()
{
    stgMemory->finishEdit();
    Dialogs::FileRequest r;
    r.title = tr("Save Device Information");
    r.filters = definitionFilters();
    r.defaultSuffix = QStringLiteral("def");
    r.fileName = QString::fromStdString(m_device.currentFile());
    if (!Dialogs::instance().saveFile(this, r))
        return false;
    DefinitionFile::save(r.fileName.toStdString(), m_device, true);
    // From now on "Save" writes here, not to the file the device came from.
    m_device.setCurrentFile(r.fileName.toStdString());
    addRecent(r.fileName);
    m_device.setModified(false);
    return true;
}

void TfrmLongI2C::mnuSaveClick()
{
    save();
}

void TfrmLongI2C::mnuSaveAsClick()
{
    saveAs();
}

bool TfrmLongI2C::settleChanges()
{
    stgMemory->finishEdit();
    if (!m_device.modified())
        return true;
    const auto answer =
        Dialogs::instance().confirm(this, tr("Confirm"), tr("Save changes?"), Dialogs::Buttons::YesNo);
    if (answer != Dialogs::Answer::Yes)
        return true;
    if (!save())
        return false;
    closeAllEditors();
    return true;
}

void TfrmLongI2C::loadFile(const QString& path)
{
    // Everything is checked before anything changes.
    const Definition d = DefinitionFile::load(path.toStdString());
    m_device.define(d, Shade::Blue);
    setCaption(QString::fromStdString(d.name));
    if (d.address)
        setAddress(*d.address);
    m_model->reload();
    fitGridHeight();
    showRegisterPanel();
    editorsFollowDevice();
    m_device.setCurrentFile(path.toStdString());
    m_device.setModified(false);
    addRecent(path);
    explainAddress(QLatin1Char('"') + QFileInfo(path).fileName() + QLatin1Char('"'), d.address.has_value());
}

void TfrmLongI2C::mnuOpenClick()
{
    if (!settleChanges())
        return;
    main().ResetWarning();
    Dialogs::FileRequest r;
    r.title = tr("Open Defined Device");
    r.filters = definitionFilters();
    r.defaultSuffix = QStringLiteral("def");
    if (!Dialogs::instance().openFile(this, r))
        return;
    loadFile(r.fileName);
}

void TfrmLongI2C::openRecent(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        Dialogs::instance().information(this, QStringLiteral("Tallyport"), tr("File does not exist"));
        m_recent.remove(path.toStdString());
        storeRecent();
        refreshRecentMenu();
        return;
    }
    if (!settleChanges())
        return;
    main().ResetWarning();
    loadFile(path);
}

void TfrmLongI2C::addRecent(const QString& path)
{
    m_recent.add(path.toStdString());
    storeRecent();
    refreshRecentMenu();
}

void TfrmLongI2C::storeRecent()
{
    // At once rather than at the end: a crash or Reset Grid, which reads
    // the list again, keeps the files opened since the start.
    if (!m_recent.changed())
        return;
    writeRecentFiles(m_recent.paths());
    m_recent.markStored();
}

void TfrmLongI2C::refreshRecentMenu()
{
    const auto& paths = m_recent.paths();
    for (int i = 0; i < mnuRecent.size(); ++i) {
        QAction* a = mnuRecent[i];
        const bool used = i < int(paths.size());
        a->setVisible(used);
        if (!used)
            continue;
        const QString path = QString::fromStdString(paths[std::size_t(i)]);
        a->setData(path);
        // "&" in a caption marks a mnemonic; the path itself keeps it.
        a->setText(QString(path).replace(QLatin1Char('&'), QLatin1String("&&")));
    }
    mnuRecentSeparator->setVisible(!paths.empty());
}

void TfrmLongI2C::mnuSaveTextClick()
{
    stgMemory->finishEdit();
    Dialogs::FileRequest r;
    r.title = tr("Save Register Data in Text Format");
    r.filters = QStringList{QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*.*)")};
    r.defaultSuffix = QStringLiteral("txt");
    if (!Dialogs::instance().saveFile(this, r))
        return;
    DefinitionFile::saveExport(r.fileName.toStdString(), m_device);
}

void TfrmLongI2C::mnuPrintClick()
{
    stgMemory->finishEdit();
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(windowTitle());
    printer.setPageMargins(QMarginsF(20, 15, 15, 15), QPageLayout::Millimeter);
    if (!Dialogs::instance().print(this, printer))
        return;
    printReport(printer, DefinitionFile::reportLines(m_device));
}
