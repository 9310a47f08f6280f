#pragma once
#include "core/adapter/Adapter.h"
#include "core/adapter/WriteGuard.h"
#include "core/adapter/linux/I2cBuses.h"
#include "core/adapter/linux/I2cDevSystem.h"

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace tp {

// A real bus through Linux i2c-dev. What goes out depends on what the
// adapter can do (I2C_FUNCS, asked at open):
//  - with I2C_FUNC_I2C, one I2C_RDWR ioctl per transaction, so messages after
//    the first follow with a repeated start and one stop ends it; a long read
//    the driver refuses is retried in smaller pieces, and the size that worked
//    is kept;
//  - SMBus-only adapters get the SMBus form of each transaction
//    (linuxi2c::planSmbus), and a refusal naming the limit for the rest.
// Removal is judged from the device node and sysfs, never from an errno alone.
class LinuxI2cAdapter : public Adapter {
public:
    using Environment = linuxi2c::Environment;

    // Nothing when the device cannot be opened; `error` then says why and
    // what to do, `errorCode` gets the errno.
    static std::unique_ptr<LinuxI2cAdapter> open(const linuxi2c::BusInfo& bus, std::string* error = nullptr,
                                                 int* errorCode = nullptr, Environment env = {});
    // By "/dev/i2c-3", "i2c-3", "3" or the adapter's kernel name.
    static std::unique_ptr<LinuxI2cAdapter> open(const std::string& spec, std::string* error = nullptr,
                                                 int* errorCode = nullptr, Environment env = {});
    ~LinuxI2cAdapter() override;

    // i2c-dev refuses longer messages and more than 42 in one transaction.
    static constexpr std::size_t kMaxMessageLength = 8192;
    static constexpr std::size_t kMaxMessages = 42;

    const linuxi2c::BusInfo& bus() const { return m_bus; }
    const Environment& environment() const { return m_env; }
    unsigned long functionality() const { return m_funcs; }
    bool fullI2c() const;

    std::size_t maxTransferLength() const override;
    bool isSimulated() const override { return false; }
    bool isPresent() const override { return !m_gone; }
    std::string name() const override { return m_bus.label(); }
    std::uint64_t nowUs() const override;
    bool acceptsZeroLength() const override;
    // The longest read one message has carried since a driver refused a longer one.
    std::size_t readLimit() const { return m_readLimit; }

    // Hot-plug: the adapter went away (transfers give 255 until it is back),
    // or the same adapter came back, perhaps under another number.
    void markRemoved();
    // Without a hot-plug watch (the command line), each transaction first
    // looks for the device node: the kernel keeps a removed adapter working
    // until its node is closed, and its removal waits for that.
    void setWatchNode(bool watch) { m_watchNode = watch; }
    bool reattach(const linuxi2c::BusInfo& bus, std::string* error = nullptr);

    // Writes that need the user's word first: to an address a kernel driver
    // has claimed, and the first one on a PC's SMBus (WriteGuard).
    using WriteCheck = tp::WriteCheck;
    void setWriteApproval(std::function<bool(const WriteCheck&)> approve) { m_writeGuard.setApproval(std::move(approve)); }

    // The status a failed transfer stands for, from its errno, for an adapter
    // that is still there.
    static Status statusForErrno(int error);

protected:
    Status doTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed) override;

private:
    LinuxI2cAdapter(linuxi2c::BusInfo bus, int fd, unsigned long funcs, Environment env);

    bool approved(std::span<I2cMessage> messages);
    Status failure(int error, const char* what);
    int rdwr(std::span<I2cMessage> messages);
    Status i2cTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed);
    // 0, or the errno of the piece that failed.
    int chunkedRead(std::span<I2cMessage> messages, std::vector<std::size_t>& completed, std::size_t chunk);
    Status smbusTransfer(std::span<I2cMessage> messages, std::vector<std::size_t>& completed);
    void closeFd();

    linuxi2c::BusInfo m_bus;
    int m_fd;
    unsigned long m_funcs;
    Environment m_env;
    bool m_gone = false;
    bool m_watchNode = false;
    int m_slave = -1; // 7-bit address last set for SMBus calls
    std::size_t m_readLimit = kMaxMessageLength;
    bool m_zeroLengthRefused = false;
    WriteGuard m_writeGuard;
};

} // namespace tp
