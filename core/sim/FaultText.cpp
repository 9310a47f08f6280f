#include "core/sim/FaultText.h"
#include "core/common/HexText.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace tp::sim {

namespace {

using K = Fault::Kind;

constexpr std::array<std::pair<const char*, K>, 6> kKinds{{
    {"address-nack", K::AddressNack},
    {"data-nack", K::DataNack},
    {"time-out", K::TimeOut},
    {"arbitration-lost", K::ArbitrationLost},
    {"bus-stuck", K::BusStuck},
    {"adapter-removed", K::AdapterRemoved},
}};

int number(std::string_view key, std::string_view value)
{
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string_view::npos)
        throw std::invalid_argument(std::string(key) + "=" + std::string(value) + ": a number is needed");
    int v = 0;
    for (char c : value)
        v = v * 10 + (c - '0');
    return v;
}

bool chipRemoved(const Fault& f)
{
    return f.kind == K::AddressNack && f.count < 0 && f.address;
}

} // namespace

Fault FaultText::parse(std::string_view text, const AddressParser& address)
{
    const auto bad = [&] { return std::invalid_argument("'" + std::string(text) + "': " + kHelp); };
    Fault f;
    std::size_t pos = text.find(',');
    const std::string_view kind = text.substr(0, pos);
    bool known = false;
    for (const auto& [name, k] : kKinds)
        if (kind == name) {
            f.kind = k;
            known = true;
        }
    if (kind == "chip-removed") { // gone from the bus until cleared
        f.kind = K::AddressNack;
        f.count = -1;
        known = true;
    }
    if (!known)
        throw bad();
    while (pos != std::string_view::npos) {
        const std::size_t next = text.find(',', pos + 1);
        const std::string_view item = text.substr(pos + 1, next == std::string_view::npos ? next : next - pos - 1);
        pos = next;
        const std::size_t eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = eq == std::string_view::npos ? std::string_view{} : item.substr(eq + 1);
        if (key == "address" && eq != std::string_view::npos)
            f.address = address(value);
        else if (key == "after")
            f.after = number(key, value);
        else if (key == "count") {
            f.count = number(key, value);
            if (f.count == 0)
                throw std::invalid_argument("count=0: a fault hits at least one transaction");
        } else if (key == "byte")
            f.byteIndex = number(key, value);
        else if (key == "until-cleared" && eq == std::string_view::npos)
            f.count = -1;
        else
            throw bad();
    }
    return f;
}

std::string FaultText::format(const Fault& f, const std::function<std::string(std::uint8_t)>& address)
{
    std::string out;
    if (chipRemoved(f)) {
        out = "chip-removed";
    } else {
        for (const auto& [name, k] : kKinds)
            if (k == f.kind)
                out = name;
    }
    if (f.address)
        out += ",address=" + address(*f.address);
    if (f.kind == K::DataNack)
        out += ",byte=" + std::to_string(f.byteIndex);
    if (f.after > 0)
        out += ",after=" + std::to_string(f.after);
    if (f.count < 0 && !chipRemoved(f))
        out += ",until-cleared";
    else if (f.count > 1)
        out += ",count=" + std::to_string(f.count);
    return out;
}

std::string FaultText::describe(const Fault& f)
{
    std::string what;
    switch (f.kind) {
    case K::AddressNack:
        what = chipRemoved(f) ? "chip removed" : "address NACK";
        break;
    case K::DataNack:
        what = "data NACK at byte " + std::to_string(f.byteIndex);
        break;
    case K::TimeOut:
        what = "time-out";
        break;
    case K::ArbitrationLost:
        what = "arbitration lost";
        break;
    case K::BusStuck:
        what = "bus stuck";
        break;
    case K::AdapterRemoved:
        what = "adapter removed";
        break;
    }
    if (!chipRemoved(f)) {
        if (f.count < 0)
            what += ", until cleared";
        else if (f.count == 1)
            what += ", once";
        else
            what += ", " + std::to_string(f.count) + " times";
    }
    if (f.after > 0)
        what += ", after " + std::to_string(f.after) + " passed";
    what += f.address ? " at 0x" + intToHex(*f.address, 2) : " at any address";
    return what;
}

} // namespace tp::sim
