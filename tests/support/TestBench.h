#pragma once
#include "core/common/AppState.h"
#include "core/sim/SimulatedAdapter.h"
#include "gui/app/TallyportApplication.h"
#include "gui/app/TfrmMain.h"
#include "tests/support/ScriptedDialogs.h"

#include <QString>
#include <QtTest>

#include <memory>

// A frame on a simulated bench with scripted dialogs. The bench starts
// empty (tests place the chips they need) unless `standardChips` asks for
// the types the program registers.
struct TestBench {
    explicit TestBench(bool standardChips = true, const Catalogue& catalogue = standardCatalogue(),
                       const WindowFactories& factories = standardFactories());
    ~TestBench();

    ScriptedDialogs dialogs;
    tp::sim::SimulatedAdapter* sim = nullptr; // owned by state
    std::unique_ptr<tp::AppState> state;
    std::unique_ptr<TfrmMain> main;

    // Status line panel 0 text.
    QString statusText() const;
    const tp::StatusMessage& status() const;
    // Bus transfers since the last clearLog(), as "W 40 01 F0" / "R 41 FF" lines.
    QStringList transfers() const;
    void clearLog() { sim->log().clear(); }
};

// Finds a child by object name or fails the test.
template <class T> T* child(QObject* parent, const QString& name)
{
    T* w = parent->findChild<T*>(name);
    if (!w)
        qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
    return w;
}

// Test main: the application class with the error boundary, offscreen,
// settings in a private temporary folder.
#define TALLYPORT_TEST_MAIN(TestObject)                                                                      \
    int main(int argc, char** argv)                                                                          \
    {                                                                                                        \
        tallyportTestSetup();                                                                                \
        TallyportApplication app(argc, argv);                                                                \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        const int failed = QTest::qExec(&tc, argc, argv);                                                    \
        return failed ? failed : unguardedErrorsFound();                                                     \
    }

void tallyportTestSetup();
// 1, with a message, when an error reached the application's last resort
// during the run (a handler entered without guard()); 0 otherwise.
int unguardedErrorsFound();
