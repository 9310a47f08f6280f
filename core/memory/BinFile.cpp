#include "core/memory/BinFile.h"
#include "core/common/Errors.h"
#include "core/memory/FileBytes.h"

namespace tp {

void BinFile::write(const std::string& path, const MemoryImage& image, CellRead mode)
{
    FileBytes::replace(path, image.values(mode));
}

CellRange BinFile::read(const std::string& path, MemoryImage& image, bool wholeImage)
{
    const auto data = FileBytes::readPrefix(path, image.size());
    if (wholeImage && data.size() < image.size())
        throw FileError("Read beyond end of file");
    return image.display(0, data);
}

} // namespace tp
