// The expert mode's data file. Input: a selector byte (bit 0: the rest is
// a table to write, as the message editor can fill it, rather than a file
// to read), then the file or the table.
#include "core/common/CodePage.h"
#include "core/common/HexText.h"
#include "core/universal/ExpertDataFile.h"
#include "core/universal/MessageTable.h"
#include "fuzz/FuzzTarget.h"

using namespace tp;
using namespace tp::expert;

namespace {

using F = ExpertDataFile;

// A row as it is written: each cell on one line; in the cells before the
// notes, a blank behind "Comments:" may be dropped so the row cannot gain
// the notes marker, so those compare without such blanks.
TGridRecord oneLine(TGridRecord r)
{
    for (std::string* s : {&r.address, &r.rw, &r.data, &r.stop, &r.delay, &r.notes})
        *s = F::oneLine(*s);
    for (std::string* s : {&r.address, &r.rw, &r.data, &r.stop, &r.delay})
        for (auto at = s->find("Comments: "); at != std::string::npos; at = s->find("Comments: ", at))
            s->erase(at + 9, 1);
    return r;
}

// Written, read back and written again: the rows that are not empty, each
// on one line, the same sequence, the same bytes.
void checkWriteReadWrite(const MessageTable& table, const std::string& sequence)
{
    const std::string written = F::format(table, sequence);
    const auto back = F::parse(written);
    FUZZ_CHECK(back.has_value());
    std::size_t next = 0;
    for (int r = 0; r < table.rowCount(); ++r) {
        if (table.isEmptyRow(r))
            continue;
        FUZZ_CHECK(next < back->rows.size());
        FUZZ_CHECK(oneLine(back->rows[next]) == oneLine(table.record(r)));
        ++next;
    }
    FUZZ_CHECK(next == back->rows.size());
    FUZZ_CHECK(back->sequence == F::oneLine(sequence));

    MessageTable again;
    std::string sequenceAgain;
    F::apply(*back, again, sequenceAgain);
    FUZZ_CHECK(F::format(again, sequenceAgain) == written);
}

// Rows as the message editor writes them: a two-digit address, "Write" or
// "Read", 0 to 129 data bytes, "Yes" or "No", a delay of 0 to 2000 and up
// to 255 characters of notes (given here with line breaks and all).
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> b) : m_b(b) {}
    bool atEnd() const { return m_pos >= m_b.size(); }
    std::uint8_t byte() { return atEnd() ? 0 : m_b[m_pos++]; }
    std::string bytes(std::size_t n)
    {
        n = std::min(n, m_b.size() - std::min(m_pos, m_b.size()));
        std::string s(reinterpret_cast<const char*>(m_b.data() + m_pos), n);
        m_pos += n;
        return s;
    }

private:
    std::span<const std::uint8_t> m_b;
    std::size_t m_pos = 0;
};

void fuzzTable(std::span<const std::uint8_t> input)
{
    Reader in(input);
    const std::string sequence = cp1252ToUtf8(in.bytes(in.byte()));
    MessageTable table;
    int row = 0;
    while (!in.atEnd()) {
        const std::uint8_t flags = in.byte();
        TGridRecord r;
        r.address = intToHex(in.byte(), 2);
        r.rw = flags & 1 ? "Read" : "Write";
        r.stop = flags & 2 ? "No" : "Yes";
        const int count = in.byte() % 130;
        for (int i = 0; i < count; ++i)
            r.data += (i ? "," : "") + intToHex(in.byte(), 2);
        r.delay = std::to_string((in.byte() | in.byte() << 8) % 401 * 5);
        r.notes = cp1252ToUtf8(in.bytes(in.byte()));
        if (row >= table.rowCount())
            row = table.appendRow();
        table.setRecord(row++, r);
        if (flags & 4)
            ++row; // leave an empty row between
    }
    checkWriteReadWrite(table, sequence);
}

} // namespace

void fuzzOne(std::span<const std::uint8_t> input)
{
    if (input.empty())
        return;
    const auto rest = input.subspan(1);
    if (input[0] & 1) {
        fuzzTable(rest);
        return;
    }
    const auto content = F::parse(fuzz::text(rest));
    if (!content)
        return; // the window keeps its table: nothing was read
    MessageTable table;
    std::string sequence = "01,02";
    F::apply(*content, table, sequence);
    FUZZ_CHECK(table.rowCount() == std::max<int>(1, static_cast<int>(content->rows.size())));
    if (content->sequence)
        FUZZ_CHECK(sequence == *content->sequence);
    checkWriteReadWrite(table, sequence);
}

std::vector<FuzzSeed> fuzzSeeds()
{
    MessageTable t;
    t.setRecord(0, {"A0", "Write", "00,1F,FF", "No", "10", ""});
    t.setRecord(1, {"A0", "Read", "FF,FF", "Yes", "0", "pointer, then read: two bytes"});
    t.setRecord(3, {"", "", "", "", "", "only notes"});
    t.setRecord(4, {"40", "Write", "", "Yes", "2000", "caf\xC3\xA9 \xE2\x82\xAC"});
    return {
        fuzz::seed("table.txt", 0, F::format(t, "01,02,02")),
        fuzz::seed("empty-table.txt", 0, F::format(MessageTable(), "")),
        // A table the editor filled: no sequence, two rows, a gap between.
        fuzz::seed("editor-rows", 1,
                   std::vector<std::uint8_t>{0, 4, 0xA0, 2, 0x00, 0x1F, 10, 0, 3, 'a', ',', 'b', 3, 0x42, 0, 0, 0, 0}),
    };
}
