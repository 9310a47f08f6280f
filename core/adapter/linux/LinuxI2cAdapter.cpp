#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/adapter/Clock.h"
#include "core/adapter/linux/SmbusPlan.h"
#include "core/common/BusAddress.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>

namespace tp {

namespace {

bool refusedAsTooMuch(int error)
{
    return error == EOPNOTSUPP || error == EINVAL;
}

std::size_t floorPow2(std::size_t n)
{
    std::size_t p = 1;
    while (p * 2 <= n)
        p *= 2;
    return p;
}

} // namespace

std::unique_ptr<LinuxI2cAdapter> LinuxI2cAdapter::open(const linuxi2c::BusInfo& bus, std::string* error,
                                                       int* errorCode, Environment env)
{
    const auto fail = [&](int e) -> std::unique_ptr<LinuxI2cAdapter> {
        if (error)
            *error = bus.devNode + ": " + std::strerror(e) + ". " + linuxi2c::openAdvice(e);
        if (errorCode)
            *errorCode = e;
        return nullptr;
    };
    const int fd = env.system.open(bus.devNode.c_str());
    if (fd < 0)
        return fail(errno);
    unsigned long funcs = 0;
    if (env.system.ioctl(fd, I2C_FUNCS, reinterpret_cast<unsigned long>(&funcs)) < 0) {
        const int e = errno;
        env.system.close(fd);
        return fail(e);
    }
    return std::unique_ptr<LinuxI2cAdapter>(new LinuxI2cAdapter(bus, fd, funcs, std::move(env)));
}

std::unique_ptr<LinuxI2cAdapter> LinuxI2cAdapter::open(const std::string& spec, std::string* error,
                                                       int* errorCode, Environment env)
{
    auto bus = linuxi2c::findBus(env, spec);
    if (!bus) {
        if (error)
            *error = spec + ": no such I\u00B2C adapter. " + linuxi2c::openAdvice(ENOENT);
        if (errorCode)
            *errorCode = ENOENT;
        return nullptr;
    }
    return open(*bus, error, errorCode, std::move(env));
}

LinuxI2cAdapter::LinuxI2cAdapter(linuxi2c::BusInfo bus, int fd, unsigned long funcs, Environment env)
    : m_bus(std::move(bus)), m_fd(fd), m_funcs(funcs), m_env(std::move(env))
{
    m_bus.funcs = funcs;
}

LinuxI2cAdapter::~LinuxI2cAdapter()
{
    closeFd();
}

void LinuxI2cAdapter::closeFd()
{
    if (m_fd >= 0)
        m_env.system.close(m_fd);
    m_fd = -1;
}

bool LinuxI2cAdapter::fullI2c() const
{
    return m_funcs & I2C_FUNC_I2C;
}

std::size_t LinuxI2cAdapter::maxTransferLength() const
{
    return fullI2c() ? std::min(kMaxMessageLength, m_readLimit) : linuxi2c::smbusMaxTransfer(m_funcs);
}

bool LinuxI2cAdapter::acceptsZeroLength() const
{
    return fullI2c() ? !m_zeroLengthRefused : (m_funcs & I2C_FUNC_SMBUS_QUICK) != 0;
}

std::uint64_t LinuxI2cAdapter::nowUs() const
{
    return monotonicUs();
}

void LinuxI2cAdapter::markRemoved()
{
    m_gone = true;
    closeFd();
}

bool LinuxI2cAdapter::reattach(const linuxi2c::BusInfo& bus, std::string* error)
{
    const int fd = m_env.system.open(bus.devNode.c_str());
    unsigned long funcs = 0;
    if (fd < 0 || m_env.system.ioctl(fd, I2C_FUNCS, reinterpret_cast<unsigned long>(&funcs)) < 0) {
        const int e = errno;
        if (fd >= 0)
            m_env.system.close(fd);
        if (error)
            *error = bus.devNode + ": " + std::strerror(e) + ". " + linuxi2c::openAdvice(e);
        return false;
    }
    closeFd();
    m_fd = fd;
    m_funcs = funcs;
    m_bus = bus;
    m_bus.funcs = funcs;
    m_slave = -1;
    m_gone = false;
    return true;
}

Status LinuxI2cAdapter::statusForErrno(int error)
{
    switch (error) {
    case ENXIO:     // address not acknowledged (most bus drivers)
    case EREMOTEIO: // no acknowledge (others)
    case EIO:       // drivers that do not tell the two apart
    case ENODEV:    // i2c-stub and some SMBus drivers: nobody at that address
        return status::AddressNack;
    case ETIMEDOUT:
        return status::TimeOut;
    case EAGAIN:
        return status::ArbitrationLost;
    case EBUSY: // the bus stayed busy
        return status::BusStuckLow;
    case EPROTO:
    case EBADMSG:
        return status::ReadAckCorrupted;
    case EOPNOTSUPP:
    case EINVAL:
    case EMSGSIZE:
    case EACCES:
    case EPERM:
        return status::Refused;
    case ESHUTDOWN:
    case EBADF:
        return status::HardwareNotDetected;
    default:
        return status::DriverNotRunning;
    }
}

Status LinuxI2cAdapter::failure(int error, const char* what)
{
    // A plain NACK says nothing about the adapter; anything else may be its
    // removal, which only the device node and sysfs can tell.
    if (error != ENXIO && error != EREMOTEIO && !linuxi2c::busPresent(m_env, m_bus.number, m_bus.name)) {
        markRemoved();
        return status::HardwareNotDetected;
    }
    const Status st = statusForErrno(error);
    if (st == status::Refused)
        return refuse(m_bus.label() + ": the kernel driver refused " + what + " (" + std::strerror(error) +
                      ")");
    return st;
}

bool LinuxI2cAdapter::approved(std::span<I2cMessage> messages)
{
    if (!m_writeGuard.asks() || onlyReads(messages))
        return true;
    std::string refusal;
    const bool ok = m_writeGuard.allow(
        messages,
        [this](std::uint8_t address) { return linuxi2c::addressClaim(m_env, m_bus.number, address >> 1).driver; },
        m_bus.pcSmbus, m_bus.label(), "i2c-" + std::to_string(m_bus.number), &refusal);
    if (!ok)
        refuse(refusal);
    return ok;
}

Status LinuxI2cAdapter::doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed)
{
    if (!m_gone && m_watchNode && !linuxi2c::busPresent(m_env, m_bus.number, m_bus.name))
        markRemoved(); // closing the node lets the kernel finish the removal
    if (m_gone)
        return status::HardwareNotDetected;
    if (!approved(messages))
        return status::Refused;
    return fullI2c() ? i2cTransfer(messages, completed) : smbusTransfer(messages, completed);
}

