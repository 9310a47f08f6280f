#include "core/memory/BinFile.h"
#include "core/common/Errors.h"
#include "core/memory/FileBytes.h"

#include <algorithm>

namespace tp {

void BinFile::write(const std::string& path, const MemoryImage& image, CellRead mode)
{
    FileBytes::replace(path, image.values(mode));
}

CellRange BinFile::decode(std::span<const std::uint8_t> file, MemoryImage& image, bool wholeImage)
{
    if (wholeImage && file.size() < image.size())
        throw FileError("Read beyond end of file");
    return image.display(0, file.first(std::min(file.size(), image.size())));
}

CellRange BinFile::read(const std::string& path, MemoryImage& image, bool wholeImage)
{
    return decode(FileBytes::readPrefix(path, image.size()), image, wholeImage);
}

} // namespace tp
