#pragma once
#include "gui/memory/MemoryForm.h"

// RAM and FRAM chips of 16 to 2048 bytes.
class TfrmSmallRAM : public TMemoryForm {
    Q_OBJECT
public:
    TfrmSmallRAM(TfrmMain& main, std::size_t size)
        : TMemoryForm(main, QStringLiteral("TfrmSmallRAM"), tp::MemoryKind::SmallRam, size)
    {
    }
};
