#include "tests/support/ScriptedDialogs.h"

#include <QFileInfo>
#include <QPrinter>
#include <QRegularExpression>

ScriptedDialogs::ScriptedDialogs()
{
    Dialogs::setInstance(this);
}

ScriptedDialogs::~ScriptedDialogs()
{
    if (&Dialogs::instance() == this)
        Dialogs::setInstance(nullptr);
}

void ScriptedDialogs::warning(QWidget*, const QString& caption, const QString& text)
{
    calls.append({QStringLiteral("warning"), caption, text, {}});
}

void ScriptedDialogs::error(QWidget*, const QString& caption, const QString& text)
{
    calls.append({QStringLiteral("error"), caption, text, {}});
}

void ScriptedDialogs::information(QWidget*, const QString& caption, const QString& text)
{
    calls.append({QStringLiteral("information"), caption, text, {}});
}

Dialogs::Answer ScriptedDialogs::confirm(QWidget*, const QString& caption, const QString& text, Buttons)
{
    calls.append({QStringLiteral("confirm"), caption, text, {}});
    return answers.isEmpty() ? Answer::Yes : answers.takeFirst();
}

bool ScriptedDialogs::file(const QString& kind, FileRequest& request)
{
    calls.append({kind, request.title, QString(), request});
    std::optional<QString> name = files.isEmpty() ? std::nullopt : files.takeFirst();
    int index = filterIndexes.isEmpty() ? request.filterIndex : filterIndexes.takeFirst();
    if (!name)
        return false;
    // As the real save dialog: a name typed without extension gets the
    // default suffix, or the extension of the type picked instead.
    QString suffix = request.defaultSuffix;
    if (index != request.filterIndex && index >= 1 && index <= request.filters.size()) {
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(request.filters[index - 1]);
        suffix = m.hasMatch() ? m.captured(1) : QString();
    }
    if (kind == QLatin1String("save") && !suffix.isEmpty() && QFileInfo(*name).suffix().isEmpty())
        *name += QLatin1Char('.') + suffix;
    request.fileName = *name;
    request.filterIndex = index;
    return true;
}

bool ScriptedDialogs::openFile(QWidget*, FileRequest& request)
{
    return file(QStringLiteral("open"), request);
}

bool ScriptedDialogs::saveFile(QWidget*, FileRequest& request)
{
    return file(QStringLiteral("save"), request);
}

bool ScriptedDialogs::print(QWidget*, QPrinter& printer)
{
    calls.append({QStringLiteral("print"), QString(), QString(), {}});
    if (printAccepted && !printFile.isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printFile);
    }
    return printAccepted;
}

QList<ScriptedDialogs::Call> ScriptedDialogs::of(const QString& kind) const
{
    QList<Call> out;
    for (const Call& c : calls)
        if (c.kind == kind)
            out.append(c);
    return out;
}

QStringList ScriptedDialogs::texts(const QString& kind) const
{
    QStringList out;
    for (const Call& c : calls)
        if (c.kind == kind)
            out.append(c.text);
    return out;
}
