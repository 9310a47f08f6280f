#include "core/memory/Pca9500File.h"
#include "core/common/Errors.h"
#include "core/memory/FileBytes.h"

#include <algorithm>
#include <cstring>

namespace tp {

const std::string& Pca9500File::magic()
{
    static const std::string m = std::string("\xB0") + "PTN3500" + "\xB1" + "datafile3";
    return m;
}

std::vector<std::uint8_t> Pca9500File::encode(const Pca9500Record& record)
{
    std::vector<std::uint8_t> b(RecordSize);
    std::memcpy(b.data(), magic().data(), magic().size());
    FileBytes::putLe16(b, 18, record.eepromAddress & 0xFE);
    FileBytes::putLe16(b, 20, record.writeTimeMs);
    FileBytes::putLe16(b, 22, 256);
    std::copy(record.eeprom.begin(), record.eeprom.end(), b.begin() + HeaderSize);
    FileBytes::putLe16(b, 280, record.ioAddress & 0xFE);
    FileBytes::putLe16(b, 282, record.port & 0xFF);
    return b;
}

void Pca9500File::write(const std::string& path, const Pca9500Record& record)
{
    FileBytes::replace(path, encode(record));
}

std::optional<Pca9500Record> Pca9500File::decode(std::span<const std::uint8_t> file)
{
    // A cut file would otherwise pass its header and leave the window half loaded.
    if (file.size() < RecordSize)
        return std::nullopt;
    if (!std::equal(magic().begin(), magic().end(), file.begin(),
                    [](char m, std::uint8_t f) { return static_cast<std::uint8_t>(m) == f; }) ||
        FileBytes::le16(file, 22) != 256)
        return std::nullopt;
    Pca9500Record r;
    r.eepromAddress = FileBytes::le16(file, 18);
    r.writeTimeMs = FileBytes::le16(file, 20);
    std::copy_n(file.begin() + HeaderSize, 256, r.eeprom.begin());
    r.ioAddress = FileBytes::le16(file, 280);
    r.port = FileBytes::le16(file, 282);
    if (r.eepromAddress > 0xFF || r.ioAddress > 0xFF || r.port > 0xFF || r.writeTimeMs > MaxWriteTimeMs)
        return std::nullopt;
    return r;
}

std::optional<Pca9500Record> Pca9500File::read(const std::string& path)
{
    return decode(FileBytes::readPrefix(path, RecordSize));
}

StatusMessage Pca9500File::invalidFileMessage()
{
    StatusMessage m;
    m.text = " Invalid Data File";
    m.background = colour::Red;
    m.textColour = colour::White;
    return m;
}

} // namespace tp
