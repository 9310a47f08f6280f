#pragma once
#include "core/devices/ports/Pca954x.h"
#include "core/sim/ChipModel.h"

#include <optional>

namespace tp::sim {

// An I²C multiplexer or switch: one control register, no register pointer.
// Every byte written replaces the control value (the last one counts); the
// channels it selects connect at the stop that ends the write. A read
// returns the control value with the interrupt bits of the channels' INT
// inputs, which tests raise with setInterrupt(). Chips placed behind a
// channel (SimulatedAdapter::place with a Segment) answer only while it is
// connected.
class ChannelSwitchChip : public ChipModel {
public:
    explicit ChannelSwitchChip(pca954x::Mux chip);
    explicit ChannelSwitchChip(pca954x::Switch chip);

    std::string type() const override { return m_type; }
    bool writeByte(std::uint8_t value) override;
    std::uint8_t readByte() override;
    void stop() override;
    bool channelConnected(int channel) const override;

    // The control value in effect (what the last completed write left).
    std::uint8_t control() const { return m_active; }
    void setInterrupt(int channel, bool active);
    int channels() const { return m_channels; }

private:
    std::string m_type;
    std::optional<pca954x::Mux> m_mux;
    int m_channels;
    std::uint8_t m_writable;
    std::uint8_t m_intMask;
    std::uint8_t m_interrupts = 0;
    std::uint8_t m_pending = 0; // power-up: no channel selected
    std::uint8_t m_active = 0;
};

} // namespace tp::sim
