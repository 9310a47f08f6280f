#pragma once
#include <QApplication>

// The application. Errors that end a user operation are caught where Qt
// enters the program's code (see Guarded.h); notify() is the last resort.
class TallyportApplication : public QApplication {
    Q_OBJECT
public:
    TallyportApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Errors that reached notify(): each is a handler entered without guard().
    static int lastResortCatches();
};
