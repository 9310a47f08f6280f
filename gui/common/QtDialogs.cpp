#include "gui/common/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace {
Dialogs* g_dialogs = nullptr;

bool runFileDialog(QWidget* parent, Dialogs::FileRequest& r, QFileDialog::AcceptMode mode)
{
    QFileDialog dlg(parent, r.title);
    dlg.setAcceptMode(mode);
    dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setNameFilters(r.filters);
    if (r.filterIndex >= 1 && r.filterIndex <= r.filters.size())
        dlg.selectNameFilter(r.filters.at(r.filterIndex - 1));
    dlg.setDefaultSuffix(r.defaultSuffix);
    if (!r.fileName.isEmpty())
        dlg.selectFile(r.fileName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return false;
    r.fileName = dlg.selectedFiles().first();
    r.filterIndex = static_cast<int>(r.filters.indexOf(dlg.selectedNameFilter())) + 1;
    return true;
}
} // namespace

Dialogs& Dialogs::instance()
{
    static QtDialogs fallback;
    return g_dialogs ? *g_dialogs : fallback;
}

void Dialogs::setInstance(Dialogs* dialogs)
{
    g_dialogs = dialogs;
}

void QtDialogs::warning(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::warning(parent, caption, text);
}

void QtDialogs::error(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::critical(parent, caption, text);
}

void QtDialogs::information(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::information(parent, caption, text);
}

Dialogs::Answer QtDialogs::confirm(QWidget* parent, const QString& caption, const QString& text,
                                   Buttons buttons)
{
    auto set = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel)
        set |= QMessageBox::Cancel;
    switch (QMessageBox::question(parent, caption, text, set)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

bool QtDialogs::openFile(QWidget* parent, FileRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

bool QtDialogs::saveFile(QWidget* parent, FileRequest& request)
{
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

bool QtDialogs::print(QWidget* parent, QPrinter& printer)
{
    QPrintDialog dlg(&printer, parent);
    return dlg.exec() == QDialog::Accepted;
}
