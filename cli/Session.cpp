#include "cli/Session.h"
#include "cli/Numbers.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/adapter/remote/RemoteAdapter.h"
#include "core/common/HexText.h"
#include "core/memory/FileBytes.h"
#include "core/sim/BenchState.h"
#include "core/sim/FaultText.h"
#include "core/sim/SimulatedAdapter.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iostream>
#include <sys/file.h>
#include <unistd.h>

namespace tp::cli {

namespace {

sim::Fault parseFault(const std::string& text)
{
    try {
        return sim::FaultText::parse(text, [](std::string_view a) { return parseAddress(a, true); });
    } catch (const std::invalid_argument& e) {
        // The bench's own help names 8-bit addresses, as the bench window takes them.
        std::string why = e.what();
        for (std::size_t at = why.find("address=A0"); at != std::string::npos; at = why.find("address=A0", at))
            why.replace(at, 10, "address=50");
        throw UsageError("--bench-fault " + why);
    }
}

std::string traceLine(const BusLogEntry& e)
{
    if (e.isNote())
        return "-- " + e.note;
    std::string line = e.repeatedStart ? "Sr " : "";
    line += e.read ? "R " : "W ";
    line += intToHex(e.read ? e.address | 1 : e.address, 2);
    for (std::uint8_t b : e.bytes)
        line += " " + intToHex(b, 2);
    if (e.status != status::Success)
        line += "  -- " + statusText(e.status);
    return line;
}

} // namespace

Session::Session(const BusOptions& options, Console& console, linuxi2c::Environment env)
    : m_console(console), m_anyAddress(options.anyAddress)
{
    const bool bench = options.adapter == "bench";
    if (!bench && !options.benchState.empty())
        throw UsageError("--bench-state is for the simulated bench (-a bench)");
    if (!bench && !options.faults.empty())
        throw UsageError("--bench-fault is for the simulated bench (-a bench)");
    if (!bench && options.frequencyKHz)
        throw UsageError("--frequency is for the simulated bench (-a bench); a Linux adapter's clock is set by "
                         "its driver");
    if (options.frequencyKHz && (options.frequencyKHz < 1 || options.frequencyKHz > 1000))
        throw UsageError("--frequency " + std::to_string(options.frequencyKHz) + ": 1 to 1000 kHz");
    if (bench)
        openBench(options);
    else
        openBus(options, std::move(env));
    if (options.trace)
        traceTo(console.err);
}

Session::~Session()
{
    if (m_lockFd >= 0)
        ::close(m_lockFd); // releases the lock
}

void Session::openBench(const BusOptions& options)
{
    auto bench = std::make_unique<sim::SimulatedAdapter>();
    sim::registerStandardChips(*bench);
    m_bench = bench.get();
    m_adapter = std::move(bench);
    if (options.benchState.empty()) {
        m_console.err << "tallyport-cli: the simulated bench starts empty and forgets its chips when the command "
                         "ends; --bench-state FILE keeps them\n";
    } else {
        m_statePath = options.benchState;
        // Runs that share a state file take turns, so none loses another's chips.
        const std::string lock = m_statePath + ".lock";
        m_lockFd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (m_lockFd < 0 || ::flock(m_lockFd, LOCK_EX) != 0)
            throw FileError(lock + ": " + std::strerror(errno));
        std::error_code ec;
        if (std::filesystem::exists(m_statePath, ec)) {
            const std::vector<std::uint8_t> bytes = FileBytes::read(m_statePath);
            try {
                sim::BenchState::restore(*m_bench,
                                         std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
            } catch (const FileError& e) {
                throw FileError(m_statePath + ": " + e.what());
            }
        }
    }
    for (const std::string& f : options.faults)
        m_bench->inject(parseFault(f), {}, false); // for this run: the state file keeps the board
    if (options.frequencyKHz)
        m_bench->setBusFrequency(options.frequencyKHz);
}

void Session::openBus(const BusOptions& options, linuxi2c::Environment env)
{
    std::string why;
    std::unique_ptr<LinuxI2cAdapter> adapter;
    std::unique_ptr<remote::RemoteAdapter> board;
    if (remote::RemoteTarget::isRemote(options.adapter)) {
        const auto target = remote::RemoteTarget::parse(options.adapter, &why);
        if (!target)
            throw UsageError(why);
        board = remote::RemoteAdapter::open(*target, &why);
        if (!board)
            throw UsageError(why);
    } else {
        const auto found = linuxi2c::findBus(env, options.adapter);
        if (!found)
            throw UsageError("'" + options.adapter + "': no such I\u00B2C adapter: give N, i2c-N, /dev/i2c-N or the "
                             "adapter's name (tallyport-cli adapters lists them)");
        adapter = LinuxI2cAdapter::open(*found, &why, nullptr, std::move(env));
        if (!adapter)
            throw UsageError(why);
    }
    const bool yes = options.yes;
    const bool ask = m_console.interactive;
    Console& console = m_console;
    m_forced = options.force;
    auto approve = [this, yes, ask, &console](const LinuxI2cAdapter::WriteCheck& c) {
        // -y answers the PC SMBus question as i2cset's does; a driver's claim still needs --force.
        if (m_forced || (yes && c.driver.empty()))
            return true;
        if (!ask)
            return false;
        if (!c.driver.empty())
            console.err << "The kernel driver " << c.driver << " has claimed " << addressText7(c.address)
                        << " on " << c.busLabel << ".\n";
        else
            console.err << c.busLabel << " is a PC's SMBus: memory modules keep their settings in EEPROMs at 0x50 "
                        << "to 0x57, and a write there can keep the computer from starting.\n";
        console.err << "Write anyway? [y/N] " << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        return answer == "y" || answer == "Y" || answer == "yes";
    };
    if (board) {
        board->setWriteApproval(approve);
        m_adapter = std::move(board);
    } else {
        adapter->setWriteApproval(approve);
        adapter->setWatchNode(true);
        m_adapter = std::move(adapter);
    }
}

std::uint8_t Session::address(std::string_view text) const
{
    return parseAddress(text, m_anyAddress);
}

void Session::traceTo(std::ostream& err)
{
    m_adapter->log().onEntry = [&err](const BusLogEntry& e) { err << traceLine(e) << '\n'; };
}

void Session::finish()
{
    if (!m_bench || m_statePath.empty())
        return;
    FileBytes::replace(m_statePath, sim::BenchState::save(*m_bench));
}

std::string Session::failureText(Status status) const
{
    if (status == status::Refused && !m_adapter->refusal().empty()) {
        // Only the writes that need the user's word start so.
        const std::string& text = m_adapter->refusal();
        return text.rfind("Not sent: ", 0) == 0 ? text + " (--force writes anyway)" : text;
    }
    const auto* board = dynamic_cast<const remote::RemoteAdapter*>(m_adapter.get());
    if (status == status::HardwareNotDetected && board && !board->problem().empty())
        return statusText(status) + ": " + board->problem();
    return statusText(status);
}

} // namespace tp::cli
