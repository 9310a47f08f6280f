#include "tests/support/FakeI2cKernel.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

struct Msg {
    int addr;
    bool read;
    std::uint8_t* buf;
    std::size_t len;
};

std::string hex2(unsigned v)
{
    char b[4];
    std::snprintf(b, sizeof b, "%02X", v & 0xFF);
    return b;
}

std::string bytesText(const std::uint8_t* p, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += (i ? " " : "") + hex2(p[i]);
    return s;
}

// The transaction on the wire, as the I2C core would run it.
int runMessages(FakeI2cBus& bus, const std::vector<Msg>& msgs)
{
    if (bus.failNext) {
        const int e = bus.failNext;
        bus.failNext = 0;
        return e;
    }
    for (const Msg& m : msgs) {
        if (bus.noZeroLength && m.len == 0)
            return EOPNOTSUPP;
        if (bus.maxReadLength && m.read && m.len > bus.maxReadLength)
            return EOPNOTSUPP;
    }
    for (const Msg& m : msgs) {
        auto it = bus.chips.find(m.addr);
        if (it == bus.chips.end())
            return bus.absentErrno;
        FakeI2cBus::Chip& c = it->second;
        if (c.busy > 0) {
            --c.busy;
            return bus.absentErrno;
        }
        const std::size_t size = c.memory.size();
        if (m.read) {
            for (std::size_t i = 0; i < m.len; ++i) {
                m.buf[i] = c.memory[c.pointer % size];
                c.pointer = (c.pointer + 1) % size;
            }
            continue;
        }
        std::size_t i = 0;
        if (m.len >= static_cast<std::size_t>(c.addressBytes)) {
            std::size_t p = 0;
            for (; i < static_cast<std::size_t>(c.addressBytes); ++i)
                p = (p << 8) | m.buf[i];
            c.pointer = p % size;
        }
        for (; i < m.len; ++i) {
            c.memory[c.pointer] = m.buf[i];
            c.pointer = (c.pointer + 1) % size;
        }
        if (m.len > static_cast<std::size_t>(c.addressBytes))
            c.busy = c.writeCycle;
    }
    return 0;
}

const char* protocolName(int size)
{
    switch (size) {
    case I2C_SMBUS_QUICK:
        return "QUICK";
    case I2C_SMBUS_BYTE:
        return "BYTE";
    case I2C_SMBUS_BYTE_DATA:
        return "BYTE_DATA";
    case I2C_SMBUS_WORD_DATA:
        return "WORD_DATA";
    case I2C_SMBUS_PROC_CALL:
        return "PROC_CALL";
    case I2C_SMBUS_BLOCK_DATA:
        return "BLOCK";
    case I2C_SMBUS_I2C_BLOCK_DATA:
        return "I2C_BLOCK";
    default:
        return "?";
    }
}

unsigned long neededBit(int size, bool read)
{
    switch (size) {
    case I2C_SMBUS_QUICK:
        return I2C_FUNC_SMBUS_QUICK;
    case I2C_SMBUS_BYTE:
        return read ? I2C_FUNC_SMBUS_READ_BYTE : I2C_FUNC_SMBUS_WRITE_BYTE;
    case I2C_SMBUS_BYTE_DATA:
        return read ? I2C_FUNC_SMBUS_READ_BYTE_DATA : I2C_FUNC_SMBUS_WRITE_BYTE_DATA;
    case I2C_SMBUS_WORD_DATA:
        return read ? I2C_FUNC_SMBUS_READ_WORD_DATA : I2C_FUNC_SMBUS_WRITE_WORD_DATA;
    case I2C_SMBUS_PROC_CALL:
        return I2C_FUNC_SMBUS_PROC_CALL;
    case I2C_SMBUS_I2C_BLOCK_DATA:
        return read ? I2C_FUNC_SMBUS_READ_I2C_BLOCK : I2C_FUNC_SMBUS_WRITE_I2C_BLOCK;
    default:
        return ~0ul;
    }
}

int rdwr(FakeI2cBus& bus, i2c_rdwr_ioctl_data* d)
{
    std::string t = "rdwr";
    std::vector<Msg> msgs;
    for (__u32 i = 0; i < d->nmsgs; ++i) {
        const i2c_msg& m = d->msgs[i];
        const bool read = m.flags & I2C_M_RD;
        msgs.push_back({m.addr, read, m.buf, m.len});
        t += " " + std::string(read ? "R" : "W") + hex2(m.addr) +
             (read ? "(" + std::to_string(m.len) + ")" : "[" + bytesText(m.buf, m.len) + "]");
    }
    bus.trace.push_back(t);
    ++bus.transferIoctls;
    if (!(bus.funcs & I2C_FUNC_I2C))
        return EOPNOTSUPP; // as SMBus-only drivers answer
    return runMessages(bus, msgs);
}

