#include "core/universal/IniDocument.h"

#include <iterator>

namespace tp {

namespace {

constexpr std::size_t npos = std::string::npos;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string indexKey(const std::string& section, const std::string& key)
{
    return section + '\n' + key;
}

} // namespace

std::string IniDocument::fold(std::string_view name)
{
    std::string out(trimmed(name));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

IniDocument::Line IniDocument::classify(std::string text)
{
    Line line;
    const std::string_view t = trimmed(text);
    if (!t.empty() && t.front() == '[') {
        const std::size_t close = t.find(']');
        if (close != npos) {
            line.kind = Kind::Section;
            line.name = fold(t.substr(1, close - 1));
        }
    } else if (!t.empty() && t.front() != ';') {
        const std::size_t eq = text.find('=');
        if (eq != npos && !trimmed(std::string_view(text).substr(0, eq)).empty()) {
            line.kind = Kind::Key;
            line.name = fold(std::string_view(text).substr(0, eq));
        }
    }
    line.text = std::move(text);
    return line;
}

IniDocument IniDocument::parse(std::string_view text)
{
    IniDocument doc;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == npos)
            end = text.size();
        doc.m_lines.push_back(classify(std::string(text.substr(start, end - start))));
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return doc;
}

void IniDocument::buildIndex() const
{
    if (m_indexed)
        return;
    m_index.clear();
    std::unordered_map<std::string, bool> seen;
    const std::string* section = nullptr;
    bool firstOccurrence = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line& l = m_lines[i];
        if (l.kind == Kind::Section) {
            section = &l.name;
            // Only the first header of a name counts, as readers of these files do.
            firstOccurrence = seen.emplace(l.name, true).second;
        } else if (l.kind == Kind::Key && section && firstOccurrence) {
            m_index.emplace(indexKey(*section, l.name), i);
        }
    }
    m_indexed = true;
}

bool IniDocument::hasSection(std::string_view section) const
{
    return findSection(fold(section)) != npos;
}

std::optional<std::string> IniDocument::value(std::string_view section, std::string_view key) const
{
    buildIndex();
    const auto it = m_index.find(indexKey(fold(section), fold(key)));
    if (it == m_index.end())
        return std::nullopt;
    const std::string& t = m_lines[it->second].text;
    return t.substr(t.find('=') + 1);
}

std::size_t IniDocument::findSection(const std::string& folded) const
{
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        if (m_lines[i].kind == Kind::Section && m_lines[i].name == folded)
            return i;
    return npos;
}

std::size_t IniDocument::sectionEnd(std::size_t header) const
{
    std::size_t i = header + 1;
    while (i < m_lines.size() && m_lines[i].kind != Kind::Section)
        ++i;
    return i;
}

void IniDocument::setValue(std::string_view section, std::string_view key, std::string_view value)
{
    setValues(section, {{std::string(key), std::string(value)}});
}

void IniDocument::setValues(std::string_view section,
                            const std::vector<std::pair<std::string, std::string>>& entries)
{
    if (entries.empty())
        return;
    std::size_t header = findSection(fold(section));
    if (header == npos) {
        if (!m_lines.empty() && !trimmed(m_lines.back().text).empty())
            m_lines.push_back(classify(std::string()));
        m_lines.push_back(classify("[" + std::string(trimmed(section)) + "]"));
        header = m_lines.size() - 1;
        m_indexed = false;
    }
    const std::size_t end = sectionEnd(header);
    // The section's keys, looked up once: one pass however many are written.
    std::unordered_map<std::string, std::size_t> existing;
    for (std::size_t i = header + 1; i < end; ++i)
        if (m_lines[i].kind == Kind::Key)
            existing.emplace(m_lines[i].name, i);
    std::vector<Line> added;
    std::unordered_map<std::string, std::size_t> addedAt;
    for (const auto& [key, value] : entries) {
        std::string line(trimmed(key));
        line += '=';
        for (char c : value)
            line += (c == '\r' || c == '\n') ? ' ' : c;
        const std::string folded = fold(key);
        if (const auto it = existing.find(folded); it != existing.end()) {
            // Same line, same name: the index stays right. The key keeps its
            // own spelling, and a line whose value is the same stays as it
            // was, so a file under version control shows no change. The same
            // means every character: value() keeps blanks, and so do readers
            // of names.
            std::string& old = m_lines[it->second].text;
            const std::size_t eq = old.find('=');
            const std::string_view now = std::string_view(line).substr(line.find('=') + 1);
            if (std::string_view(old).substr(eq + 1) != now)
                old = old.substr(0, eq + 1) + std::string(now);
        } else if (const auto a = addedAt.find(folded); a != addedAt.end()) {
            added[a->second].text = std::move(line);
        } else {
            addedAt.emplace(folded, added.size());
            added.push_back(classify(std::move(line)));
        }
    }
    if (added.empty())
        return;
    // After the section's last line that is not blank.
    std::size_t at = end;
    while (at > header + 1 && trimmed(m_lines[at - 1].text).empty())
        --at;
    m_lines.insert(m_lines.begin() + static_cast<std::ptrdiff_t>(at), std::make_move_iterator(added.begin()),
                   std::make_move_iterator(added.end()));
    m_indexed = false;
}

void IniDocument::eraseSection(std::string_view section)
{
    const std::string folded = fold(section);
    const std::size_t first = findSection(folded);
    if (first == npos)
        return;
    // The blank lines that part it from the next section stay too.
    std::size_t blanksFrom = sectionEnd(first);
    while (blanksFrom > first + 1 && trimmed(m_lines[blanksFrom - 1].text).empty())
        --blanksFrom;
    std::vector<Line> kept;
    kept.reserve(m_lines.size());
    bool erasing = false;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        Line& l = m_lines[i];
        if (l.kind == Kind::Section)
            erasing = l.name == folded && i != first;
        const bool inFirst = i > first && i < blanksFrom;
        if (!erasing && !inFirst)
            kept.push_back(std::move(l));
    }
    m_lines = std::move(kept);
    m_indexed = false;
}

std::string IniDocument::text() const
{
    std::string out;
    std::size_t size = 0;
    for (const Line& l : m_lines)
        size += l.text.size() + 2;
    out.reserve(size);
    for (const Line& l : m_lines) {
        out += l.text;
        out += "\r\n";
    }
    return out;
}

} // namespace tp
