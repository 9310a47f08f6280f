#pragma once
#include "gui/common/Dialogs.h"

#include <QList>
#include <QString>

#include <optional>

// Records every dialog the program shows and answers from prepared queues.
class ScriptedDialogs : public Dialogs {
public:
    struct Call {
        QString kind; // "warning", "error", "information", "confirm", "open", "save", "print"
        QString caption;
        QString text;
        FileRequest request; // file dialogs: what the program asked with
    };

    QList<Call> calls;
    QList<Answer> answers;                      // confirm; empty queue answers Yes
    QList<std::optional<QString>> files;        // open/save; nullopt or empty queue = Cancel
    QList<int> filterIndexes;                   // chosen type per file dialog; empty = keep
    bool printAccepted = false;
    QString printFile;                          // accepted prints go to this PDF file when set

    ~ScriptedDialogs() override;
    ScriptedDialogs();

    void warning(QWidget*, const QString& caption, const QString& text) override;
    void error(QWidget*, const QString& caption, const QString& text) override;
    void information(QWidget*, const QString& caption, const QString& text) override;
    Answer confirm(QWidget*, const QString& caption, const QString& text, Buttons buttons) override;
    bool openFile(QWidget*, FileRequest& request) override;
    bool saveFile(QWidget*, FileRequest& request) override;
    bool print(QWidget*, QPrinter& printer) override;

    // The calls of one kind, and the texts of them.
    QList<Call> of(const QString& kind) const;
    QStringList texts(const QString& kind) const;
    QString lastText() const { return calls.isEmpty() ? QString() : calls.last().text; }

private:
    bool file(const QString& kind, FileRequest& request);
};