// ------------------------------------------------------------------ I2C_RDWR

int LinuxI2cAdapter::rdwr(std::span<I2cMessage> messages)
{
    std::vector<i2c_msg> msgs(messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        msgs[i].addr = static_cast<__u16>(messages[i].address >> 1);
        msgs[i].flags = messages[i].read ? I2C_M_RD : 0;
        msgs[i].len = static_cast<__u16>(messages[i].data.size());
        msgs[i].buf = messages[i].data.data();
    }
    i2c_rdwr_ioctl_data data{msgs.data(), static_cast<__u32>(msgs.size())};
    return m_env.system.ioctl(m_fd, I2C_RDWR, reinterpret_cast<unsigned long>(&data)) < 0 ? errno : 0;
}

Status LinuxI2cAdapter::i2cTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed)
{
    const std::string label = m_bus.label();
    if (messages.size() > kMaxMessages)
        return refuse(label + ": i2c-dev sends at most 42 messages in one transaction");
    std::size_t longestRead = 0;
    bool zeroLength = false;
    for (const I2cMessage& m : messages) {
        if (!m.read && m.data.size() > kMaxMessageLength)
            return refuse(label + ": i2c-dev writes at most 8192 bytes in one message");
        if (m.read)
            longestRead = std::max(longestRead, m.data.size());
        zeroLength = zeroLength || m.data.empty();
    }
    if (zeroLength && m_zeroLengthRefused)
        return refuse(label + ": the adapter sends no message without data");
    // A pointer and a read, or a read alone, can go in pieces: the chip's
    // address counter carries on from one piece to the next.
    const bool chunkable = (messages.size() == 1 && messages[0].read) ||
                           (messages.size() == 2 && !messages[0].read && messages[1].read &&
                            messages[0].address == messages[1].address);
    const auto finish = [&] {
        for (std::size_t i = 0; i < messages.size(); ++i)
            completed[i] = messages[i].data.size();
        return status::Success;
    };

    int error = 0;
    if (longestRead > m_readLimit) {
        if (!chunkable)
            return refuse(label + ": the adapter reads at most " + std::to_string(m_readLimit) +
                          " bytes in one message");
        error = chunkedRead(messages, completed, m_readLimit);
        return error ? failure(error, "the read") : finish();
    }
    error = rdwr(messages);
    if (error == 0)
        return finish();
    if (refusedAsTooMuch(error) && zeroLength) {
        m_zeroLengthRefused = true;
        return refuse(label + ": the adapter sends no message without data");
    }
    if (refusedAsTooMuch(error) && chunkable && longestRead > 1) {
        for (std::size_t chunk = floorPow2(longestRead - 1); chunk >= 1; chunk /= 2) {
            std::fill(completed.begin(), completed.end(), kNotReached);
            error = chunkedRead(messages, completed, chunk);
            if (error == 0) {
                m_readLimit = chunk;
                return finish();
            }
            if (!refusedAsTooMuch(error) || chunk == 1)
                break;
        }
    }
    if (completed[0] == kNotReached)
        completed[0] = 0; // the kernel does not say how far it came; the first message did start
    return failure(error, "this transaction");
}

