#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tp {

// An initialisation file as its lines, so that writing a key leaves every
// other line of the file as it was. Section and key names match without
// regard to case (ASCII letters); blanks inside section names count, blanks
// around names do not. A value is the rest of its line after the first
// "=", kept exactly: commas, semicolons, "%" and blanks are ordinary text.
// Lines starting with ";" are comments. Text is UTF-8; the caller does the
// code page.
class IniDocument {
public:
    IniDocument() = default;
    // Lines may end in CR LF, LF or CR.
    static IniDocument parse(std::string_view text);

    bool hasSection(std::string_view section) const;
    // The value of the first such key in the first such section.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Replaces the value of an existing key, or adds the key at the end of
    // the section, or the section (after a blank line) at the end of the
    // file. A line break in the value would start a new line of the file,
    // so CR and LF are written as blanks.
    void setValue(std::string_view section, std::string_view key, std::string_view value);
    // setValue for many keys of one section, in one pass over the file;
    // the new keys go in their order.
    void setValues(std::string_view section, const std::vector<std::pair<std::string, std::string>>& entries);
    // Removes every line of the section; its first header stays where it
    // is (so keys written next land there), later copies go entirely.
    void eraseSection(std::string_view section);

    // The whole document with CR LF after every line.
    std::string text() const;
    std::size_t lineCount() const { return m_lines.size(); }

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        Kind kind = Kind::Other;
        std::string text;
        std::string name; // folded section or key name
    };

    static Line classify(std::string text);
    static std::string fold(std::string_view name);
    // Index of the first header of that section, or npos.
    std::size_t findSection(const std::string& folded) const;
    std::size_t sectionEnd(std::size_t header) const;
    void buildIndex() const;

    std::vector<Line> m_lines;
    // "section\nkey" -> line of the value that reading finds; built on demand.
    mutable std::unordered_map<std::string, std::size_t> m_index;
    mutable bool m_indexed = false;
};

} // namespace tp
