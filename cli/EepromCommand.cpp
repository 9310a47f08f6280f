#include "cli/Commands.h"
#include "cli/Numbers.h"
#include "cli/Progress.h"
#include "cli/Session.h"
#include "core/common/HexText.h"
#include "core/memory/BinFile.h"
#include "core/memory/ChipVerify.h"
#include "core/memory/FileBytes.h"
#include "core/memory/IntelHexFile.h"
#include "core/memory/MemoryBus.h"
#include "core/memory/MemoryFiles.h"
#include "core/memory/MemoryKind.h"

#include <algorithm>
#include <filesystem>
#include <unistd.h>
#include <ostream>

namespace tp::cli {

namespace {

FileType fileType(const EepromOptions& o)
{
    std::string name = o.format;
    if (name.empty()) {
        name = std::filesystem::path(o.file).extension().string();
        if (!name.empty())
            name.erase(0, 1);
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        if (name.empty())
            throw UsageError(o.file + ": no extension to tell the format by: give --format mem, hex, bin or csv");
    }
    for (FileType t : {FileType::Mem, FileType::Hex, FileType::Bin, FileType::Csv})
        if (MemoryFileTypes::extension(t) == name)
            return t;
    throw UsageError((o.format.empty() ? o.file + ": the extension ." + name : "--format " + name) +
                     " is not a memory file format: mem, hex, bin or csv");
}

MemoryKind memoryKind(std::size_t size, bool ram)
{
    if (isLargeSize(size))
        return ram ? MemoryKind::LargeRam : MemoryKind::LargeEeprom;
    return ram ? MemoryKind::SmallRam : MemoryKind::SmallEeprom;
}

unsigned checkedPageSize(unsigned page, MemoryKind kind)
{
    const auto& choices = pageSizeChoices(kind);
    std::string list;
    for (const std::string& c : choices) {
        if (c == std::to_string(page))
            return page;
        list += (list.empty() ? "" : ", ") + c;
    }
    throw UsageError("--page " + std::to_string(page) + ": the page size of this memory is one of " + list);
}

// The memory windows' Open, with what a tool must add: every refusal says
// why, and a raw image must cover the whole memory.
void loadImage(MemoryKind kind, FileType type, const std::string& path, MemoryImage& image,
               std::optional<MemHeader>& header, Console& console)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw FileError("Failed to open or create file");
    switch (type) {
    case FileType::Hex: {
        const HexRead h = IntelHexFile::read(path, image);
        if (h.status != HexReadStatus::Ok)
            throw FileError(messageText(IntelHexFile::message(h.status)));
        return;
    }
    case FileType::Bin: {
        BinFile::read(path, image, true);
        const auto length = std::filesystem::file_size(path, ec);
        if (!ec && length > image.size())
            console.err << "tallyport-cli: warning: " << path << " holds " << length << " bytes; the first "
                        << image.size() << " are used\n";
        return;
    }
    default: {
        const FileLoad load = MemoryFiles::load(kind, type, path, image);
        header = load.header;
        if (load.notice)
            console.err << "tallyport-cli: warning: " << load.notice->text << "\n";
        return;
    }
    }
}

// A read of a whole memory takes long: a file that cannot be written is
// found before it starts.
void checkDestination(const std::string& file)
{
    namespace fs = std::filesystem;
    const fs::path path(file);
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    std::error_code ec;
    std::string why;
    if (!fs::is_directory(folder, ec))
        why = "there is no folder " + folder.string();
    else if (fs::is_directory(path, ec))
        why = "it is a folder";
    else if (::access(folder.c_str(), W_OK) != 0)
        why = "the folder " + folder.string() + " cannot be written";
    if (!why.empty())
        throw FileError(file + ": Failed to open or create file (" + why + ")");
}

int busFailure(Session& session, const MemoryBusResult& r, Console& console, const char* doing)
{
    if (r.outcome == MemoryOutcome::Cancelled) {
        console.err << "tallyport-cli: " << doing << " stopped after " << r.done << " bytes\n";
        return kInterrupted;
    }
    console.err << "tallyport-cli: " << session.failureText(r.status) << " (" << doing << " byte 0x"
                << intToHex(r.address, 4) << ")";
    if (r.writeCycleTimedOut)
        console.err << "; the chip did not end its write cycle within the write time";
    console.err << "\n";
    return kBusFailure;
}

int verify(Session& session, MemoryBus& bus, const MemoryImage& image, Console& console)
{
    Progress progress(console, "Verifying");
    const ChipVerifyResult v = verifyChip(bus, image, progress.callback());
    progress.done();
    if (v.bus.outcome == MemoryOutcome::Mismatch) {
        if (v.notice) {
            std::string text = v.notice->text;
            std::replace(text.begin(), text.end(), '\r', ' ');
            console.err << "tallyport-cli: " << text << "\n";
        }
        console.err << "tallyport-cli: " << statusText(status::VerifyError) << "\n";
        return kBusFailure;
    }
    if (!v.bus.ok())
        return busFailure(session, v.bus, console, "verifying");
    return kOk;
}

} // namespace

