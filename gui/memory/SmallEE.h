#pragma once
#include "gui/memory/MemoryForm.h"

// EEPROMs of 16 to 2048 bytes.
class TfrmSmallEE : public TMemoryForm {
    Q_OBJECT
public:
    TfrmSmallEE(TfrmMain& main, std::size_t size)
        : TMemoryForm(main, QStringLiteral("TfrmSmallEE"), tp::MemoryKind::SmallEeprom, size)
    {
    }
};
