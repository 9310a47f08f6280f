#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tp::userdev {

constexpr int kRegisterCount = 256;
constexpr int kColumns = 16;
inline constexpr const char* kUndefinedRegister = "Undefined Register";
inline constexpr const char* kUnknownDevice = "Unknown Device";
inline constexpr const char* kFirstCaption = "User Definable Device";
inline constexpr const char* kInvalidSelection = "Invalid Register selection";
inline constexpr std::uint8_t kStartAddress = 0xA0;

// How the cells of registers above MaxRegister look: blue after a file was
// loaded, grey after the definition window.
enum class Shade { Plain, Blue, Grey };

// A register value text as a finished cell holds it: blanks around it go,
// an empty text is "FF", one digit gets a "0" in front, letters are upper
// case. Whether the result is hex is not checked here.
std::string completeValueText(std::string_view text);

// A register value from outside (a file): one or two hex digits, blanks
// around them allowed, completed as above. Nothing for anything else.
std::optional<std::string> checkedValueText(std::string_view text);

// How a definition file's text is stored: code page 1252, or UTF-8 behind
// a byte-order mark.
enum class FileEncoding { Cp1252, Utf8WithBom };

// A complete description of a device as a file or the definition window
// gives it. Entries above maxRegister are not part of it.
struct Definition {
    std::string name = kUnknownDevice;
    std::optional<std::uint8_t> address; // none: the file names no address
    int maxRegister = kRegisterCount - 1;
    std::array<std::string, kRegisterCount> values;
    std::array<std::string, kRegisterCount> names;
    FileEncoding encoding = FileEncoding::Cp1252; // of the file it was read from
};

// The model behind the user definable device window: a name, an address,
// MaxRegister + 1 registers with value texts and names, the file it came
// from and whether it has unsaved changes.
class UserDevice {
public:
    UserDevice();

    // The state of a new window, under the given caption.
    void reset(std::string caption = kFirstCaption);

    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    // The slave write address; bit 0 is always clear.
    std::uint8_t address() const { return m_address; }
    void setAddress(std::uint8_t address) { m_address = static_cast<std::uint8_t>(address & 0xFE); }

    int maxRegister() const { return m_maxRegister; }
    int registerCount() const { return m_maxRegister + 1; }
    // Grid rows of 16 registers that hold the defined ones.
    int rowCount() const { return m_maxRegister / kColumns + 1; }
    bool isDefined(int index) const { return index >= 0 && index <= m_maxRegister; }

    // Two hex digits for a defined register, empty above MaxRegister.
    const std::string& valueText(int index) const { return m_values.at(static_cast<std::size_t>(index)); }
    // The value as a byte; throws InvalidNumber when the text is not hex.
    std::uint8_t value(int index) const;
    // Stores `text` completed (completeValueText).
    void setValueText(int index, std::string_view text);
    void setValue(int index, std::uint8_t value);

    const std::string& registerName(int index) const { return m_names.at(static_cast<std::size_t>(index)); }
    void setRegisterName(int index, std::string name)
    {
        m_names.at(static_cast<std::size_t>(index)) = std::move(name);
    }

    Shade undefinedShade() const { return m_shade; }

    // What the register panel shows for a selected index:
    // "0x1F: <name>", or "Invalid Register selection" above MaxRegister.
    std::string panelText(int index) const;

    // Takes a definition: its name, MaxRegister, values, names and encoding
    // (address only when it has one); registers above MaxRegister get empty
    // cells, the undefined name and `shade`.
    void define(const Definition& d, Shade shade);
    // The device as a definition (for the definition window and files).
    Definition definition() const;

    // The encoding of the file the device was read from; a device that
    // came from no file is written in code page 1252.
    FileEncoding encoding() const { return m_encoding; }

    bool modified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }
    // The definition file "Save" writes; empty for none.
    const std::string& currentFile() const { return m_currentFile; }
    void setCurrentFile(std::string path) { m_currentFile = std::move(path); }

private:
    std::string m_name;
    std::uint8_t m_address = kStartAddress;
    int m_maxRegister = kRegisterCount - 1;
    std::array<std::string, kRegisterCount> m_values;
    std::array<std::string, kRegisterCount> m_names;
    Shade m_shade = Shade::Plain;
    FileEncoding m_encoding = FileEncoding::Cp1252;
    bool m_modified = false;
    std::string m_currentFile;
};

} // namespace tp::userdev
