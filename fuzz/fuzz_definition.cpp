// The user definable device's definition file (.def). Input: a selector
// byte (bit 0: save as Save As does, erasing the old register values),
// then a file. The file is read; then a device (the one read, or a fixed
// one when the file is refused) is saved over it, as Save does over an
// existing file, and must read back as that device, every character kept,
// in the encoding the file was read in.
#include "core/common/Errors.h"
#include "core/universal/DefinitionFile.h"
#include "core/universal/UserDevice.h"
#include "fuzz/FuzzTarget.h"

#include <optional>

using namespace tp;
using namespace tp::userdev;

namespace {

bool isUpperHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

bool oneLine(const std::string& s)
{
    return s.find_first_of("\r\n") == std::string::npos;
}

bool withBom(std::string_view bytes)
{
    return DefinitionFile::encodingOf(bytes) == FileEncoding::Utf8WithBom;
}

// The first line of a file as it reads.
std::string firstLine(std::string_view bytes)
{
    std::string text;
    if (!DefinitionFile::decode(bytes, text))
        return {};
    return text.substr(0, text.find_first_of("\r\n"));
}

UserDevice fixedDevice()
{
    UserDevice d;
    Definition def;
    def.name = "Status, bit 7; see %x = 5";
    def.address = 0x4E;
    def.maxRegister = 20;
    for (int i = 0; i <= def.maxRegister; ++i) {
        def.values[static_cast<std::size_t>(i)] = i % 2 ? "0A" : "F0";
        def.names[static_cast<std::size_t>(i)] = i % 3 ? "Undefined Register" : "  a=b; [x] \xC3\xA9";
    }
    d.define(def, Shade::Blue);
    return d;
}

void checkRead(const Definition& d)
{
    FUZZ_CHECK(d.maxRegister >= 0 && d.maxRegister <= 255);
    FUZZ_CHECK(!d.address || (*d.address & 1) == 0);
    FUZZ_CHECK(oneLine(d.name));
    for (int i = 0; i <= d.maxRegister; ++i) {
        const std::string& v = d.values[static_cast<std::size_t>(i)];
        FUZZ_CHECK(v.size() == 2 && isUpperHex(v[0]) && isUpperHex(v[1]));
        FUZZ_CHECK(oneLine(d.names[static_cast<std::size_t>(i)]));
    }
}

void checkSameDevice(const Definition& back, const UserDevice& dev)
{
    FUZZ_CHECK(back.name == dev.name());
    FUZZ_CHECK(back.address == dev.address());
    FUZZ_CHECK(back.maxRegister == dev.maxRegister());
    for (int i = 0; i <= dev.maxRegister(); ++i) {
        FUZZ_CHECK(back.values[static_cast<std::size_t>(i)] == dev.valueText(i));
        FUZZ_CHECK(back.names[static_cast<std::size_t>(i)] == dev.registerName(i));
    }
}

} // namespace

