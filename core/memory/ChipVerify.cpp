#include "core/memory/ChipVerify.h"
#include "core/memory/VerifyCompare.h"

namespace tp {

ChipVerifyResult verifyChip(MemoryBus& bus, const MemoryImage& image, const MemoryProgress& progress)
{
    ChipVerifyResult r;
    const std::size_t size = image.size();
    const std::size_t block = VerifyCompare::blockLength(size);
    for (std::size_t start = 0; start < size; start += block) {
        std::vector<std::uint8_t> got;
        MemoryProgress overall;
        if (progress)
            overall = [&](std::size_t done, std::size_t) { return progress(start + done, size); };
        r.bus = bus.read(start, std::min(block, size - start), got, overall);
        if (!r.bus.ok())
            return r;
        VerifyResult v = VerifyCompare::compare(image, start, got);
        if (v.status != 0) {
            r.bus.outcome = MemoryOutcome::Mismatch;
            r.bus.status = v.status;
            r.bus.address = v.address;
            r.notice = v.notice;
            return r;
        }
    }
    r.bus.status = status::VerifyOk;
    return r;
}

} // namespace tp
