#pragma once
#include "cli/CliApp.h"

#include <QString>
#include <QStringList>

#include <sstream>
#include <string>
#include <vector>

// tallyport-cli run in-process (the test links tallyport_cli): the exit
// code and what it printed on each stream.
struct CliRun {
    int code = -1;
    QString out;
    QString err;
};

inline CliRun runCliInProcess(const QStringList& args)
{
    std::ostringstream out, err;
    tp::cli::Console console{out, err};
    std::vector<std::string> keep{"tallyport-cli"};
    for (const QString& a : args)
        keep.push_back(a.toStdString());
    std::vector<const char*> argv;
    for (const std::string& s : keep)
        argv.push_back(s.c_str());
    CliRun r;
    r.code = tp::cli::runCli(int(argv.size()), argv.data(), console);
    r.out = QString::fromStdString(out.str());
    r.err = QString::fromStdString(err.str());
    return r;
}
