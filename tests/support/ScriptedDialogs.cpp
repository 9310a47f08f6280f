#include "tests/support/ScriptedDialogs.h"

#include <QPrinter>

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
