#pragma once
#include "core/adapter/BusLog.h"
#include "core/bus/BusLogText.h"

#include <QAbstractTableModel>

#include <map>
#include <optional>
#include <vector>

// The rows of a bus log view: the log's entries that pass the filter, by
// entry number, so no row holds a copy. refresh() takes in what the log
// gained and lost since the last call in one insertion and one removal,
// however many messages that is (rows of a full ring are reused); paused,
// it takes in nothing new, while the log keeps recording.
// A run of acknowledge polls to one address folds into one summary row
// ("polled 9 times, 1.9 ms") that opens and closes on demand.
class BusLogModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit BusLogModel(QObject* parent = nullptr);

    // The log to show; a different log (another adapter) starts afresh.
    void attach(const tp::BusLog* log);
    const tp::BusLog* log() const { return m_log; }
    void refresh();

    void setFilter(const tp::buslog::Filter& filter);
    const tp::buslog::Filter& filter() const { return m_filter; }
    void setPaused(bool paused);
    bool paused() const { return m_paused; }
    void setFoldPolls(bool fold);
    bool foldPolls() const { return m_fold; }

    // Whether a row sums up a run of polls, and whether that run is open.
    bool isRunRow(int row) const;
    bool isRunOpen(int row) const;
    // Shows or hides the polls of the run summed up in `row`.
    void toggleRun(int row);

    // Entry number of a row (a run's row: its first poll), and the entries
    // of the rows shown, every poll of a folded run included.
    std::uint64_t numberAt(int row) const;
    std::vector<tp::BusLogEntry> shownEntries() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Longest data text a cell shows; the exports carry everything.
    static constexpr std::size_t kShownBytes = 32;

private:
    bool filtered() const { return !m_filter.isEmpty(); }
    // Rows listed one by one (a filter, or polls to fold), not counted from
    // a base: a log without polls keeps the cheaper counted rows.
    bool listed() const { return m_listing; }
    bool passes(std::uint64_t number) const;
    // Rows for entries [from, end), extending the last run where it goes on.
    std::vector<std::uint64_t> collect(std::uint64_t from, std::uint64_t end);
    QString runText(std::uint64_t first) const;
    struct Run {
        std::uint64_t last = 0;
        std::uint64_t count = 0;
        bool open = false;
        std::uint8_t address = 0;
    };
    void rebuild();
    void moveOn();
    void dropGone();
    void takeNew();
    const tp::BusLogEntry& cached(std::uint64_t number) const;

    const tp::BusLog* m_log = nullptr;
    std::uint64_t m_logId = 0;
    tp::buslog::Filter m_filter;
    bool m_paused = false;
    // Unfiltered, row r is entry m_base + r; filtered, entry m_rows[r].
    std::uint64_t m_base = 0;
    int m_count = 0;
    std::vector<std::uint64_t> m_rows;
    bool m_fold = true;
    bool m_listing = false;
    std::map<std::uint64_t, Run> m_runs; // by the number of their first poll
    std::uint64_t m_next = 0; // first entry number not looked at yet

    mutable std::optional<std::uint64_t> m_cachedNumber;
    mutable tp::BusLogEntry m_cached;
};
