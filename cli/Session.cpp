#include "cli/Session.h"
#include "cli/Numbers.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/adapter/remote/RemoteAdapter.h"
#include "core/common/HexText.h"
#include "core/memory/FileBytes.h"
#include "core/sim/BenchState.h"
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

const char* const kFaultHelp =
    "KIND[,address=A0][,after=N][,count=N][,byte=N] with KIND one of address-nack, data-nack, time-out, "
    "arbitration-lost, bus-stuck, adapter-removed, chip-removed";

int faultNumber(const std::string& key, const std::string& value)
{
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError("--bench-fault " + key + "=" + value + ": a number is needed");
    return std::stoi(value);
}

sim::Fault parseFault(const std::string& text)
{
    sim::Fault f;
    std::size_t pos = text.find(',');
    const std::string kind = text.substr(0, pos);
    using K = sim::Fault::Kind;
    if (kind == "address-nack")
        f.kind = K::AddressNack;
    else if (kind == "data-nack")
        f.kind = K::DataNack;
    else if (kind == "time-out")
        f.kind = K::TimeOut;
    else if (kind == "arbitration-lost")
        f.kind = K::ArbitrationLost;
    else if (kind == "bus-stuck")
        f.kind = K::BusStuck;
    else if (kind == "adapter-removed")
        f.kind = K::AdapterRemoved;
    else if (kind == "chip-removed") { // gone from the bus for the rest of the run
        f.kind = K::AddressNack;
        f.count = -1;
    } else
        throw UsageError("--bench-fault '" + text + "': " + kFaultHelp);
    while (pos != std::string::npos) {
        const std::size_t next = text.find(',', pos + 1);
        const std::string item = text.substr(pos + 1, next == std::string::npos ? next : next - pos - 1);
        pos = next;
        const std::size_t eq = item.find('=');
        const std::string key = item.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
        if (key == "address")
            f.address = parseAddress(value);
        else if (key == "after")
            f.after = faultNumber(key, value);
        else if (key == "count")
            f.count = faultNumber(key, value);
        else if (key == "byte")
            f.byteIndex = faultNumber(key, value);
        else
            throw UsageError("--bench-fault '" + text + "': " + kFaultHelp);
    }
    return f;
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

Session::Session(const BusOptions& options, Console& console, linuxi2c::Environment env) : m_console(console)
{
    const bool bench = options.adapter == "bench";
    if (!bench && !options.benchState.empty())
        throw UsageError("--bench-state is for the simulated bench (-a bench)");
    if (!bench && !options.faults.empty())
        throw UsageError("--bench-fault is for the simulated bench (-a bench)");
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
        m_bench->inject(parseFault(f));
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
        if (!linuxi2c::findBus(env, options.adapter))
            throw UsageError("'" + options.adapter +
                             "': no such I\u00B2C adapter (tallyport-cli adapters lists them)");
        adapter = LinuxI2cAdapter::open(options.adapter, &why, nullptr, std::move(env));
        if (!adapter)
            throw UsageError(why);
    }
    const bool force = options.force;
    const bool ask = m_console.interactive;
    Console& console = m_console;
    auto approve = [force, ask, &console](const LinuxI2cAdapter::WriteCheck& c) {
        if (force)
            return true;
        if (!ask)
            return false;
        if (!c.driver.empty())
            console.err << "The kernel driver " << c.driver << " has claimed " << addressWithSevenBit(c.address)
                        << " on " << c.busLabel << ".\n";
        else
            console.err << c.busLabel << " is a PC's SMBus: memory modules keep their settings in EEPROMs at 0xA0 "
                        << "to 0xAE, and a write there can keep the computer from starting.\n";
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
        m_adapter = std::move(adapter);
    }
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
