#include "core/memory/ChipVerify.h"
#include "core/memory/VerifyCompare.h"

#include <algorithm>

namespace tp {

ChipVerifyResult verifyChip(MemoryBus& bus, const MemoryImage& image, const MemoryProgress& progress)
{
    ChipVerifyResult r;
    const std::size_t size = image.size();
    const std::size_t block = VerifyCompare::blockLength(size);
    bool stop = false;
    for (std::size_t start = 0; start < size; start += block) {
        std::vector<std::uint8_t> got;
        const std::size_t n = std::min(block, size - start);
        MemoryProgress overall;
        if (progress) {
            // The read takes no cancel after its last transfer, so a block
            // read in one transfer would never see it: keep it for here.
            overall = [&, start](std::size_t done, std::size_t) {
                stop = !progress(start + done, size);
                return !stop;
            };
        }
        r.bus = bus.read(start, n, got, overall);
        // Counts run over the whole chip, not the block.
        r.bus.done += start;
        if (!r.bus.ok())
            return r;
        VerifyResult v = VerifyCompare::compare(image, start, got);
        if (v.status != 0) {
            r.bus.outcome = MemoryOutcome::Mismatch;
            r.bus.status = v.status;
            r.bus.address = v.address;
            r.bus.done = v.address;
            r.notice = v.notice;
            return r;
        }
        if (stop && start + n < size) {
            r.bus.outcome = MemoryOutcome::Cancelled;
            return r;
        }
    }
    r.bus.status = status::VerifyOk;
    return r;
}

} // namespace tp
