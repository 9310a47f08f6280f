#pragma once
#include "core/memory/MemoryImage.h"
#include "core/memory/Notice.h"

#include <optional>
#include <string>
#include <string_view>

namespace tp {

// The texts of the four copy range fields: Copy from start and end, Copy
// to start and the computed, read-only Copy to end.
struct CopyFields {
    std::string start, end, target, targetEnd;
};

// What a copy field's change asks of the window.
struct CopyFieldUpdate {
    std::optional<Notice> notice;
    // New text for the field that changed; set it without running its
    // change reaction again.
    std::optional<std::string> fieldText;
    std::optional<std::string> targetEndText;
};

struct CopyFieldExit {
    std::optional<Notice> notice;
    std::string text; // the field's new text; setting it runs its change reaction
};

struct CopyResult {
    std::optional<Notice> notice; // a range check failed; nothing was copied
    CellRange changed;
};

// "Copy Block" and the arithmetic of its range fields. `digits` is
// addressDigits() of the window kind. Field texts are read as hex and throw
// InvalidNumber when they are not (empty included, where read).
class BlockCopy {
public:
    // Change reactions; an empty start or end field does nothing, an empty
    // target counts as 0. Copy to end ends up end + target - start; a
    // negative result shows as 32-bit two's complement.
    static CopyFieldUpdate startChanged(const CopyFields& f, std::size_t size, int digits);
    static CopyFieldUpdate endChanged(const CopyFields& f, std::size_t size, int digits);
    static CopyFieldUpdate targetChanged(const CopyFields& f, std::size_t size, int digits);

    // Focus leaves Copy from start or Copy to start: the value rewritten.
    static std::string startExit(std::string_view text, int digits);
    // Focus leaves Copy from end: an end below the start is replaced by start + 1.
    static CopyFieldExit endExit(const CopyFields& f);

    // Stages the whole source before writing, so overlapping blocks copy
    // correctly in either direction. Every staged text is read before the
    // first target cell changes.
    static CopyResult copy(MemoryImage& image, const CopyFields& f);
};

} // namespace tp
