// The history list's model: the reads of this session and the kept ones,
// newest first, at most kHistoryListRows of them (the oldest go), so that
// adding a read costs the same however long Kestrix has been scanning.
#pragma once

#include "toolbox/scan_history.h"

#include <QAbstractTableModel>
#include <deque>
#include <vector>

constexpr int kHistoryListRows = 10'000;

class HistoryModel final : public QAbstractTableModel {
  public:
    enum Column { kTime, kSymbology, kText, kDelivery, kColumns };
    using QAbstractTableModel::QAbstractTableModel;

    void Add(HistoryEntry entry);                             // at the top
    void Reset(const std::vector<HistoryEntry>& oldestFirst); // the kept reads
    void RemoveRows(std::vector<int> rows);                   // any order
    void Clear();
    const HistoryEntry& At(int row) const { return rows_[std::size_t(row)]; }
    // The newest n entries, oldest first.
    std::vector<HistoryEntry> Newest(std::size_t n) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    std::deque<HistoryEntry> rows_; // newest first
};
