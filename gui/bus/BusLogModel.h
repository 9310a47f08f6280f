#pragma once
#include "core/adapter/BusLog.h"
#include "core/bus/BusLogText.h"

#include <QAbstractTableModel>

#include <optional>
#include <vector>

// The rows of a bus log view: the log's entries that pass the filter, by
// entry number, so no row holds a copy. refresh() takes in what the log
// gained and lost since the last call in one insertion and one removal,
// however many messages that is (rows of a full ring are reused); paused,
// it takes in nothing new, while the log keeps recording.
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

    // Entry number of a row, and the entries of the rows shown.
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
    std::uint64_t m_next = 0; // first entry number not looked at yet

    mutable std::optional<std::uint64_t> m_cachedNumber;
    mutable tp::BusLogEntry m_cached;
};