int eepromCommand(Session& session, const EepromOptions& o, Console& console)
{
    const std::size_t size = parseMemorySize(o.size);
    const MemoryKind kind = memoryKind(size, o.ram);
    const FileType type = fileType(o);
    if (o.ram && (o.pageSize || o.writeTimeMs))
        throw UsageError("--page and --write-time are for EEPROMs, not with --ram");
    if (o.writeTimeMs && (*o.writeTimeMs < 1 || *o.writeTimeMs > 1000))
        throw UsageError("--write-time " + std::to_string(*o.writeTimeMs) + ": 1 to 1000 ms");

    MemoryDevice device;
    device.size = size;
    device.eeprom = !o.ram;
    device.address = o.address ? session.address(*o.address) : 0xA0;
    device.pageSize = o.pageSize ? checkedPageSize(*o.pageSize, kind) : datasheetPageSize(size);
    device.writeTimeMs = o.writeTimeMs.value_or(device.writeTimeMs);

    if (o.action == "read") {
        checkDestination(o.file);
        MemoryBus bus(session.adapter(), device);
        std::vector<std::uint8_t> data;
        Progress progress(console, "Reading");
        const MemoryBusResult r = bus.readAll(data, progress.callback());
        progress.done();
        if (!r.ok())
            return busFailure(session, r, console, "reading");
        MemoryImage image(size);
        image.display(0, data);
        MemSettings settings;
        settings.addressText = intToHex(device.address, 2);
        if (device.eeprom) {
            settings.pageSize = static_cast<int>(device.pageSize);
            settings.writeTimeMs = static_cast<int>(device.writeTimeMs);
        }
        try {
            MemoryFiles::save(kind, type, o.file, image, settings);
        } catch (const FileError& e) {
            throw FileError(o.file + ": " + e.what());
        }
        console.out << statusText(status::Success) << "\n";
        return kOk;
    }

    // Write and verify take the image from the file first: nothing goes on
    // the bus for a file that is refused.
    MemoryImage image(size);
    std::optional<MemHeader> header;
    try {
        loadImage(kind, type, o.file, image, header, console);
    } catch (const Error& e) { // a file that is not sound, or a value that is no number
        throw FileError(o.file + ": " + e.what());
    }
    if (header) { // a .mem file carries the window's device settings
        // Said only where the file changes what the defaults would be.
        std::string taken;
        const auto take = [&taken](const std::string& what) { taken += (taken.empty() ? "" : ", ") + what; };
        if (!o.address && (header->address & 0xFE) != device.address) {
            device.address = static_cast<std::uint8_t>(header->address & 0xFE);
            take("address " + addressText7(device.address));
        }
        const auto& choices = pageSizeChoices(kind);
        if (device.eeprom && !o.pageSize && header->pageSize != device.pageSize &&
            std::find(choices.begin(), choices.end(), std::to_string(header->pageSize)) != choices.end()) {
            device.pageSize = header->pageSize;
            take("page size " + std::to_string(device.pageSize));
        }
        if (device.eeprom && !o.writeTimeMs && header->writeTimeMs != device.writeTimeMs && header->writeTimeMs > 0 &&
            header->writeTimeMs <= 1000) {
            device.writeTimeMs = header->writeTimeMs;
            take("write time " + std::to_string(device.writeTimeMs) + " ms");
        }
        if (!taken.empty())
            console.err << "tallyport-cli: from " << o.file << ": " << taken << "\n";
    }
    MemoryBus bus(session.adapter(), device);

    if (o.action == "verify") {
        if (const int rc = verify(session, bus, image, console); rc != kOk)
            return rc;
        console.out << statusText(status::VerifyOk) << "\n";
        return kOk;
    }

    const std::vector<std::uint8_t> data = image.values(isLarge(kind) ? CellRead::TrimBlanks : CellRead::Exact);
    Progress progress(console, "Writing");
    const MemoryBusResult r = bus.writeAll(data, progress.callback());
    progress.done();
    if (!r.ok())
        return busFailure(session, r, console, "writing");
    if (o.noVerify) {
        console.out << statusText(status::Success) << "\n";
        return kOk;
    }
    if (const int rc = verify(session, bus, image, console); rc != kOk)
        return rc;
    console.out << statusText(status::WriteVerifyOk) << "\n";
    return kOk;
}

} // namespace tp::cli
