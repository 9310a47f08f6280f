#pragma once
#include <QApplication>

// The application: errors that end a user operation are caught here, at
// the event boundary, and shown in the application's error box.
class TallyportApplication : public QApplication {
    Q_OBJECT
public:
    TallyportApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Shows "message." captioned "Tallyport" with an error icon.
    static void showError(const QString& message);
};
