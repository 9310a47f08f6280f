#pragma once
#include <cstdint>
#include <limits>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace tp::sim {

// A chip model's state as named text fields, for keeping a bench between
// runs: byte runs as hex digits, numbers in decimal. Each model chooses its
// field names. Getters leave the target alone when the field is missing and
// throw FileError when it is there but does not fit.
class ChipState {
public:
    void putBytes(const std::string& name, std::span<const std::uint8_t> bytes);
    void putNumber(const std::string& name, std::uint64_t value);

    // The field must hold exactly out.size() bytes.
    void getBytes(const std::string& name, std::span<std::uint8_t> out) const;
    template <class T> void getNumber(const std::string& name, T& value) const
    {
        std::uint64_t v = 0;
        if (number(name, static_cast<std::uint64_t>(std::numeric_limits<T>::max()), v))
            value = static_cast<T>(v);
    }

    bool has(const std::string& name) const { return m_fields.count(name) != 0; }
    // The raw texts, for the file that holds them.
    const std::map<std::string, std::string>& fields() const { return m_fields; }
    void setField(const std::string& name, std::string text) { m_fields[name] = std::move(text); }

private:
    bool number(const std::string& name, std::uint64_t max, std::uint64_t& value) const;

    std::map<std::string, std::string> m_fields;
};

} // namespace tp::sim
