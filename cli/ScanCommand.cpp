#include "cli/Commands.h"
#include "cli/Session.h"
#include "core/adapter/linux/I2cBuses.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"

#include <cstdio>
#include <ostream>

namespace tp::cli {

int scanCommand(Session& session, const ScanOptions& o, Console& console)
{
    Adapter& adapter = session.adapter();
    const auto* bus = dynamic_cast<const LinuxI2cAdapter*>(&adapter);
    const int first = o.all ? 0x00 : 0x08, last = o.all ? 0x7F : 0x77;
    std::string grid = "     0  1  2  3  4  5  6  7  8  9  a  b  c  d  e  f\n";
    int found = 0;
    for (int row = 0; row < 0x80; row += 16) {
        char label[8];
        std::snprintf(label, sizeof label, "%02x:", row);
        grid += label;
        for (int a = row; a < row + 16; ++a) {
            if (a < first || a > last) {
                grid += "   ";
                continue;
            }
            if (interrupted())
                return kInterrupted;
            if (bus && linuxi2c::addressClaim(bus->environment(), bus->bus().number, static_cast<std::uint8_t>(a))
                           .claimed()) {
                grid += " UU";
                continue;
            }
            const std::uint8_t address = static_cast<std::uint8_t>(a << 1);
            const bool readProbe = (a >= 0x30 && a <= 0x37) || (a >= 0x50 && a <= 0x5F) || !adapter.acceptsZeroLength();
            I2cMessage probe = readProbe ? I2cMessage::readBytes(address, 1) : I2cMessage::write(address, {});
            Adapter::ReadingOnly reading(adapter);
            const Status st = adapter.transfer(std::span<I2cMessage>(&probe, 1));
            char cell[8];
            std::snprintf(cell, sizeof cell, " %02x", a);
            grid += st == status::Success ? cell : " --";
            found += st == status::Success;
        }
        grid += "\n";
    }
    console.out << grid;
    return kOk;
}

} // namespace tp::cli
