#include "core/memory/MemoryFiles.h"
#include "core/common/Errors.h"
#include "core/common/HexText.h"
#include "gui/app/StatusLine.h"
#include "gui/app/TfrmMain.h"
#include "gui/common/Dialogs.h"
#include "gui/memory/MemoryForm.h"
#include "gui/memory/MemoryGridView.h"

#include <QComboBox>
#include <QFileInfo>
#include <QSpinBox>

namespace {
QStringList toQt(const std::vector<std::string>& list)
{
    QStringList out;
    for (const std::string& s : list)
        out << QString::fromStdString(s);
    return out;
}
} // namespace

int TMemoryForm::preselectedType(qsizetype listLength) const
{
    // The type last used, or the first when this list does not offer it.
    for (int i = 1; i <= listLength; ++i)
        if (tp::MemoryFileTypes::extension(static_cast<tp::FileType>(i)) == m_files.defaultExtension())
            return i;
    return 1;
}

QString TMemoryForm::suffixOf(int filterIndex)
{
    // The suffix always names the type the dialog shows, never a stale one.
    return QString::fromStdString(tp::MemoryFileTypes::extension(static_cast<tp::FileType>(filterIndex)));
}

tp::MemSettings TMemoryForm::settings() const
{
    tp::MemSettings s;
    s.addressText = cmbAddress->currentText().toStdString();
    if (isEeprom()) {
        s.pageSize = cmbPageSize->currentText().toInt();
        s.writeTimeMs = spnWriteTime->value();
    }
    return s;
}

void TMemoryForm::mnuSaveAsClick()
{
    if (m_kind != tp::MemoryKind::SmallEeprom)
        main().showStatus(tp::blankMessage(blankAlign()));
    Dialogs::FileRequest r;
    r.title = QString::fromStdString(tp::MemoryFileTypes::saveTitle(m_kind));
    r.filters = toQt(tp::MemoryFileTypes::saveFilters(m_kind));
    r.filterIndex = preselectedType(r.filters.size());
    r.defaultSuffix = suffixOf(r.filterIndex);
    r.fileName = m_saveName;
    if (!Dialogs::instance().saveFile(this, r))
        return;
    auto type = tp::MemoryFileTypes::typeAt(r.filterIndex, static_cast<std::size_t>(r.filters.size()));
    if (!type)
        return;
    stgMemory->setFocus();
    const std::string path = m_files.acceptSave(*type, r.fileName.toStdString());
    // The dialog asked about the name it was given, not this one.
    if (QString::fromStdString(path) != r.fileName && QFileInfo::exists(QString::fromStdString(path)) &&
        Dialogs::instance().confirm(this, QStringLiteral("Confirm Save As"),
                                    QFileInfo(QString::fromStdString(path)).fileName() +
                                        QStringLiteral(" already exists.\rDo you want to replace it?"),
                                    Dialogs::Buttons::YesNo) != Dialogs::Answer::Yes)
        return;
    tp::MemoryFiles::save(m_kind, *type, path, m_image, settings());
    m_saveName = QString::fromStdString(path);
    setWindowTitle(QFileInfo(m_saveName).absoluteFilePath());
}

void TMemoryForm::mnuOpenClick()
{
    if (m_kind != tp::MemoryKind::SmallEeprom)
        main().showStatus(tp::blankMessage(blankAlign()));
    Dialogs::FileRequest r;
    r.title = QString::fromStdString(tp::MemoryFileTypes::openTitle(m_kind));
    r.filters = toQt(tp::MemoryFileTypes::openFilters(m_kind));
    r.filterIndex = preselectedType(r.filters.size());
    r.defaultSuffix = suffixOf(r.filterIndex);
    if (!Dialogs::instance().openFile(this, r))
        return;
    auto type = tp::MemoryFileTypes::typeAt(r.filterIndex, static_cast<std::size_t>(r.filters.size()));
    if (!type)
        return;
    const std::string path = m_files.accept(*type, r.fileName.toStdString());
    // The chosen type decides; a file that fails as that type while its
    // name says another gets told so.
    const std::string hint = tp::MemoryFileTypes::otherTypeHint(path, *type);
    tp::FileLoad load;
    try {
        load = tp::MemoryFiles::load(m_kind, *type, path, m_image);
    } catch (const tp::Error& e) {
        if (hint.empty())
            throw;
        throw tp::FileError(e.what() + hint);
    }
    if (!load.loaded && !hint.empty()) {
        if (load.notice)
            load.notice->text += hint;
        else if (load.status)
            load.status->text += hint;
    }
    if (load.header) {
        // An address off the list (a file from another board) joins it, so
        // the window shows what the file holds.
        const QString address = QString::fromStdString(tp::intToHex(load.header->address & 0xFF, 2));
        if (cmbAddress->findText(address) < 0)
            cmbAddress->addItem(address);
        cmbAddress->setCurrentText(address);
        if (isEeprom()) {
            // A value off the list (a RAM file's 0) is shown as it stands.
            const QString page = QString::number(load.header->pageSize);
            if (cmbPageSize->findText(page) < 0)
                cmbPageSize->addItem(page);
            cmbPageSize->setCurrentText(page);
            spnWriteTime->setValue(load.header->writeTimeMs);
        }
    }
    show(load.notice);
    refresh(load.changed);
    if (load.status)
        main().showStatus(*load.status);
    if (!load.loaded)
        return;
    if (*type == tp::FileType::Hex)
        m_saveName = QString::fromStdString(path); // the next "Save As..." offers it
    setWindowTitle(QFileInfo(QString::fromStdString(path)).absoluteFilePath());
    if (m_kind != tp::MemoryKind::SmallEeprom)
        main().statusLine()->repaint();
}
