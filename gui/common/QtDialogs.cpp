#include "gui/common/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace {
Dialogs* g_dialogs = nullptr;

// Messages break lines with a lone carriage return.
QString lines(const QString& text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

bool runFileDialog(QWidget* parent, Dialogs::FileRequest& r, QFileDialog::AcceptMode mode)
{
    QFileDialog dlg(parent, r.title);
    dlg.setAcceptMode(mode);
    dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dlg.setNameFilters(r.filters);
    if (r.filterIndex >= 1 && r.filterIndex <= r.filters.size())
        dlg.selectNameFilter(r.filters.at(r.filterIndex - 1));
    dlg.setDefaultSuffix(r.defaultSuffix);
    // A name typed without extension takes the extension of the type shown.
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg, [&dlg](const QString& filter) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(filter);
        if (m.hasMatch())
            dlg.setDefaultSuffix(m.captured(1));
    });
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
    QMessageBox::warning(parent, caption, lines(text));
}

void QtDialogs::error(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::critical(parent, caption, lines(text));
}

void QtDialogs::information(QWidget* parent, const QString& caption, const QString& text)
{
    QMessageBox::information(parent, caption, lines(text));
}

Dialogs::Answer QtDialogs::confirm(QWidget* parent, const QString& caption, const QString& text,
                                   Buttons buttons)
{
    auto set = QMessageBox::Yes | QMessageBox::No;
    if (buttons == Buttons::YesNoCancel)
        set |= QMessageBox::Cancel;
    switch (QMessageBox::question(parent, caption, lines(text), set)) {
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
