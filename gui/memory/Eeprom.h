#pragma once
#include "gui/memory/MemoryForm.h"

// EEPROMs of 4 KB to 64 KB, with two-byte word addresses.
class TfrmEEPROM : public TMemoryForm {
    Q_OBJECT
public:
    TfrmEEPROM(TfrmMain& main, std::size_t size)
        : TMemoryForm(main, QStringLiteral("TfrmEEPROM"), tp::MemoryKind::LargeEeprom, size)
    {
    }
};
