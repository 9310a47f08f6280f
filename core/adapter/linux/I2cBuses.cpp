#include "core/adapter/linux/I2cBuses.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <system_error>

namespace fs = std::filesystem;

namespace tp::linuxi2c {

namespace {

std::optional<std::string> readText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string s((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

fs::path classDir(const Environment& env, int number)
{
    return fs::path(env.sysfsRoot) / "class" / "i2c-dev" / ("i2c-" + std::to_string(number));
}

std::string adapterName(const Environment& env, int number)
{
    const fs::path dir = classDir(env, number);
    if (auto n = readText(dir / "name"))
        return *n;
    if (auto n = readText(dir / "device" / "name"))
        return *n;
    return {};
}

std::optional<int> busNumber(const std::string& entry)
{
    if (entry.rfind("i2c-", 0) != 0 || entry.size() == 4)
        return std::nullopt;
    int n = 0;
    for (std::size_t i = 4; i < entry.size(); ++i) {
        if (entry[i] < '0' || entry[i] > '9' || n > 100000)
            return std::nullopt;
        n = n * 10 + (entry[i] - '0');
    }
    return n;
}

// The i2cdetect classification, from the functionality the kernel reports.
void classify(const Environment& env, BusInfo& b)
{
    if (b.name.rfind("ISA ", 0) == 0) {
        b.kind = "isa";
        return;
    }
    const int fd = env.system.open(b.devNode.c_str());
    if (fd < 0) {
        b.kind = "unknown";
        return;
    }
    unsigned long funcs = 0;
    if (env.system.ioctl(fd, I2C_FUNCS, reinterpret_cast<unsigned long>(&funcs)) < 0) {
        b.kind = "unknown";
    } else {
        b.funcs = funcs;
        if (funcs & I2C_FUNC_I2C)
            b.kind = "i2c";
        else if (funcs & (I2C_FUNC_SMBUS_BYTE | I2C_FUNC_SMBUS_BYTE_DATA | I2C_FUNC_SMBUS_WORD_DATA))
            b.kind = "smbus";
        else
            b.kind = "dummy";
    }
    env.system.close(fd);
}

bool onPciDevice(const fs::path& adapterDevice)
{
    std::error_code ec;
    const fs::path subsystem = fs::read_symlink(adapterDevice.parent_path() / "subsystem", ec);
    return !ec && subsystem.filename() == "pci";
}

BusInfo describe(const Environment& env, int number)
{
    BusInfo b;
    b.number = number;
    b.devNode = (fs::path(env.devRoot) / ("i2c-" + std::to_string(number))).string();
    b.name = adapterName(env, number);
    std::error_code ec;
    const fs::path dev = fs::canonical(classDir(env, number) / "device", ec);
    if (!ec)
        b.devicePath = dev.string();
    classify(env, b);
    b.pcSmbus = b.kind == "smbus" && !b.devicePath.empty() && onPciDevice(b.devicePath);
    return b;
}

} // namespace

std::string BusInfo::label() const
{
    return "i2c-" + std::to_string(number) + "  " + name;
}

std::string BusInfo::listLine() const
{
    const char* algo = kind == "i2c"     ? "I2C adapter"
                       : kind == "smbus" ? "SMBus adapter"
                       : kind == "isa"   ? "ISA adapter"
                       : kind == "dummy" ? "Dummy adapter"
                                         : "N/A";
    char line[512];
    std::snprintf(line, sizeof line, "i2c-%d\t%-10s\t%-32s\t%s", number, kind.c_str(), name.c_str(), algo);
    return line;
}

std::vector<BusInfo> listBuses(const Environment& env)
{
    std::vector<int> numbers;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(env.sysfsRoot) / "class" / "i2c-dev", ec), end; !ec && it != end;
         it.increment(ec)) {
        if (auto n = busNumber(it->path().filename().string()))
            numbers.push_back(*n);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<BusInfo> out;
    for (int n : numbers)
        out.push_back(describe(env, n));
    return out;
}

std::optional<BusInfo> findBus(const Environment& env, const std::string& spec)
{
    if (spec.empty())
        return std::nullopt;
    std::optional<int> number;
    const std::string base = fs::path(spec).filename().string();
    if (auto n = busNumber(base); n && (spec == base || spec.find('/') != std::string::npos))
        number = n;
    else if (auto m = busNumber("i2c-" + spec))
        number = m;
    // Describing a bus opens it and asks its functionality: only the one meant.
    std::optional<int> found; // the lowest number when two adapters share a name
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(env.sysfsRoot) / "class" / "i2c-dev", ec), end; !ec && it != end;
         it.increment(ec)) {
        const auto n = busNumber(it->path().filename().string());
        if (n && (!found || *n < *found) && (number ? *n == *number : adapterName(env, *n) == spec))
            found = n;
    }
    if (!found)
        return std::nullopt;
    return describe(env, *found);
}

bool busPresent(const Environment& env, int number, const std::string& name)
{
    std::error_code ec;
    const fs::path node = fs::path(env.devRoot) / ("i2c-" + std::to_string(number));
    if (!fs::exists(node, ec) || !fs::exists(classDir(env, number), ec))
        return false;
    return adapterName(env, number) == name;
}

AddressClaim addressClaim(const Environment& env, int bus, std::uint8_t address7)
{
    char client[32];
    std::snprintf(client, sizeof client, "%d-%04x", bus, address7);
    const fs::path dir = fs::path(env.sysfsRoot) / "bus" / "i2c" / "devices" / client;
    AddressClaim c;
    std::error_code ec;
    c.device = fs::exists(dir, ec);
    if (!c.device)
        return c;
    const fs::path driver = fs::read_symlink(dir / "driver", ec);
    if (!ec)
        c.driver = driver.filename().string();
    return c;
}

std::optional<unsigned> busFrequencyHz(const Environment& env, int bus)
{
    std::error_code ec;
    const fs::path dev = fs::canonical(classDir(env, bus) / "device", ec);
    if (ec)
        return std::nullopt;
    // The bus node itself, or the controller it belongs to.
    for (const fs::path& node : {dev / "of_node", dev.parent_path() / "of_node"}) {
        std::ifstream in(node / "clock-frequency", std::ios::binary);
        unsigned char be[4];
        if (in.read(reinterpret_cast<char*>(be), 4))
            return (unsigned(be[0]) << 24) | (unsigned(be[1]) << 16) | (unsigned(be[2]) << 8) | be[3];
    }
    return std::nullopt;
}

std::string openAdvice(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return "Permission denied. Add yourself to the group i2c (sudo usermod -aG i2c $USER, then log in "
               "again) and install the udev rule 60-tallyport-i2c.rules that comes with Tallyport.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "The adapter is not there. Is it plugged in, and is the module i2c-dev loaded "
               "(sudo modprobe i2c-dev)?";
    case EBUSY:
        return "The adapter is busy.";
    default:
        return std::strerror(error);
    }
}

} // namespace tp::linuxi2c