int smbus(FakeI2cBus& bus, i2c_smbus_ioctl_data* a)
{
    const bool read = a->read_write == I2C_SMBUS_READ;
    const int size = static_cast<int>(a->size);
    std::string t = std::string("smbus ") + (read ? "r " : "w ") + protocolName(size);
    std::uint8_t buf[I2C_SMBUS_BLOCK_MAX + 2] = {};
    std::uint8_t in[I2C_SMBUS_BLOCK_MAX + 2] = {};
    std::uint8_t cmd = a->command;
    std::vector<Msg> msgs;
    switch (size) {
    case I2C_SMBUS_QUICK:
        msgs.push_back({bus.slave, read, buf, 0});
        break;
    case I2C_SMBUS_BYTE:
        t += read ? "" : " " + hex2(cmd);
        if (read)
            msgs.push_back({bus.slave, true, in, 1});
        else
            msgs.push_back({bus.slave, false, &cmd, 1});
        break;
    case I2C_SMBUS_BYTE_DATA:
    case I2C_SMBUS_WORD_DATA:
    case I2C_SMBUS_PROC_CALL: {
        const std::size_t n = size == I2C_SMBUS_BYTE_DATA ? 1 : 2;
        buf[0] = cmd;
        t += " " + hex2(cmd);
        const bool writes = !read || size == I2C_SMBUS_PROC_CALL;
        if (writes) {
            buf[1] =
                static_cast<std::uint8_t>(size == I2C_SMBUS_BYTE_DATA ? a->data->byte : a->data->word & 0xFF);
            buf[2] = static_cast<std::uint8_t>(a->data->word >> 8);
            t += " [" + bytesText(buf + 1, n) + "]";
            msgs.push_back({bus.slave, false, buf, 1 + n});
        } else {
            msgs.push_back({bus.slave, false, buf, 1});
        }
        if (read || size == I2C_SMBUS_PROC_CALL)
            msgs.push_back({bus.slave, true, in, n});
        break;
    }
    case I2C_SMBUS_I2C_BLOCK_DATA: {
        const std::size_t n = a->data->block[0];
        buf[0] = cmd;
        t += " " + hex2(cmd);
        if (n < 1 || n > I2C_SMBUS_BLOCK_MAX)
            return EINVAL;
        if (read) {
            t += " (" + std::to_string(n) + ")";
            msgs.push_back({bus.slave, false, buf, 1});
            msgs.push_back({bus.slave, true, in, n});
        } else {
            std::copy(a->data->block + 1, a->data->block + 1 + n, buf + 1);
            t += " [" + bytesText(buf + 1, n) + "]";
            msgs.push_back({bus.slave, false, buf, 1 + n});
        }
        break;
    }
    default:
        t += " unsupported";
        break;
    }
    bus.trace.push_back(t);
    ++bus.transferIoctls;
    if ((bus.funcs & neededBit(size, read)) != neededBit(size, read))
        return EOPNOTSUPP;
    if (const int e = runMessages(bus, msgs))
        return e;
    if (size == I2C_SMBUS_BYTE && read)
        a->data->byte = in[0];
    else if (size == I2C_SMBUS_BYTE_DATA && read)
        a->data->byte = in[0];
    else if ((size == I2C_SMBUS_WORD_DATA && read) || size == I2C_SMBUS_PROC_CALL)
        a->data->word = static_cast<__u16>(in[0] | (in[1] << 8));
    else if (size == I2C_SMBUS_I2C_BLOCK_DATA && read)
        std::copy(in, in + a->data->block[0], a->data->block + 1);
    return 0;
}

void writeFile(const fs::path& p, const std::string& text)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

} // namespace

tp::linuxi2c::System FakeI2cHost::system()
{
    tp::linuxi2c::System s;
    s.open = [this](const char* path) {
        if (auto e = openErrno.find(path); e != openErrno.end())
            return errno = e->second, -1;
        auto b = buses.find(path);
        if (b == buses.end() || b->second.removed)
            return errno = ENOENT, -1;
        const int fd = nextFd++;
        openFds[fd] = path;
        return fd;
    };
    s.close = [this](int fd) { openFds.erase(fd); };
    s.ioctl = [this](int fd, unsigned long request, unsigned long arg) {
        auto o = openFds.find(fd);
        if (o == openFds.end())
            return errno = EBADF, -1;
        FakeI2cBus& bus = buses[o->second];
        ++bus.allIoctls;
        if ((request == I2C_RDWR || request == I2C_SMBUS) && bus.beforeTransfer)
            bus.beforeTransfer(bus);
        if (bus.removed)
            return errno = ENODEV, -1;
        int e = 0;
        switch (request) {
        case I2C_FUNCS:
            *reinterpret_cast<unsigned long*>(arg) = bus.funcs;
            break;
        case I2C_SLAVE_FORCE:
            bus.slave = static_cast<int>(arg);
            bus.trace.push_back("slave " + hex2(static_cast<unsigned>(arg)));
            break;
        case I2C_RDWR:
            e = rdwr(bus, reinterpret_cast<i2c_rdwr_ioctl_data*>(arg));
            break;
        case I2C_SMBUS:
            e = smbus(bus, reinterpret_cast<i2c_smbus_ioctl_data*>(arg));
            break;
        default:
            e = ENOTTY;
        }
        if (e)
            return errno = e, -1;
        return request == I2C_RDWR ? static_cast<int>(reinterpret_cast<i2c_rdwr_ioctl_data*>(arg)->nmsgs) : 0;
    };
    return s;
}

