#include "core/memory/MemoryFiles.h"
#include "core/memory/BinFile.h"
#include "core/memory/CsvFile.h"
#include "core/memory/IntelHexFile.h"

namespace tp {

void MemoryFiles::save(MemoryKind kind, FileType type, const std::string& path, const MemoryImage& image,
                       const MemSettings& settings)
{
    const CellRead mode = isLarge(kind) ? CellRead::TrimBlanks : CellRead::Exact;
    switch (type) {
    case FileType::Mem:
        if (isLarge(kind))
            MemFile::writeLarge(path, image, settings);
        else
            MemFile::writeSmall(path, image, settings);
        return;
    case FileType::Hex: IntelHexFile::write(path, image, mode); return;
    case FileType::Bin: BinFile::write(path, image, mode); return;
    case FileType::Csv: CsvFile::write(path, image); return;
    }
}

FileLoad MemoryFiles::load(MemoryKind kind, FileType type, const std::string& path, MemoryImage& image)
{
    FileLoad r;
    switch (type) {
    case FileType::Mem: {
        MemRead m = isLarge(kind) ? MemFile::readLarge(path, image) : MemFile::readSmall(path, image);
        r.header = m.header;
        r.notice = m.notice;
        r.changed = m.changed;
        break;
    }
    case FileType::Hex: {
        HexRead h = IntelHexFile::read(path, image);
        if (h.status != HexReadStatus::Ok) {
            r.loaded = false;
            // Every window says so, the small EEPROM's too: a load that does
            // nothing must not look like one that worked.
            r.status = IntelHexFile::message(h.status);
        }
        r.changed = h.changed;
        break;
    }
    case FileType::Bin: r.changed = BinFile::read(path, image, !isLarge(kind)); break;
    case FileType::Csv: r.changed = CsvFile::read(path, image); break;
    }
    return r;
}

} // namespace tp
