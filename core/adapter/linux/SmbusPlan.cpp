#include "core/adapter/linux/SmbusPlan.h"

#include <linux/i2c.h>

namespace tp::linuxi2c {

namespace {

bool has(unsigned long funcs, unsigned long bits)
{
    return (funcs & bits) == bits;
}

std::string bytes(std::size_t n)
{
    return std::to_string(n) + "-byte";
}

SmbusCall writeCall(int size, std::span<const std::uint8_t> d)
{
    SmbusCall c;
    c.size = size;
    if (!d.empty()) {
        c.command = d[0];
        c.data.assign(d.begin() + 1, d.end());
    }
    return c;
}

// A write message on its own, or the pointer of a composite read.
bool planWrite(std::span<const std::uint8_t> d, unsigned long funcs, SmbusPlan& plan)
{
    const std::size_t n = d.size();
    if (n == 0 && has(funcs, I2C_FUNC_SMBUS_QUICK))
        plan.calls.push_back(writeCall(I2C_SMBUS_QUICK, d));
    else if (n == 1 && has(funcs, I2C_FUNC_SMBUS_WRITE_BYTE))
        plan.calls.push_back(writeCall(I2C_SMBUS_BYTE, d));
    else if (n == 2 && has(funcs, I2C_FUNC_SMBUS_WRITE_BYTE_DATA))
        plan.calls.push_back(writeCall(I2C_SMBUS_BYTE_DATA, d));
    else if (n == 3 && has(funcs, I2C_FUNC_SMBUS_WRITE_WORD_DATA))
        plan.calls.push_back(writeCall(I2C_SMBUS_WORD_DATA, d));
    else if (n >= 2 && n <= I2C_SMBUS_BLOCK_MAX + 1 && has(funcs, I2C_FUNC_SMBUS_WRITE_I2C_BLOCK))
        plan.calls.push_back(writeCall(I2C_SMBUS_I2C_BLOCK_DATA, d));
    else
        return false;
    return true;
}

std::string writeLimit(unsigned long funcs)
{
    if (has(funcs, I2C_FUNC_SMBUS_WRITE_I2C_BLOCK))
        return "writes at most 33 bytes (I2C block write)";
    if (has(funcs, I2C_FUNC_SMBUS_WRITE_WORD_DATA))
        return "writes at most 3 bytes (write word data)";
    if (has(funcs, I2C_FUNC_SMBUS_WRITE_BYTE_DATA))
        return "writes at most 2 bytes (write byte data)";
    if (has(funcs, I2C_FUNC_SMBUS_WRITE_BYTE))
        return "writes 1 byte at most (send byte)";
    return "cannot write";
}

std::string readLimit(unsigned long funcs)
{
    if (has(funcs, I2C_FUNC_SMBUS_READ_I2C_BLOCK))
        return "reads at most 32 bytes after a register byte (I2C block read)";
    if (has(funcs, I2C_FUNC_SMBUS_READ_WORD_DATA))
        return "reads at most 2 bytes after a register byte (read word data)";
    if (has(funcs, I2C_FUNC_SMBUS_READ_BYTE_DATA))
        return "reads 1 byte after a register byte (read byte data)";
    return "cannot read after a register byte";
}

SmbusPlan refuse(std::string why)
{
    SmbusPlan p;
    p.refusal = std::move(why);
    return p;
}

} // namespace

std::size_t smbusMaxTransfer(unsigned long funcs)
{
    if (has(funcs, I2C_FUNC_SMBUS_I2C_BLOCK))
        return I2C_SMBUS_BLOCK_MAX;
    if (has(funcs, I2C_FUNC_SMBUS_WORD_DATA))
        return 2;
    return 1;
}

SmbusPlan planSmbus(std::span<const I2cMessage> messages, unsigned long funcs)
{
    SmbusPlan plan;
    if (messages.size() == 1) {
        const I2cMessage& m = messages[0];
        const std::size_t n = m.data.size();
        if (!m.read) {
            if (!planWrite(m.data, funcs, plan))
                return refuse(n == 0 ? "no quick command, so no write without data"
                                     : "no SMBus form for a " + bytes(n) + " write; the adapter " +
                                           writeLimit(funcs));
            return plan;
        }
        SmbusCall c;
        c.read = true;
        c.readCount = n;
        if (n == 0 && has(funcs, I2C_FUNC_SMBUS_QUICK))
            c.size = I2C_SMBUS_QUICK;
        else if (n == 1 && has(funcs, I2C_FUNC_SMBUS_READ_BYTE))
            c.size = I2C_SMBUS_BYTE;
        else
            return refuse("no SMBus form for a " + bytes(n) +
                          " read without a register byte (receive byte reads 1)");
        plan.calls.push_back(c);
        return plan;
    }
    if (messages.size() != 2 || messages[0].read || !messages[1].read)
        return refuse("no SMBus form for a transaction of " + std::to_string(messages.size()) +
                      " messages other than write-then-read");
    const I2cMessage& w = messages[0];
    const I2cMessage& r = messages[1];
    if ((w.address & 0xFE) != (r.address & 0xFE))
        return refuse("no SMBus form for a write and a read to different addresses");
    const std::size_t n = r.data.size();
    if (w.data.size() == 1 && n >= 1) {
        SmbusCall c;
        c.read = true;
        c.command = w.data[0];
        c.readCount = n;
        c.target = 1;
        if (n == 1 && has(funcs, I2C_FUNC_SMBUS_READ_BYTE_DATA))
            c.size = I2C_SMBUS_BYTE_DATA;
        else if (n == 2 && has(funcs, I2C_FUNC_SMBUS_READ_WORD_DATA))
            c.size = I2C_SMBUS_WORD_DATA;
        else if (n <= I2C_SMBUS_BLOCK_MAX && has(funcs, I2C_FUNC_SMBUS_READ_I2C_BLOCK))
            c.size = I2C_SMBUS_I2C_BLOCK_DATA;
        else
            return refuse("no SMBus form for a " + bytes(n) + " read; the adapter " + readLimit(funcs));
        plan.calls.push_back(c);
        return plan;
    }
    if (w.data.size() == 3 && n == 2 && has(funcs, I2C_FUNC_SMBUS_PROC_CALL)) {
        SmbusCall c = writeCall(I2C_SMBUS_PROC_CALL, w.data);
        c.read = true;
        c.readCount = 2;
        c.target = 1;
        plan.calls.push_back(c);
        return plan;
    }
    // A 16-bit pointer, then current-address reads: how 24C32 and larger
    // memories are read over SMBus.
    if (w.data.size() == 2 && n >= 1 && has(funcs, I2C_FUNC_SMBUS_READ_BYTE) &&
        planWrite(w.data, funcs, plan)) {
        for (std::size_t i = 0; i < n; ++i) {
            SmbusCall c;
            c.size = I2C_SMBUS_BYTE;
            c.read = true;
            c.readCount = 1;
            c.target = 1;
            c.offset = i;
            plan.calls.push_back(c);
        }
        return plan;
    }
    return refuse("no SMBus form for a " + bytes(w.data.size()) + " write followed by a " + bytes(n) +
                  " read");
}

} // namespace tp::linuxi2c
