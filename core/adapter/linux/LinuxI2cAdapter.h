#pragma once
#include "core/adapter/Adapter.h"

#include <functional>
#include <memory>
#include <string>

namespace tp {

// A real bus through Linux i2c-dev: one I2C_RDWR ioctl per transaction, so
// messages after the first follow with a repeated start and one stop ends it.
class LinuxI2cAdapter : public Adapter {
public:
    // The system calls it needs; tests put a fake bus behind them.
    struct System {
        std::function<int(const char* path)> open;
        std::function<int(int fd, void* rdwr)> rdwr; // ioctl(fd, I2C_RDWR, rdwr); -1 sets errno
        std::function<void(int fd)> close;
    };
    static System linuxSystem();

    // Nothing when the device cannot be opened; `error` then says why.
    static std::unique_ptr<LinuxI2cAdapter> open(const std::string& path, std::string* error = nullptr,
                                                 System system = linuxSystem());
    ~LinuxI2cAdapter() override;

    // i2c-dev refuses longer messages and more than 42 in one transaction.
    static constexpr std::size_t kMaxMessageLength = 8192;
    static constexpr std::size_t kMaxMessages = 42;

    std::size_t maxTransferLength() const override { return kMaxMessageLength; }
    bool isSimulated() const override { return false; }
    bool isPresent() const override { return !m_gone; }
    std::string name() const override { return m_path; }
    std::uint64_t nowUs() const override;

    // The status a failed I2C_RDWR stands for, from its errno.
    static Status statusForErrno(int error);

protected:
    Status doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed) override;

private:
    LinuxI2cAdapter(std::string path, int fd, System system);

    std::string m_path;
    int m_fd;
    System m_system;
    bool m_gone = false;
};

} // namespace tp