FakeSysfs::FakeSysfs()
{
    char tmpl[] = "/tmp/tallyport-sysfs-XXXXXX";
    if (!mkdtemp(tmpl))
        throw std::runtime_error("no temporary folder");
    m_root = tmpl;
    fs::create_directories(m_root / "sys" / "class" / "i2c-dev");
    fs::create_directories(m_root / "sys" / "bus" / "i2c" / "devices");
    fs::create_directories(m_root / "sys" / "bus" / "pci");
    fs::create_directories(m_root / "dev");
}

FakeSysfs::~FakeSysfs()
{
    std::error_code ec;
    fs::remove_all(m_root, ec);
}

std::string FakeSysfs::addBus(int number, const std::string& name, bool pciParent)
{
    const std::string n = "i2c-" + std::to_string(number);
    const fs::path sys = m_root / "sys";
    const fs::path parent =
        pciParent ? sys / "devices" / "pci0000:00" / "0000:00:1f.4" : sys / "devices" / "platform";
    fs::create_directories(parent);
    if (pciParent && !fs::exists(fs::symlink_status(parent / "subsystem")))
        fs::create_directory_symlink(sys / "bus" / "pci", parent / "subsystem");
    const fs::path adapter = parent / n;
    writeFile(adapter / "name", name + "\n");
    writeFile(adapter / "i2c-dev" / n / "name", name + "\n");
    fs::create_directory_symlink(adapter, adapter / "i2c-dev" / n / "device");
    fs::create_directory_symlink(adapter / "i2c-dev" / n, sys / "class" / "i2c-dev" / n);
    writeFile(m_root / "dev" / n, "");
    return node(number);
}

void FakeSysfs::removeBus(int number)
{
    const std::string n = "i2c-" + std::to_string(number);
    const fs::path link = m_root / "sys" / "class" / "i2c-dev" / n;
    std::error_code ec;
    const fs::path target = fs::read_symlink(link, ec);
    fs::remove(link, ec);
    if (!ec)
        fs::remove_all(target.parent_path().parent_path(), ec);
    fs::remove(m_root / "dev" / n, ec);
}

void FakeSysfs::addClient(int bus, int address7)
{
    char client[32];
    std::snprintf(client, sizeof client, "%d-%04x", bus, address7);
    const fs::path dir = m_root / "sys" / "devices" / "clients" / client;
    fs::create_directories(dir);
    const fs::path link = m_root / "sys" / "bus" / "i2c" / "devices" / client;
    if (!fs::exists(fs::symlink_status(link)))
        fs::create_directory_symlink(dir, link);
}

void FakeSysfs::claim(int bus, int address7, const std::string& driver)
{
    addClient(bus, address7);
    char client[32];
    std::snprintf(client, sizeof client, "%d-%04x", bus, address7);
    const fs::path drv = m_root / "sys" / "bus" / "i2c" / "drivers" / driver;
    fs::create_directories(drv);
    fs::create_directory_symlink(drv, m_root / "sys" / "devices" / "clients" / client / "driver");
}

void FakeSysfs::setClockFrequency(int bus, std::uint32_t hz)
{
    const fs::path adapter =
        fs::canonical(m_root / "sys" / "class" / "i2c-dev" / ("i2c-" + std::to_string(bus)) / "device");
    const char be[4] = {static_cast<char>(hz >> 24), static_cast<char>(hz >> 16), static_cast<char>(hz >> 8),
                        static_cast<char>(hz)};
    writeFile(adapter / "of_node" / "clock-frequency", std::string(be, 4));
}

tp::linuxi2c::Environment FakeSysfs::environment(FakeI2cHost& host) const
{
    tp::linuxi2c::Environment env;
    env.sysfsRoot = sysfsRoot();
    env.devRoot = devRoot();
    env.system = host.system();
    return env;
}
