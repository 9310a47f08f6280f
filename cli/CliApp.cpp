#include "cli/CliApp.h"
#include "cli/CliSetup.h"
#include "cli/Commands.h"
#include "cli/Session.h"
#include "core/adapter/AdapterList.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <utility>
#include <ostream>

namespace tp::cli {

int runCli(int argc, const char* const* argv, Console& console)
{
    CLI::App app("Tallyport on the command line: the I\u00B2C bus from a shell, on the simulated bench or any "
                 "Linux I\u00B2C adapter.",
                 "tallyport-cli");
    app.footer(footerText());
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string(TALLYPORT_VERSION));

    CliContext ctx{console, {}, {}};
    BusOptions& bus = ctx.bus;
    std::function<int()>& action = ctx.action;

    CLI::App* adapters = app.add_subcommand("adapters", "list the adapters, as the Options menu shows them");
    adapters->footer(footerText());
    adapters->callback([&] { action = [&] {
                                 console.out << adapterListText(linuxi2c::Environment{});
                                 return int(kOk);
                             }; });

    ScanOptions scan;
    CLI::App* scanCmd = app.add_subcommand("scan", "probe every address and show the answering ones as i2cdetect does");
    scanCmd->footer(footerText("i2c-tools: i2cdetect -y 3   is   tallyport-cli scan -a 3"));
    addBusOptions(scanCmd, bus, false, false);
    scanCmd->add_flag("--all", scan.all, "probe 0x00 to 0x7F (7-bit), not only 0x08 to 0x77");
    scanCmd->add_flag("-f,--force", scan.force, "scan a PC's SMBus without asking");
    scanCmd->callback([&] {
        scan.force = scan.force || bus.yes;
        action = [&] { return withSession(bus, console, [&](Session& s) {
                                              return scanCommand(s, scan, console);
                                          }); };
    });

    EepromOptions eeprom;
    std::string address;
    unsigned page = 0, writeTime = 0;
    CLI::App* eepromCmd = app.add_subcommand("eeprom", "read, write or verify a whole serial EEPROM (or RAM/FRAM)");
    eepromCmd->footer(footerText());
    eepromCmd->require_subcommand(1);
    const std::pair<const char*, const char*> eepromActions[] = {
        {"read", "read the whole memory into FILE"},
        {"write", "write FILE into the memory, then verify it"},
        {"verify", "compare the memory with FILE"},
    };
    for (const auto& [name, text] : eepromActions) {
        CLI::App* cmd = eepromCmd->add_subcommand(name, text);
        cmd->footer(footerText());
        addBusOptions(cmd, bus, std::string(name) == "write");
        cmd->add_option("--size", eeprom.size, "memory size: 16, 128, 256, 512, 1K, 2K, 4K ... 64K")
            ->required()
            ->type_name("SIZE");
        cmd->add_option("--address", address, "7-bit address, block-select bits 0 (default 50)")
            ->type_name("ADDRESS");
        cmd->add_option("--page", page,
                        "EEPROM page size in bytes (default: the size's usual page: 16 bytes 1, 128/256 8, "
                        "512-2K 16, 4K/8K 32, 16K/32K 64, 64K 128)")
            ->type_name("BYTES");
        cmd->add_option("--write-time", writeTime, "EEPROM's longest write cycle in ms, 1 to 1000 (default 10)")
            ->type_name("MS");
        cmd->add_option("--format", eeprom.format, "mem, hex, bin or csv (default: by FILE's extension)")
            ->type_name("FORMAT");
        cmd->add_flag("--ram", eeprom.ram, "a RAM or FRAM: no pages, no write cycle");
        if (std::string(name) == "write")
            cmd->add_flag("--no-verify", eeprom.noVerify, "do not read the memory back");
        cmd->add_option("FILE", eeprom.file, "memory image file (.mem, .hex, .bin, .csv)")->required();
        cmd->callback([&, cmd, name = std::string(name)] {
            eeprom.action = name;
            if (cmd->count("--address"))
                eeprom.address = address;
            if (cmd->count("--page"))
                eeprom.pageSize = page;
            if (cmd->count("--write-time"))
                eeprom.writeTimeMs = writeTime;
            action = [&] { return withSession(bus, console, [&](Session& s) {
                                 return eepromCommand(s, eeprom, console);
                             }); };
        });
    }

