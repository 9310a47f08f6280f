#pragma once
#include "core/memory/MemoryBus.h"
#include "core/memory/MemoryImage.h"
#include "core/memory/Notice.h"

#include <optional>

namespace tp {

struct ChipVerifyResult {
    MemoryBusResult bus;          // Done with 65, Mismatch with 153, or the failed/cancelled read
    std::optional<Notice> notice; // the error box of the first difference
};

// Verify as the memory windows run it: the chip is read one verify block at
// a time and each block compared with the image's cell texts, stopping at
// the first difference or the first failed read.
ChipVerifyResult verifyChip(MemoryBus& bus, const MemoryImage& image, const MemoryProgress& progress = {});

} // namespace tp
