#include "tests/support/TestBench.h"
#include "core/common/HexText.h"
#include "gui/app/StatusLine.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

void tallyportTestSetup()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never the user's own settings.
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
}

TestBench::TestBench(bool standardChips, const Catalogue& catalogue, const WindowFactories& factories)
{
    auto bench = std::make_unique<tp::sim::SimulatedAdapter>();
    sim = bench.get();
    if (standardChips)
        tp::sim::registerStandardChips(*bench);
    state = std::make_unique<tp::AppState>(std::move(bench));
    main = std::make_unique<TfrmMain>(*state, catalogue, factories);
    main->show();
}

TestBench::~TestBench()
{
    main.reset();
}

QString TestBench::statusText() const
{
    return QString::fromStdString(main->statusLine()->panel(0).text);
}

const tp::StatusMessage& TestBench::status() const
{
    return main->statusLine()->panel(0);
}

QStringList TestBench::transfers() const
{
    QStringList out;
    for (const tp::BusLogEntry& e : sim->log().entries()) {
        if (e.isNote())
            continue;
        QString line = QString(e.read ? "R " : "W ") + QString::fromStdString(tp::intToHex(e.address, 2));
        for (std::uint8_t b : e.bytes)
            line += QLatin1Char(' ') + QString::fromStdString(tp::intToHex(b, 2));
        if (e.repeatedStart)
            line.prepend(QStringLiteral("Sr "));
        out.append(line);
    }
    return out;
}

int unguardedErrorsFound()
{
    const int n = TallyportApplication::lastResortCatches();
    if (n == 0)
        return 0;
    std::fprintf(stderr, "FAIL: %d error(s) unwound through Qt to the application's last resort\n", n);
    return 1;
}
