// The i2c-dev backend against Linux's own I2C core, run as a VM's init
// child (tests/hwtest/run.sh). Buses it expects:
//  - i2c-stub with chips at 0x20 and 0x50: SMBus only;
//  - radeonfb's "dvi" DDC bus on QEMU's ati-vga: full I2C, EDID at 0x50;
//  - the PIIX4 SMBus of QEMU's PC, with its memory modules' SPD EEPROMs.
// Prints one line per case and exits non-zero when any fails.
#include "core/adapter/linux/I2cBuses.h"
#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/bus/AdapterInfo.h"
#include "core/bus/BusLogExport.h"
#include "core/bus/BusScan.h"
#include "core/common/HexText.h"
#include "core/memory/MemoryBus.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <numeric>
#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace tp;
using linuxi2c::BusInfo;

namespace {

const char* const kCli = "/tallyport-cli";

int g_passed = 0;
int g_failed = 0;

void check(const std::string& name, bool ok, const std::string& detail = {})
{
    (ok ? g_passed : g_failed)++;
    std::printf("hwtest %s  %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(), detail.empty() ? "" : ": ",
                detail.c_str());
    std::fflush(stdout);
}

std::string hex(const std::vector<std::uint8_t>& v, std::size_t n = 16)
{
    std::string s;
    for (std::size_t i = 0; i < v.size() && i < n; ++i)
        s += (i ? " " : "") + intToHex(v[i], 2);
    return s + (v.size() > n ? " ..." : "");
}

// The real system calls, with the transfer ioctls counted.
struct Counting {
    std::size_t transfers = 0;
    linuxi2c::Environment env()
    {
        linuxi2c::Environment e;
        auto real = e.system.ioctl;
        e.system.ioctl = [this, real](int fd, unsigned long request, unsigned long arg) {
            if (request == I2C_RDWR || request == I2C_SMBUS)
                ++transfers;
            return real(fd, request, arg);
        };
        return e;
    }
};

// The first bus whose kernel name starts with `prefix`, as a spec to open it by.
std::string busStartingWith(const std::string& prefix)
{
    for (const BusInfo& b : linuxi2c::listBuses(linuxi2c::Environment{}))
        if (b.name.rfind(prefix, 0) == 0)
            return b.devNode;
    return prefix;
}

bool writeSysfs(const std::string& path, const std::string& text)
{
    std::ofstream out(path);
    out << text;
    out.flush();
    return bool(out);
}

std::string statusText(Status st, const Adapter& a)
{
    return "status " + std::to_string(st) + (a.refusal().empty() ? "" : " (" + a.refusal() + ")");
}

void listing()
{
    const auto buses = linuxi2c::listBuses(linuxi2c::Environment{});
    for (const BusInfo& b : buses)
        std::printf("  %s\n", b.listLine().c_str());
    auto find = [&](const std::string& prefix) -> const BusInfo* {
        for (const BusInfo& b : buses)
            if (b.name.rfind(prefix, 0) == 0)
                return &b;
        return nullptr;
    };
    const BusInfo* stub = find("SMBus stub driver");
    const BusInfo* dvi = find("radeonfb dvi");
    const BusInfo* piix4 = find("SMBus PIIX4 adapter");
    check("list: i2c-stub is an SMBus adapter", stub && stub->kind == "smbus" && !stub->pcSmbus);
    check("list: radeonfb dvi is an I2C adapter", dvi && dvi->kind == "i2c" && !dvi->pcSmbus);
    check("list: the PIIX4 SMBus is a PC SMBus controller",
          piix4 && piix4->kind == "smbus" && piix4->pcSmbus);
    check("list: labels as i2cdetect names them",
          stub && stub->label() == "i2c-" + std::to_string(stub->number) + "  SMBus stub driver",
          stub ? stub->label() : "");
}

void stubCases()
{
    Counting count;
    std::string error;
    auto a = LinuxI2cAdapter::open("SMBus stub driver", &error, nullptr, count.env());
    check("stub: opens by its kernel name", a != nullptr, error);
    if (!a)
        return;
    check("stub: no I2C_FUNC_I2C, SMBus forms with I2C block",
          !a->fullI2c() && (a->functionality() & I2C_FUNC_SMBUS_BYTE_DATA) &&
              (a->functionality() & I2C_FUNC_SMBUS_I2C_BLOCK));
    {
        // The kernel refuses plain I2C on this bus: the SMBus path is the only way.
        const int fd = ::open(a->bus().devNode.c_str(), O_RDWR);
        std::uint8_t reg = 0;
        i2c_msg m{0x20, 0, 1, &reg};
        i2c_rdwr_ioctl_data d{&m, 1};
        const int rc = ::ioctl(fd, I2C_RDWR, &d);
        const int e = errno;
        ::close(fd);
        check("stub: the kernel answers I2C_RDWR with EOPNOTSUPP", rc < 0 && e == EOPNOTSUPP,
              std::strerror(e));
    }

    std::vector<std::uint8_t> got;
    Status st = a->write(0x40, {0x05, 0xA5});
    Status rd = a->writeRead(0x40, {0x05}, 1, got);
    check("stub: write byte data, read byte data back",
          st == 0 && rd == 0 && got == std::vector<std::uint8_t>{0xA5},
          statusText(st, *a) + " / " + statusText(rd, *a) + " " + hex(got));

    // i2c-stub keeps a word per register: a byte read of the same register
    // gives the word's low byte, the first on the wire.
    st = a->write(0x40, {0x10, 0x34, 0x12});
    rd = a->writeRead(0x40, {0x10}, 2, got);
    std::vector<std::uint8_t> low;
    a->writeRead(0x40, {0x10}, 1, low);
    check("stub: write word data, read word data (low byte first)",
          st == 0 && rd == 0 && got == std::vector<std::uint8_t>{0x34, 0x12} &&
              low == std::vector<std::uint8_t>{0x34},
          hex(got) + " / " + hex(low));

    std::vector<std::uint8_t> block{0x40};
    for (int i = 0; i < 16; ++i)
        block.push_back(static_cast<std::uint8_t>(0xC0 + i));
    st = a->write(0x40, block);
    rd = a->writeRead(0x40, {0x40}, 16, got);
    check("stub: I2C block write and read of 16 bytes",
          st == 0 && rd == 0 && got == std::vector<std::uint8_t>(block.begin() + 1, block.end()), hex(got));

    st = a->write(0x40, {0x48});
    rd = a->read(0x40, 1, got);
    check("stub: send byte, receive byte", st == 0 && rd == 0 && got == std::vector<std::uint8_t>{0xC8},
          hex(got));

    st = a->write(0x40, {});
    check("stub: quick write to a chip", st == 0, statusText(st, *a));

    rd = a->writeRead(0x60, {0x00}, 1, got);
    check("stub: an absent address gives status 1, the bus stays", rd == 1 && a->isPresent(),
          statusText(rd, *a));

    rd = a->read(0x40, 2, got);
    check("stub: a 2-byte read without register gets the clear refusal",
          rd == status::Refused && a->refusal().find("SMBus only") != std::string::npos &&
              a->refusal().find("2-byte read") != std::string::npos,
          statusText(rd, *a));

    // A 256-byte EEPROM at 0x50 through the memory transfers.
    MemoryDevice d;
    d.size = 256;
    d.pageSize = 16;
    d.writeTimeMs = 5;
    MemoryBus mb(*a, d);
    std::vector<std::uint8_t> image(256);
    for (int i = 0; i < 256; ++i)
        image[i] = static_cast<std::uint8_t>(i * 13 + 7);
    MemoryBusResult w = mb.writeAll(image);
    count.transfers = 0;
    std::vector<std::uint8_t> back;
    MemoryBusResult r = mb.readAll(back);
    check("stub: 256-byte memory written and read back in 32-byte I2C block reads",
          w.ok() && r.ok() && back == image && count.transfers == 8,
          "write " + std::to_string(w.status) + ", read " + std::to_string(r.status) + ", " +
              std::to_string(count.transfers) + " ioctls");

    // A kernel driver claims 0x50: writes ask, reads do not.
    const std::string busDir = "/sys/bus/i2c/devices/i2c-" + std::to_string(a->bus().number);
    writeSysfs(busDir + "/new_device", "24c02 0x50");
    linuxi2c::AddressClaim claim;
    for (int i = 0; i < 50 && !claim.claimed(); ++i) {
        claim = linuxi2c::addressClaim(linuxi2c::Environment{}, a->bus().number, 0x50);
        if (!claim.claimed())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    check("stub: sysfs shows at24 claiming 0x50", claim.driver == "at24", claim.driver);
    int asked = 0;
    bool yes = false;
    a->setWriteApproval([&](const LinuxI2cAdapter::WriteCheck& c) {
        ++asked;
        return c.driver == "at24" && yes;
    });
    rd = a->writeRead(0xA0, {0x00}, 4, got);
    st = a->write(0xA0, {0x00, 0x99});
    std::vector<std::uint8_t> after;
    a->writeRead(0xA0, {0x00}, 1, after);
    check("stub: a declined write to the claimed address is not sent",
          rd == 0 && st == status::Refused && asked == 1 && after == std::vector<std::uint8_t>{image[0]},
          statusText(st, *a) + ", asked " + std::to_string(asked));
    yes = true;
    st = a->write(0xA0, {0x00, 0x99});
    a->writeRead(0xA0, {0x00}, 1, after);
    check("stub: a confirmed write goes out", st == 0 && after == std::vector<std::uint8_t>{0x99},
          statusText(st, *a));
    writeSysfs(busDir + "/delete_device", "0x50");
}

// What a command prints and how it ends.
struct Run {
    int code = -1;
    std::string out;
};

Run runCli(const std::string& args)
{
    Run r;
    FILE* p = popen((std::string(kCli) + " " + args + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p))
        r.out += buf;
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::string oneLine(std::string s)
{
    for (char& c : s)
        if (c == '\n')
            c = '|';
    return s;
}

// The scan grid's row for addresses 0xR0 to 0xRF.
std::string gridRow(const std::string& grid, int row)
{
    char label[8];
    std::snprintf(label, sizeof label, "%02x:", row);
    const std::size_t at = grid.find(std::string("\n") + label);
    return at == std::string::npos ? std::string() : grid.substr(at + 1, grid.find('\n', at + 1) - at - 1);
}

// tallyport-cli on the kernel's buses: the adapter list, register writes
// and reads (SMBus forms on i2c-stub, a repeated-start read on the DDC
// bus), a failure's exit status and text, and the scan grid with an
// address that a kernel driver has claimed.
void cliCases()
{
    if (::access(kCli, X_OK) != 0) {
        check("cli: the program is in the VM", false, kCli);
        return;
    }
    const std::string stub = busStartingWith("SMBus stub driver");
    const std::string dvi = busStartingWith("radeonfb dvi");

    Run r = runCli("adapters");
    check("cli: adapters lists the bench and the kernel's buses",
          r.code == 0 && r.out.rfind("bench\t", 0) == 0 && r.out.find("SMBus stub driver") != std::string::npos &&
              r.out.find("radeonfb dvi") != std::string::npos,
          oneLine(r.out));

    r = runCli("set -a '" + stub + "' 20 10 5A 6B");
    const Run back = runCli("get -a 'SMBus stub driver' 0x20 0x10 --count 2");
    check("cli: set, then get on i2c-stub", r.code == 0 && back.code == 0 && back.out == "5A 6B\n",
          oneLine(r.out + back.out));

    r = runCli("get -a " + dvi + " 50 00 --count 8");
    check("cli: get of the EDID header on the DDC bus", r.code == 0 && r.out == "00 FF FF FF FF FF FF 00\n",
          oneLine(r.out));
    r = runCli("get -a " + dvi + " 60 00");
    check("cli: get at an absent address exits 1 with the status text",
          r.code == 1 && r.out == "tallyport-cli: Address not acknowledged\n", oneLine(r.out));

    r = runCli("scan -a " + dvi);
    check("cli: scan of the DDC bus finds the EDID chip at 50",
          r.code == 0 && gridRow(r.out, 0x50).rfind("50: 50 -- ", 0) == 0 &&
              gridRow(r.out, 0x20) == "20: -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- ",
          oneLine(r.out));

    // at24 takes 0x50 on the stub bus: the scan must leave it alone.
    const int number = std::atoi(stub.c_str() + stub.rfind('-') + 1);
    const std::string sysfs = "/sys/bus/i2c/devices/i2c-" + std::to_string(number);
    const bool bound = writeSysfs(sysfs + "/new_device", "24c02 0x50");
    r = runCli("scan -a " + stub);
    check("cli: scan of i2c-stub shows its chip at 20 and UU for the one at24 claimed",
          bound && r.code == 0 && gridRow(r.out, 0x20).rfind("20: 20 -- ", 0) == 0 &&
              gridRow(r.out, 0x50).rfind("50: UU -- ", 0) == 0,
          oneLine(r.out));
    r = runCli("set -a " + stub + " 50 00 11");
    check("cli: a write where at24 claimed the address is refused without --force",
          r.code == 1 && r.out.find("at24") != std::string::npos && r.out.find("--force") != std::string::npos,
          oneLine(r.out));
    writeSysfs(sysfs + "/delete_device", "0x50");
}

// i2c-tools' own programs: busybox has applets of the same names that
// answer differently, so they are called by their full path.
const char* const kI2cTools = "/usr/sbin/";

// A command's standard output and exit status; its errors are left out
// unless the command sends them elsewhere itself.
Run runOut(const std::string& command)
{
    Run r;
    const bool redirects = command.find("2>&1") != std::string::npos;
    FILE* p = popen((redirects ? command : command + " 2>/dev/null").c_str(), "r");
    if (!p)
        return r;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p))
        r.out += buf;
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The byte a one-byte read printed, as either program prints it ("0x5a", "5A").
int byteOf(const std::string& text)
{
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 16);
    return end != text.c_str() && v >= 0 && v <= 0xFF ? int(v) : -1;
}

// transfer, dump and a receive byte against i2c-tools' i2ctransfer, i2cdump
// and i2cget on the same buses, output compared byte for byte: the DDC bus
// (plain I2C) and i2c-stub (SMBus only, so the adapter's SMBus forms).
void i2cToolsComparisons()
{
    // The earlier cases left i2c-stub without its chip at 0x20: a fresh one.
    const int reloaded = std::system("rmmod i2c-stub && insmod /lib/modules/i2c-stub.ko chip_addr=0x20");
    check("compare: i2c-stub reloaded with a chip at 0x20", reloaded == 0, "rc " + std::to_string(reloaded));
    const std::string stub = busStartingWith("SMBus stub driver");
    const std::string dvi = busStartingWith("radeonfb dvi");
    const std::string dviN = dvi.substr(dvi.rfind('-') + 1), stubN = stub.substr(stub.rfind('-') + 1);
    const std::string tools(kI2cTools);

    Run version = runOut(tools + "i2ctransfer -V 2>&1");
    check("i2c-tools: its own i2ctransfer answers -V", version.out.find("i2ctransfer version") != std::string::npos,
          oneLine(version.out));

    Run theirs = runOut(tools + "i2ctransfer -y " + dviN + " w1@0x50 0x00 r16 r4");
    Run ours = runOut(std::string(kCli) + " transfer -a " + dvi + " w1@0x50 0x00 r16 r4");
    check("compare: transfer as i2ctransfer on the DDC bus",
          theirs.code == 0 && ours.code == 0 && !ours.out.empty() && ours.out == theirs.out,
          oneLine(theirs.out) + " / " + oneLine(ours.out));

    for (const char* mode : {"b", "i"}) {
        theirs = runOut(tools + "i2cdump -y " + dviN + " 0x50 " + mode);
        ours = runOut(std::string(kCli) + " dump -a " + dviN + " 50 " + mode);
        check(std::string("compare: dump ") + mode + " as i2cdump on the DDC bus",
              theirs.code == 0 && ours.code == 0 && ours.out.size() > 1000 && ours.out == theirs.out,
              "\n" + theirs.out + "\n" + ours.out);
    }
    runCli("set -a " + stub + " 20 30 41 42 43 44 45 46 47 48");
    // i2c-stub keeps a word per register; bytes written land in their low halves.
    for (const auto& [mode, written] : {std::pair{"b", "41 42 43"}, {"w", "41 "}, {"i", "41 42 43"}}) {
        theirs = runOut(tools + "i2cdump -y " + stubN + " 0x20 " + mode);
        ours = runOut(std::string(kCli) + " dump -a i2c-" + stubN + " 0x20 " + mode);
        check(std::string("compare: dump ") + mode + " as i2cdump on i2c-stub",
              theirs.code == 0 && ours.code == 0 && ours.out.find(written) != std::string::npos &&
                  ours.out == theirs.out,
              "\n" + theirs.out + "\n" + ours.out);
    }
    // i2ctransfer needs plain I2C; on the SMBus-only stub our transfer takes the SMBus form.
    theirs = runOut(tools + "i2cdump -y -r 0x30-0x33 " + stubN + " 0x20 b");
    ours = runOut(std::string(kCli) + " transfer -a " + stub + " w1@0x20 0x30 r4");
    check("compare: transfer on i2c-stub reads what i2cdump shows", ours.code == 0 &&
              ours.out == "0x41 0x42 0x43 0x44\n" && theirs.out.find("41 42 43 44") != std::string::npos,
          oneLine(ours.out) + " / " + oneLine(theirs.out));

    // A receive byte reads where the chip's pointer stands: set it the same way before each.
    for (const std::string& bus : {dvi, stub}) {
        const std::string address = bus == dvi ? "0x50" : "0x20";
        const std::string number = bus == dvi ? dviN : stubN;
        runCli("set -a " + bus + " " + address + " 31");
        theirs = runOut(tools + "i2cget -y " + number + " " + address);
        runCli("set -a " + bus + " " + address + " 31");
        ours = runOut(std::string(kCli) + " get -a " + bus + " " + address);
        check("compare: receive byte as i2cget on " + std::string(bus == dvi ? "the DDC bus" : "i2c-stub"),
              theirs.code == 0 && ours.code == 0 && byteOf(theirs.out) >= 0 && byteOf(theirs.out) == byteOf(ours.out),
              oneLine(theirs.out) + " / " + oneLine(ours.out));
    }
    theirs = runOut(tools + "i2cget -y " + stubN + " 0x20 0x30 w");
    ours = runOut(std::string(kCli) + " get -a " + stub + " 20 30 --word");
    check("compare: word read as i2cget w on i2c-stub",
          theirs.code == 0 && ours.code == 0 && theirs.out.rfind("0x", 0) == 0 && ours.out.size() == 5 &&
              std::strtol(theirs.out.c_str(), nullptr, 16) == std::strtol(ours.out.c_str(), nullptr, 16) &&
              (std::strtol(ours.out.c_str(), nullptr, 16) & 0xFF) == 0x41,
          oneLine(theirs.out) + " / " + oneLine(ours.out));
}

// i2c-stub again, told to offer no quick command: acknowledge polling must
// do without zero-length messages.
void stubWithoutQuick()
{
    const int rc = std::system(
        "rmmod i2c-stub && insmod /lib/modules/i2c-stub.ko chip_addr=0x50 functionality=0xfffeffff");
    if (rc != 0) {
        check("stub without quick: reloaded", false, "rc " + std::to_string(rc));
        return;
    }
    std::string error;
    auto a = LinuxI2cAdapter::open("SMBus stub driver", &error);
    check("stub without quick: no quick command offered", a && !a->acceptsZeroLength(), error);
    if (!a)
        return;
    MemoryDevice d;
    d.size = 128;
    d.pageSize = 8;
    d.writeTimeMs = 5;
    MemoryBus mb(*a, d);
    std::vector<std::uint8_t> image(128);
    std::iota(image.begin(), image.end(), std::uint8_t(0x30));
    MemoryBusResult w = mb.writeAll(image);
    std::vector<std::uint8_t> back;
    MemoryBusResult r = mb.readAll(back);
    bool zeroLength = false;
    for (const BusLogEntry& e : a->log().transfers())
        zeroLength = zeroLength || (!e.read && e.bytes.empty());
    check("stub without quick: EEPROM write polled without zero-length messages",
          w.ok() && r.ok() && back == image && !zeroLength,
          "write " + statusText(w.status, *a) + ", read " + std::to_string(r.status));
}

void ddcCases()
{
    Counting count;
    std::string error;
    auto a = LinuxI2cAdapter::open("radeonfb dvi", &error, nullptr, count.env());
    check("ddc: opens by its kernel name", a != nullptr, error);
    if (!a)
        return;
    check("ddc: full I2C", a->fullI2c());

    std::vector<std::uint8_t> edid;
    count.transfers = 0;
    Status st = a->writeRead(0xA0, {0x00}, 128, edid);
    const std::vector<std::uint8_t> header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    const bool headerOk =
        st == 0 && edid.size() == 128 && std::equal(header.begin(), header.end(), edid.begin());
    check("ddc: EDID header by write and repeated-start read, one ioctl", headerOk && count.transfers == 1,
          statusText(st, *a) + " " + hex(edid, 8));
    const unsigned sum = std::accumulate(edid.begin(), edid.end(), 0u);
    check("ddc: EDID checksum over 128 bytes", st == 0 && sum % 256 == 0, "sum " + std::to_string(sum));

    std::vector<std::uint8_t> part;
    st = a->writeRead(0xA0, {0x08}, 8, part);
    check("ddc: read from a register pointer",
          st == 0 && std::equal(part.begin(), part.end(), edid.begin() + 8), hex(part));
    a->writeRead(0xA0, {0x10}, 4, part);
    st = a->read(0xA0, 4, part);
    check("ddc: current-address read carries on",
          st == 0 && std::equal(part.begin(), part.end(), edid.begin() + 0x14), hex(part));

    std::vector<std::uint8_t> none;
    st = a->writeRead(0x60, {0x00}, 1, none);
    const Status probe = a->write(0x60, {});
    check("ddc: an absent address gives status 1", st == 1 && probe == 1 && a->isPresent(),
          statusText(st, *a));

    std::vector<std::uint8_t> again;
    st = a->writeRead(0xA0, {0x00}, 128, again);
    check("ddc: the bus recovers after a NACK", st == 0 && again == edid, statusText(st, *a));
    check("ddc: a zero-length write finds the EDID chip", a->write(0xA0, {}) == 0);

    MemoryDevice d;
    d.size = 128;
    d.eeprom = false;
    MemoryBus mb(*a, d);
    count.transfers = 0;
    std::vector<std::uint8_t> mem;
    MemoryBusResult r = mb.readAll(mem);
    check("ddc: a 128-byte memory read is one ioctl", r.ok() && mem == edid && count.transfers == 1,
          std::to_string(count.transfers) + " ioctls");
}

void pcSmbusCases()
{
    Counting count;
    std::string error;
    auto a = LinuxI2cAdapter::open(busStartingWith("SMBus PIIX4 adapter"), &error, nullptr, count.env());
    if (!a || !a->bus().pcSmbus) {
        check("pc smbus: opens", false, error);
        return;
    }
    std::vector<std::uint8_t> spd;
    MemoryDevice d;
    d.size = 256;
    d.eeprom = false;
    MemoryBus mb(*a, d);
    MemoryBusResult r = mb.readAll(spd);
    check("pc smbus: SPD EEPROM at 0x50 read with word reads",
          r.ok() && spd.size() == 256 && count.transfers == 128,
          std::to_string(r.status) + ", " + std::to_string(count.transfers) + " ioctls");
    int asked = 0;
    a->setWriteApproval([&](const LinuxI2cAdapter::WriteCheck& c) {
        asked += c.pcSmbus;
        return false;
    });
    std::vector<std::uint8_t> got;
    const Status rd = a->writeRead(0xA0, {0x00}, 1, got);
    const Status st = a->write(0xA0, {0x00, static_cast<std::uint8_t>(spd[0] ^ 0xFF)});
    std::vector<std::uint8_t> after;
    a->writeRead(0xA0, {0x00}, 1, after);
    check("pc smbus: the first write asks; declined, nothing is written",
          rd == 0 && st == status::Refused && asked == 1 && !after.empty() && after[0] == spd[0],
          statusText(st, *a));
}

std::string foundAddresses(const scan::Result& r)
{
    std::string out;
    for (int a = 0; a < 128; ++a)
        if (r.cells[std::size_t(a)].state == scan::Cell::State::Found)
            out += (out.empty() ? "" : " ") + intToHex(std::uint64_t(a), 2);
    return out;
}

// The bus scan on an SMBus controller without the quick command (i2c-stub
// as stubWithoutQuick left it: one chip at 0x50), then with a driver
// holding that address.
void scanCases()
{
    std::string error;
    auto a = LinuxI2cAdapter::open("SMBus stub driver", &error);
    if (!a) {
        check("scan: stub opens", false, error);
        return;
    }
    scan::Scanner s(*a, scan::setupFor(*a));
    s.run();
    check("scan: without quick command, receive byte everywhere, the chip at 0x50 only",
          foundAddresses(s.result()) == "50" && s.result().probes == 112 &&
              scan::methodSummary(s.result()) == "one-byte read at 0x08-0x77",
          foundAddresses(s.result()) + "; " + scan::methodSummary(s.result()));
    const std::string busDir = "/sys/bus/i2c/devices/i2c-" + std::to_string(a->bus().number);
    writeSysfs(busDir + "/new_device", "24c02 0x50");
    for (int i = 0; i < 50 && !linuxi2c::addressClaim(linuxi2c::Environment{}, a->bus().number, 0x50).claimed(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    scan::Scanner claimed(*a, scan::setupFor(*a));
    claimed.run();
    const scan::Cell& c = claimed.result().cells[0x50];
    check("scan: an address at24 holds shows UU and is not probed",
          c.state == scan::Cell::State::Claimed && c.driver == "at24" && claimed.result().probes == 111,
          scan::gridText(claimed.result()));
    writeSysfs(busDir + "/delete_device", "0x50");
}

// A bus log exported as an i2ctransfer script and run by i2c-tools'
// i2ctransfer on the DDC bus: it reads back what the log recorded.
void replayCase()
{
    std::string error;
    auto a = LinuxI2cAdapter::open("radeonfb dvi", &error);
    if (!a) {
        check("replay: ddc opens", false, error);
        return;
    }
    a->log().clear();
    std::vector<std::uint8_t> got;
    a->writeRead(0xA0, {0x00}, 16, got); // pointer, repeated start, 16 bytes
    a->write(0xA0, {0x08});               // pointer alone
    a->read(0xA0, 8, got);                // current-address read
    a->write(0xC0, {0x00});               // nobody there: kept as a comment
    const std::string script = buslog::toI2cTransferScript(a->log().entries(), scan::linuxBusNumber(*a), a->name());
    ::mkdir("/tmp", 0755); // the VM's initramfs may have none
    {
        std::ofstream out("/tmp/replay.sh");
        out << script;
        check("replay: script written", bool(out));
    }
    // busybox's sh runs its own applet for a bare "i2ctransfer" whatever
    // PATH says: the copy that runs names i2c-tools' program by its path.
    std::string viaTools;
    int commands = 0;
    for (std::size_t at = 0; at < script.size();) {
        const std::size_t end = std::min(script.find('\n', at), script.size());
        std::string line = script.substr(at, end - at);
        if (line.rfind("i2ctransfer ", 0) == 0) {
            line = std::string(kI2cTools) + line;
            ++commands;
        }
        viaTools += line + "\n";
        at = end + 1;
    }
    {
        std::ofstream out("/tmp/replay-tools.sh");
        out << viaTools;
    }
    std::vector<std::string> recorded;
    std::size_t at = 0;
    while ((at = script.find("\n# read ", at)) != std::string::npos) {
        at += 8;
        recorded.push_back(script.substr(at, script.find('\n', at) - at));
    }
    std::vector<std::string> replayed;
    // i2c-tools' i2ctransfer first in the path, not busybox's applet.
    if (FILE* p = popen("sh /tmp/replay-tools.sh 2>&1", "r")) {
        char line[4096];
        while (std::fgets(line, sizeof line, p)) {
            std::string l(line);
            while (!l.empty() && (l.back() == '\n' || l.back() == ' '))
                l.pop_back();
            replayed.push_back(l);
        }
        const int rc = pclose(p);
        check("replay: the script runs to its end", rc == 0, "rc " + std::to_string(rc));
    }
    std::string detail;
    for (const std::string& l : replayed)
        detail += "\n    " + l;
    const bool same = recorded.size() == 2 && replayed == recorded;
    check("replay: i2ctransfer reads what the log recorded", same, detail + (same ? "" : "\n" + script));
    const Run which = runOut(std::string(kI2cTools) + "i2ctransfer -V 2>&1");
    check("replay: the script's i2ctransfer is i2c-tools'",
          commands == 3 && which.out.find("i2ctransfer version") != std::string::npos,
          std::to_string(commands) + " commands; " + oneLine(which.out));

    // The same script replayed by tallyport-cli on the same bus reads the same.
    const Run ours = runOut(std::string(kCli) + " transfer -a " + a->bus().devNode + " --from-script /tmp/replay.sh");
    std::string expected;
    for (const std::string& l : recorded)
        expected += l + "\n";
    check("replay: tallyport-cli transfer --from-script reads what the log recorded",
          ours.code == 0 && !expected.empty() && ours.out == expected, "\n" + ours.out);
}

} // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    listing();
    stubCases();
    cliCases();
    stubWithoutQuick();
    ddcCases();
    pcSmbusCases();
    scanCases();
    replayCase();
    i2cToolsComparisons();
    std::printf("hwtest: %d passed, %d failed\n", g_passed, g_failed);
    return g_failed == 0 && g_passed > 0 ? 0 : 1;
}