int LinuxI2cAdapter::chunkedRead(std::span<I2cMessage> messages, std::vector<std::size_t>& completed,
                                 std::size_t chunk)
{
    I2cMessage& r = messages.back();
    const bool pointer = messages.size() == 2;
    const std::size_t total = r.data.size();
    std::size_t done = 0;
    do {
        const std::size_t n = std::min(chunk, total - done);
        std::vector<i2c_msg> msgs;
        if (pointer && done == 0)
            msgs.push_back({static_cast<__u16>(messages[0].address >> 1), 0,
                            static_cast<__u16>(messages[0].data.size()), messages[0].data.data()});
        msgs.push_back(
            {static_cast<__u16>(r.address >> 1), I2C_M_RD, static_cast<__u16>(n), r.data.data() + done});
        i2c_rdwr_ioctl_data data{msgs.data(), static_cast<__u32>(msgs.size())};
        if (m_env.system.ioctl(m_fd, I2C_RDWR, reinterpret_cast<unsigned long>(&data)) < 0) {
            const int error = errno;
            if (pointer)
                completed[0] = done == 0 ? 0 : messages[0].data.size();
            if (done > 0 || !pointer)
                completed.back() = done;
            return error;
        }
        done += n;
    } while (done < total);
    return 0;
}

// ------------------------------------------------------------------ SMBus

Status LinuxI2cAdapter::smbusTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed)
{
    const linuxi2c::SmbusPlan plan = linuxi2c::planSmbus(messages, m_funcs);
    if (!plan.ok())
        return refuse(m_bus.name + " (SMBus only): " + plan.refusal);
    const int address = messages[0].address >> 1;
    if (m_slave != address) {
        if (m_env.system.ioctl(m_fd, I2C_SLAVE_FORCE, static_cast<unsigned long>(address)) < 0) {
            const int error = errno;
            completed[0] = 0;
            return failure(error, "the address");
        }
        m_slave = address;
    }
    std::size_t readSoFar = 0;
    for (std::size_t k = 0; k < plan.calls.size(); ++k) {
        const linuxi2c::SmbusCall& c = plan.calls[k];
        i2c_smbus_data data{};
        bool withData = true;
        switch (c.size) {
        case I2C_SMBUS_QUICK:
            withData = false;
            break;
        case I2C_SMBUS_BYTE:
            withData = c.read;
            break;
        case I2C_SMBUS_BYTE_DATA:
            if (!c.read)
                data.byte = c.data[0];
            break;
        case I2C_SMBUS_WORD_DATA:
        case I2C_SMBUS_PROC_CALL:
            if (!c.data.empty())
                data.word = static_cast<__u16>(c.data[0] | (c.data[1] << 8));
            break;
        case I2C_SMBUS_I2C_BLOCK_DATA:
            if (c.read) {
                data.block[0] = static_cast<__u8>(c.readCount);
            } else {
                data.block[0] = static_cast<__u8>(c.data.size());
                std::copy(c.data.begin(), c.data.end(), data.block + 1);
            }
            break;
        default:
            break;
        }
        i2c_smbus_ioctl_data args{};
        // A process call writes and reads in one go; the kernel wants it as a write.
        args.read_write = c.read && c.size != I2C_SMBUS_PROC_CALL ? I2C_SMBUS_READ : I2C_SMBUS_WRITE;
        args.command = c.command;
        args.size = static_cast<__u32>(c.size);
        args.data = withData ? &data : nullptr;
        if (m_env.system.ioctl(m_fd, I2C_SMBUS, reinterpret_cast<unsigned long>(&args)) < 0) {
            const int error = errno;
            completed[0] = k == 0 ? 0 : messages[0].data.size();
            if (k > 0 && messages.size() > 1)
                completed[1] = readSoFar;
            return failure(error, "the SMBus transfer");
        }
        if (!c.read || c.readCount == 0)
            continue;
        std::uint8_t got[I2C_SMBUS_BLOCK_MAX];
        switch (c.size) {
        case I2C_SMBUS_BYTE:
        case I2C_SMBUS_BYTE_DATA:
            got[0] = data.byte;
            break;
        case I2C_SMBUS_WORD_DATA:
        case I2C_SMBUS_PROC_CALL:
            got[0] = static_cast<std::uint8_t>(data.word & 0xFF); // SMBus words go low byte first
            got[1] = static_cast<std::uint8_t>(data.word >> 8);
            break;
        default:
            std::copy(data.block + 1, data.block + 1 + c.readCount, got);
            break;
        }
        std::vector<std::uint8_t>& dst = messages[c.target].data;
        std::copy(got, got + c.readCount, dst.begin() + static_cast<long>(c.offset));
        readSoFar = c.offset + c.readCount;
    }
    for (std::size_t i = 0; i < messages.size(); ++i)
        completed[i] = messages[i].data.size();
    return status::Success;
}

} // namespace tp
