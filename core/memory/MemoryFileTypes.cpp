#include "core/memory/MemoryFileTypes.h"

#include <algorithm>
#include <cctype>

namespace tp {

std::string MemoryFileTypes::filter(FileType type)
{
    const std::string ext = extension(type);
    return ext + " files (*." + ext + ")";
}

std::string MemoryFileTypes::extension(FileType type)
{
    switch (type) {
    case FileType::Mem: return "mem";
    case FileType::Hex: return "hex";
    case FileType::Bin: return "bin";
    case FileType::Csv: return "csv";
    }
    return "mem";
}

std::vector<std::string> MemoryFileTypes::saveFilters(MemoryKind kind)
{
    std::vector<std::string> list{filter(FileType::Mem), filter(FileType::Hex), filter(FileType::Bin)};
    if (kind != MemoryKind::SmallRam)
        list.push_back(filter(FileType::Csv));
    return list;
}

std::vector<std::string> MemoryFileTypes::openFilters(MemoryKind)
{
    return {filter(FileType::Mem), filter(FileType::Hex), filter(FileType::Bin), filter(FileType::Csv)};
}

std::string MemoryFileTypes::saveTitle(MemoryKind)
{
    return "Save EEPROM Data As";
}

std::string MemoryFileTypes::openTitle(MemoryKind kind)
{
    return isEeprom(kind) ? "Open EEPROM File" : "Open Data File";
}

std::string MemoryFileTypes::otherTypeHint(std::string_view fileName, FileType chosen)
{
    const auto slash = fileName.find_last_of('/');
    const std::string_view last = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const auto dot = last.find_last_of('.');
    if (dot == std::string_view::npos)
        return {};
    std::string ext(last.substr(dot + 1));
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    static const struct {
        FileType type;
        const char* name;
    } kNames[] = {{FileType::Mem, "a mem data"}, {FileType::Hex, "an Intel HEX"}, {FileType::Bin, "a binary"},
                  {FileType::Csv, "a CSV"}};
    for (const auto& n : kNames)
        if (n.type != chosen && ext == extension(n.type))
            return std::string("; this looks like ") + n.name + " file: choose that type";
    return {};
}

std::optional<FileType> MemoryFileTypes::typeAt(int filterIndex, std::size_t listLength)
{
    if (filterIndex < 1 || filterIndex > 4 || static_cast<std::size_t>(filterIndex) > listLength)
        return std::nullopt;
    return static_cast<FileType>(filterIndex);
}

std::string MemoryFileTypes::withExtension(std::string_view fileName, std::string_view extension)
{
    const auto slash = fileName.find_last_of('/');
    const std::string_view last = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    if (last.empty() || last.find('.') != std::string_view::npos || extension.empty())
        return std::string(fileName);
    return std::string(fileName) + "." + std::string(extension);
}

std::string MemoryFileTypes::nameForType(std::string_view fileName, FileType type)
{
    const std::string ext = extension(type);
    const auto slash = fileName.find_last_of('/');
    const std::size_t lastStart = slash == std::string_view::npos ? 0 : slash + 1;
    const auto dot = fileName.find_last_of('.');
    if (dot == std::string_view::npos || dot < lastStart)
        return withExtension(fileName, ext);
    std::string current(fileName.substr(dot + 1));
    std::transform(current.begin(), current.end(), current.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (FileType other : {FileType::Mem, FileType::Hex, FileType::Bin, FileType::Csv})
        if (other != type && current == extension(other))
            return std::string(fileName.substr(0, dot + 1)) + ext;
    return std::string(fileName);
}

std::string FileDialogState::defaultExtensionFor(FileType type) const
{
    if (isLarge(m_kind) && (type == FileType::Mem || type == FileType::Hex))
        return MemoryFileTypes::extension(type);
    return m_default;
}

std::string FileDialogState::accept(FileType type, std::string_view fileName)
{
    // A name typed without an extension takes the chosen type's, so a file's
    // name never says one format while it holds another.
    std::string name = MemoryFileTypes::withExtension(fileName, MemoryFileTypes::extension(type));
    m_default = MemoryFileTypes::extension(type);
    return name;
}

std::string FileDialogState::acceptSave(FileType type, std::string_view fileName)
{
    std::string name = MemoryFileTypes::nameForType(fileName, type);
    m_default = MemoryFileTypes::extension(type);
    return name;
}

} // namespace tp
