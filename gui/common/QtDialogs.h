#pragma once
#include "gui/common/Dialogs.h"

// The real dialogs.
class QtDialogs : public Dialogs {
public:
    void warning(QWidget* parent, const QString& caption, const QString& text) override;
    void error(QWidget* parent, const QString& caption, const QString& text) override;
    void information(QWidget* parent, const QString& caption, const QString& text) override;
    Answer confirm(QWidget* parent, const QString& caption, const QString& text,
                   Buttons buttons) override;
    bool openFile(QWidget* parent, FileRequest& request) override;
    bool saveFile(QWidget* parent, FileRequest& request) override;
    bool print(QWidget* parent, QPrinter& printer) override;
};