    RunOptions run;
    std::string sequence;
    CLI::App* runCmd = app.add_subcommand("run", "send an expert mode data file's messages, or a sequence of them");
    runCmd->footer(footerText());
    addBusOptions(runCmd, bus, true);
    runCmd->add_option("FILE", run.file, "expert mode data file")->required();
    auto* seqOpt = runCmd->add_option("--sequence", sequence, "message numbers to send, in order: 03,01")
                       ->type_name("SEQUENCE");
    auto* fileSeqOpt = runCmd->add_flag("--file-sequence", run.fileSequence, "send the file's own sequence");
    seqOpt->excludes(fileSeqOpt);
    auto* repeatOpt = runCmd->add_option("--repeat", run.repeat, "passes to run (default 1)")->type_name("N");
    auto* foreverOpt = runCmd->add_flag("--forever", run.forever, "run passes until Ctrl-C");
    repeatOpt->excludes(foreverOpt);
    runCmd->add_flag("--keep-going", run.keepGoing, "go on after a failing message (exit status 1 at the end)");
    runCmd->callback([&] {
        if (runCmd->count("--sequence"))
            run.sequence = sequence;
        action = [&] { return withSession(bus, console, [&](Session& s) { return runCommand(s, run, console); }); };
    });

    addRegisterCommands(app, ctx);
    addTransferCommand(app, ctx);
    addDumpCommand(app, ctx);

    CLI::App* serveCmd = app.add_subcommand("serve", "serve an adapter of this board to a desktop's Tallyport: the "
                                                      "remote protocol on standard input and output (ssh runs it)");
    serveCmd->footer(footerText());
    addBusOptions(serveCmd, bus, false);
    unsigned latencyMs = 0;
    serveCmd->add_option("--latency", latencyMs, "hold each reply back MS milliseconds, to try a slow link")
        ->type_name("MS");
    serveCmd->callback([&] {
        action = [&] { return serveCommand(bus, latencyMs, console); };
    });

    BenchOptions benchOpts;
    CLI::App* benchCmd = app.add_subcommand("bench", "the simulated bench's chips (kept with --bench-state)");
    benchCmd->footer(footerText());
    benchCmd->require_subcommand(1);
    const auto benchAction = [&](const char* name, const char* text, bool type, bool where) {
        CLI::App* cmd = benchCmd->add_subcommand(name, text);
        cmd->footer(footerText());
        // Placing or removing a chip means nothing unless the bench is kept.
        auto* state = cmd->add_option("--bench-state", bus.benchState, "file that keeps the bench's chips between runs")
                          ->type_name("FILE");
        if (type || where)
            state->required();
        if (type)
            cmd->add_option("TYPE", benchOpts.type, "chip type, as bench types lists them")->required();
        if (where)
            cmd->add_option("ADDRESS", benchOpts.address, "7-bit address")->required();
        if (std::string(name) == "place")
            cmd->add_option("--behind", benchOpts.behind, "on channel CHANNEL of the mux, switch or master "
                                                           "selector at MUX_ADDRESS")
                ->type_name("MUX_ADDRESS:CHANNEL");
        if (std::string(name) == "set")
            cmd->add_option("WHAT", benchOpts.values, "pin N high|low, or temperature [N] DEGREES|wander")
                ->required()
                ->expected(2, 3);
        cmd->callback([&, name = std::string(name)] {
            benchOpts.action = name;
            action = [&] { return withSession(bus, console, [&](Session& s) {
                                 return benchCommand(s, benchOpts, console);
                             }); };
        });
    };
    benchAction("list", "the chips on the bench", false, false);
    benchAction("types", "the chip types the bench can hold", false, false);
    benchAction("place", "put a chip of TYPE at ADDRESS; it stays there", true, true);
    benchAction("remove", "take the chip at ADDRESS off the bench", false, true);
    benchAction("set", "the outside world of the chip at ADDRESS: a pin's level, a temperature", false, true);

    // CLI11 would only say that a command is missing.
    if (argc > 1 && argv[1][0] != '-') {
        bool known = false;
        for (const CLI::App* sub : std::as_const(app).get_subcommands({}))
            known = known || sub->get_name() == argv[1];
        if (!known) {
            console.err << "tallyport-cli: unknown command '" << argv[1] << "'\n"
                        << "Run with --help for more information.\n";
            return kUsage;
        }
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e, console.out, console.err) == 0 ? kOk : kUsage;
    } catch (const CLI::ParseError& e) {
        console.err << "tallyport-cli: " << e.what() << "\n"
                    << "Run with --help for more information.\n";
        return kUsage;
    }

    try {
        return action ? action() : kUsage;
    } catch (const UsageError& e) {
        console.err << "tallyport-cli: " << e.what() << "\n";
        return kUsage;
    } catch (const Error& e) { // a number, a file: in the words of the windows' error box
        console.err << "tallyport-cli: " << e.what() << "\n";
        return kUsage;
    } catch (const std::exception& e) {
        console.err << "tallyport-cli: " << e.what() << "\n";
        return kUsage;
    }
}

} // namespace tp::cli
