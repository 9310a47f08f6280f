// The SAA1064 window's data file. Input: the file.
#include "core/common/Errors.h"
#include "core/devices/led/Saa1064File.h"
#include "fuzz/FuzzTarget.h"

#include <algorithm>

using namespace tp;
using tp::saa1064::DataFile;

void fuzzOne(std::span<const std::uint8_t> input)
{
    const auto& magic = DataFile::magic();
    const bool magicOk = input.size() >= magic.size() && std::equal(magic.begin(), magic.end(), input.begin());
    std::optional<saa1064::Record> r;
    try {
        r = DataFile::decode(input);
    } catch (const FileError&) {
        FUZZ_CHECK(input.size() < DataFile::kHeaderSize || (magicOk && input.size() < DataFile::kRecordSize));
        return;
    }
    FUZZ_CHECK(r.has_value() == magicOk);
    if (!r)
        return;
    // Every byte of the record means something: it writes back as read.
    const auto written = DataFile::encode(*r);
    FUZZ_CHECK(written.size() == DataFile::kRecordSize);
    FUZZ_CHECK(std::equal(written.begin(), written.end(), input.begin()));
    FUZZ_CHECK(DataFile::decode(written) == r);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    saa1064::Record digits;
    digits.address = 0x72;
    digits.registers.control = 0x51;
    digits.registers.digits = {0x3F, 0x06, 0x5B, 0x4F};
    return {{"default.mem", DataFile::encode(saa1064::Record{})}, {"digits.mem", DataFile::encode(digits)}};
}