void fuzzOne(std::span<const std::uint8_t> input)
{
    if (input.empty())
        return;
    const bool saveAs = input[0] & 1;
    const std::string_view file = fuzz::text(input.subspan(1));

    UserDevice dev = fixedDevice();
    std::optional<FileEncoding> readIn;
    try {
        const Definition d = DefinitionFile::parse(file);
        checkRead(d);
        FUZZ_CHECK(d.encoding == DefinitionFile::encodingOf(file));
        dev.define(d, Shade::Blue);
        readIn = d.encoding;
    } catch (const FileError&) {
        // Refused: the window keeps its device.
    }

    // Saved over the file: whatever else it holds, it now reads as the
    // device, and saving the same device again changes no byte.
    const std::string written = DefinitionFile::format(file, dev, saveAs);
    Definition back;
    try {
        back = DefinitionFile::parse(written);
    } catch (const FileError&) {
        fuzzFailed("a saved file reads back", __FILE__, __LINE__);
    }
    checkSameDevice(back, dev);
    FUZZ_CHECK(DefinitionFile::format(written, dev, saveAs) == written);
    // Written back in the encoding it was read in: code page 1252 held all
    // of a file read in it, so no byte-order mark appears, unless the file
    // started with the mark's bytes and only a mark keeps them as they read.
    if (readIn == FileEncoding::Utf8WithBom)
        FUZZ_CHECK(withBom(written));
    if (readIn == FileEncoding::Cp1252)
        FUZZ_CHECK(!withBom(written) || file.starts_with("\xEF\xBB\xBF"));
    // A line before the first section is the file's own and reads as it did.
    if (readIn && firstLine(file).find('[') == std::string::npos)
        FUZZ_CHECK(firstLine(written) == firstLine(file));

    // A fresh file says the same; one for a device from code page 1252 stays in it.
    const std::string fresh = DefinitionFile::format({}, dev, false);
    checkSameDevice(DefinitionFile::parse(fresh), dev);
    if (dev.encoding() == FileEncoding::Cp1252)
        FUZZ_CHECK(!withBom(fresh));

    // The export and the report cover every register.
    const auto lines = DefinitionFile::reportLines(dev);
    FUZZ_CHECK(lines.size() == static_cast<std::size_t>(dev.registerCount()) + 3);
    std::size_t onPages = 0;
    const auto pages = DefinitionFile::reportPages(lines, 60);
    for (const auto& p : pages) {
        FUZZ_CHECK(!p.empty() && p.size() <= 60);
        onPages += p.size();
    }
    FUZZ_CHECK(onPages == lines.size() + pages.size() - 1);
    FUZZ_CHECK(!DefinitionFile::exportText(dev).empty());
}

std::vector<FuzzSeed> fuzzSeeds()
{
    UserDevice plain;
    return {
        fuzz::seed("new-device.def", 0, DefinitionFile::format({}, plain, false)),
        fuzz::seed("awkward-names.def", 0, DefinitionFile::format({}, fixedDevice(), false)),
        fuzz::seed("save-as-over-awkward.def", 1, DefinitionFile::format({}, fixedDevice(), false)),
        fuzz::seed("other-spellings.def", 0,
                   "; written by hand\r\n[device data]\r\nADDRESS=4e\r\nmaxregister = 20\r\nNAME=x\r\n"
                   "[REGISTER DATA]\r\n0=1\r\n 5 = ab\r\n[register description]\r\n0=Status, bit 7\r\n"
                   "[Other]\r\nkept=yes\r\n"),
        fuzz::seed("max-register-999.def", 0, "[Device Data]\r\nMaxRegister=999\r\n"),
        fuzz::seed("bad-value.def", 0, "[Device Data]\r\nMaxRegister=3\r\n[Register Data]\r\n2=ZZ\r\n"),
        fuzz::seed("utf8-bom.def", 0,
                   "\xEF\xBB\xBF[Device Data]\nName=\xE2\x82\xAC \xE4\xB8\xAD\nMaxRegister=0\n"),
        fuzz::seed("utf8-bom-save-as.def", 1,
                   "\xEF\xBB\xBF[Device Data]\r\nName=\xCE\xA9 meter\r\nMaxRegister=1\r\n[Register Description]\r\n"
                   "1=\xE4\xB8\xAD \xE2\x84\x83\r\n[Notes]\r\nby=\xC5\x81\xC3\xB3" "d\xC5\xBA\r\n"),
        fuzz::seed("cp1252-accents.def", 0, "[Device Data]\r\nName=Caf\xE9 \x80\r\nMaxRegister=0\r\n"),
        // Refused, so the fixed device is saved over it; its name for
        // register 0 differs from the file's only in blanks.
        fuzz::seed("refused-names-differ-in-blanks.def", 0,
                   "[Device Data]\r\nMaxRegister=zz\r\n[Register Description]\r\n0 = a=b; [x] \xE9\r\n"),
        // Code page, though it starts with a byte-order mark's bytes; Save As
        // drops its one byte that is not UTF-8.
        fuzz::seed("cp1252-starting-like-a-mark.def", 1,
                   "\xEF\xBB\xBF\r\n[Device Data]\r\nName=x\r\n[Register Data]\r\n300=\xE9\r\n"),
    };
}
