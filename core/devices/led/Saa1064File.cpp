#include "core/devices/led/Saa1064File.h"
#include "core/common/Errors.h"
#include "core/memory/FileBytes.h"

#include <algorithm>

namespace tp::saa1064 {

const std::string& DataFile::magic()
{
    static const std::string m = "SAA1064datafile";
    return m;
}

std::vector<std::uint8_t> DataFile::encode(const Record& record)
{
    std::vector<std::uint8_t> out(magic().begin(), magic().end());
    out.push_back(record.address);
    out.push_back(record.registers.control);
    out.insert(out.end(), record.registers.digits.begin(), record.registers.digits.end());
    return out;
}

void DataFile::write(const std::string& path, const Record& record)
{
    FileBytes::replace(path, encode(record));
}

std::optional<Record> DataFile::decode(std::span<const std::uint8_t> file)
{
    if (file.size() < kHeaderSize)
        throw FileError("Read beyond end of file");
    if (!std::equal(magic().begin(), magic().end(), file.begin()))
        return std::nullopt;
    if (file.size() < kRecordSize)
        throw FileError("Read beyond end of file");
    Record r;
    r.address = file[15];
    r.registers.control = file[16];
    std::copy(file.begin() + 17, file.begin() + 21, r.registers.digits.begin());
    return r;
}

std::optional<Record> DataFile::read(const std::string& path)
{
    return decode(FileBytes::readPrefix(path, kRecordSize));
}

} // namespace tp::saa1064
