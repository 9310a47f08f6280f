#pragma once
#include "gui/memory/MemoryForm.h"

// RAM and FRAM chips of 4 KB to 64 KB.
class TfrmLargeRAM : public TMemoryForm {
    Q_OBJECT
public:
    TfrmLargeRAM(TfrmMain& main, std::size_t size)
        : TMemoryForm(main, QStringLiteral("TfrmLargeRAM"), tp::MemoryKind::LargeRam, size)
    {
    }
};
