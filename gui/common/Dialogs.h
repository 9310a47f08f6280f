#pragma once
#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;

// Every message box, file dialog and print dialog goes through here, so
// tests can script the answers and read back what was said.
class Dialogs {
public:
    enum class Answer { Yes, No, Cancel, Ok };
    enum class Buttons { YesNo, YesNoCancel };

    // A file dialog's request; `filterIndex` is 1-based as the type list shows.
    struct FileRequest {
        QString title;
        QStringList filters;     // "Memory files (*.mem)", ...
        int filterIndex = 1;     // in: preselected, out: chosen
        QString defaultSuffix;   // without the dot
        QString fileName;        // in: proposed, out: chosen
    };

    virtual ~Dialogs() = default;

    virtual void warning(QWidget* parent, const QString& caption, const QString& text) = 0;
    virtual void error(QWidget* parent, const QString& caption, const QString& text) = 0;
    virtual void information(QWidget* parent, const QString& caption, const QString& text) = 0;
    virtual Answer confirm(QWidget* parent, const QString& caption, const QString& text,
                           Buttons buttons) = 0;
    // True when the user chose a file; the request then holds it.
    virtual bool openFile(QWidget* parent, FileRequest& request) = 0;
    virtual bool saveFile(QWidget* parent, FileRequest& request) = 0;
    // True when the user accepted the print dialog for `printer`.
    virtual bool print(QWidget* parent, QPrinter& printer) = 0;

    // The service the application uses; set once at start (tests replace it).
    static Dialogs& instance();
    static void setInstance(Dialogs* dialogs);
};
