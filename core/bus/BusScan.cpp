#include "core/bus/BusScan.h"
#include "core/common/HexText.h"

#include <cctype>

namespace tp::scan {

const char* probeName(Probe p)
{
    switch (p) {
    case Probe::QuickWrite:
        return "quick write";
    case Probe::ReadByte:
        return "one-byte read";
    default:
        return "none";
    }
}

Probe preferredProbe(std::uint8_t address7)
{
    const bool readRange = (address7 >= 0x30 && address7 <= 0x37) || (address7 >= 0x50 && address7 <= 0x5F);
    return readRange ? Probe::ReadByte : Probe::QuickWrite;
}

Probe probeFor(std::uint8_t address7, ProbeAbilities abilities)
{
    if (preferredProbe(address7) == Probe::ReadByte)
        return abilities.readByte ? Probe::ReadByte : Probe::None;
    if (abilities.quickWrite)
        return Probe::QuickWrite;
    return abilities.readByte ? Probe::ReadByte : Probe::None;
}

int Result::found() const
{
    int n = 0;
    for (const Cell& c : cells)
        n += c.state == Cell::State::Found;
    return n;
}

std::string Result::foundText() const
{
    const int n = found();
    if (n == 0)
        return "No devices found";
    return std::to_string(n) + (n == 1 ? " device found" : " devices found");
}

Scanner::Scanner(Adapter& adapter, Setup setup)
    : m_adapter(adapter), m_setup(std::move(setup)), m_first(firstAddress(m_setup.range)),
      m_last(lastAddress(m_setup.range)), m_next(m_first)
{
    m_result.range = m_setup.range;
}

Status Scanner::probe(std::uint8_t address7, Probe p)
{
    ++m_result.probes;
    // A probe carries no data: it asks none of the confirmations a write to
    // a claimed address or a PC's SMBus would.
    Adapter::ReadingOnly probing(m_adapter);
    I2cMessage m = p == Probe::ReadByte ? I2cMessage::readBytes(static_cast<std::uint8_t>(address7 << 1), 1)
                                        : I2cMessage::write(static_cast<std::uint8_t>(address7 << 1), {});
    return m_adapter.transfer(std::span<I2cMessage>(&m, 1));
}

bool Scanner::step()
{
    if (done())
        return false;
    const auto address = static_cast<std::uint8_t>(m_next++);
    Cell& cell = m_result.cells[address];
    if (m_setup.claimedBy) {
        std::string driver = m_setup.claimedBy(address);
        if (!driver.empty()) {
            cell.state = Cell::State::Claimed;
            cell.driver = std::move(driver);
            return true;
        }
    }
    cell.probe = probeFor(address, m_setup.abilities);
    if (cell.probe == Probe::None) {
        cell.state = Cell::State::NotProbed;
        return true;
    }
    Status st = probe(address, cell.probe);
    if (st == status::Refused && cell.probe == Probe::QuickWrite) {
        // The adapter turned out to refuse empty writes: reads from here on.
        m_setup.abilities.quickWrite = false;
        cell.probe = probeFor(address, m_setup.abilities);
        if (cell.probe == Probe::None) {
            cell.state = Cell::State::NotProbed;
            return true;
        }
        st = probe(address, cell.probe);
    }
    if (st == status::Success) {
        cell.state = Cell::State::Found;
    } else if (st == status::AddressNack) {
        cell.state = Cell::State::NoAnswer;
    } else {
        // A bus that is stuck or gone would give the same for every address.
        cell.state = Cell::State::NotScanned;
        m_result.stopped = st;
        m_result.stoppedAt = address;
    }
    return true;
}

std::string cellText(const Result& result, std::uint8_t address7)
{
    const Cell& c = result.cells[address7 & 0x7F];
    switch (c.state) {
    case Cell::State::Found:
        return intToHex(address7, 2);
    case Cell::State::NoAnswer:
        return "--";
    case Cell::State::Claimed:
        return "UU";
    default:
        return {};
    }
}

std::string gridText(const Result& result)
{
    std::string out = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";
    const auto lower = [](std::string t) {
        for (char& ch : t)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return t;
    };
    for (int row = 0; row < 128; row += 16) {
        std::string line = lower(intToHex(static_cast<std::uint64_t>(row), 2)) + ": ";
        for (int col = 0; col < 16; ++col) {
            const auto address = static_cast<std::uint8_t>(row + col);
            const std::string cell = cellText(result, address);
            if (cell.empty())
                line += "   ";
            else
                line += (result.cells[address].state == Cell::State::Found ? lower(cell) : cell) + " ";
        }
        out += line + "\n";
    }
    return out;
}

std::string methodSummary(const Result& result)
{
    std::string out;
    for (Probe p : {Probe::QuickWrite, Probe::ReadByte}) {
        std::string ranges;
        int runStart = -1;
        for (int a = 0; a <= 128; ++a) {
            const bool in = a < 128 && result.cells[static_cast<std::size_t>(a)].probe == p &&
                            result.cells[static_cast<std::size_t>(a)].state != Cell::State::NotScanned;
            if (in && runStart < 0)
                runStart = a;
            if (!in && runStart >= 0) {
                ranges += (ranges.empty() ? "" : ", ") + std::string("0x") + intToHex(static_cast<std::uint64_t>(runStart), 2);
                if (a - 1 > runStart)
                    ranges += "-0x" + intToHex(static_cast<std::uint64_t>(a - 1), 2);
                runStart = -1;
            }
        }
        if (!ranges.empty())
            out += (out.empty() ? "" : "; ") + std::string(probeName(p)) + " at " + ranges;
    }
    return out.empty() ? "nothing probed" : out;
}

} // namespace tp::scan
