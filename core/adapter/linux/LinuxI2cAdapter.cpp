#include "core/adapter/linux/LinuxI2cAdapter.h"
#include "core/adapter/Clock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/i2c-dev.h>
#include <linux/i2c.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tp {

LinuxI2cAdapter::System LinuxI2cAdapter::linuxSystem()
{
    System s;
    s.open = [](const char* path) { return ::open(path, O_RDWR | O_CLOEXEC); };
    s.rdwr = [](int fd, void* data) { return ::ioctl(fd, I2C_RDWR, data); };
    s.close = [](int fd) { ::close(fd); };
    return s;
}

std::unique_ptr<LinuxI2cAdapter> LinuxI2cAdapter::open(const std::string& path, std::string* error, System system)
{
    const int fd = system.open(path.c_str());
    if (fd < 0) {
        if (error)
            *error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    return std::unique_ptr<LinuxI2cAdapter>(new LinuxI2cAdapter(path, fd, std::move(system)));
}

LinuxI2cAdapter::LinuxI2cAdapter(std::string path, int fd, System system)
    : m_path(std::move(path)), m_fd(fd), m_system(std::move(system))
{
}

LinuxI2cAdapter::~LinuxI2cAdapter()
{
    if (m_fd >= 0)
        m_system.close(m_fd);
}

std::uint64_t LinuxI2cAdapter::nowUs() const
{
    return monotonicUs();
}

Status LinuxI2cAdapter::statusForErrno(int error)
{
    switch (error) {
    case ENXIO:     // address not acknowledged (most bus drivers)
    case EREMOTEIO: // no acknowledge (others)
    case EIO:       // drivers that do not tell the two apart
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
    case ENODEV: // the adapter went away (USB unplugged)
    case EBADF:
    case ESHUTDOWN:
        return status::HardwareNotDetected;
    default:
        return status::DriverNotRunning;
    }
}

Status LinuxI2cAdapter::doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed)
{
    if (m_gone)
        return status::HardwareNotDetected;
    if (messages.size() > kMaxMessages)
        return status::DataNack; // nothing sent
    std::vector<i2c_msg> msgs(messages.size());
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (messages[i].data.size() > kMaxMessageLength)
            return status::DataNack; // nothing sent
        msgs[i].addr = static_cast<__u16>(messages[i].address >> 1);
        msgs[i].flags = messages[i].read ? I2C_M_RD : 0;
        msgs[i].len = static_cast<__u16>(messages[i].data.size());
        msgs[i].buf = messages[i].data.data();
    }
    i2c_rdwr_ioctl_data data{msgs.data(), static_cast<__u32>(msgs.size())};
    if (m_system.rdwr(m_fd, &data) < 0) {
        const Status st = statusForErrno(errno);
        if (st == status::HardwareNotDetected)
            m_gone = true;
        // The kernel does not say how far it came; the first message did start.
        completed[0] = 0;
        return st;
    }
    for (std::size_t i = 0; i < messages.size(); ++i)
        completed[i] = messages[i].data.size();
    return status::Success;
}

} // namespace tp
