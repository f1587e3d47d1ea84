// The history model. Texts show their control characters as the Unicode
// control pictures (a GS as ␝), so a code's CR or tab cannot break a row.
#include "app/history_model.h"

#include "toolbox/csv_writer.h"

#include <algorithm>

namespace {

QString Shown(const std::string& text) {
    QString shown = QString::fromUtf8(AsUtf8(text));
    for (QChar& c : shown)
        if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    return shown;
}

QString DeliveryShown(HistoryDelivery delivery) {
    if (delivery == HistoryDelivery::kRepeat) return QStringLiteral("repeat, not delivered");
    return QString::fromLatin1(HistoryDeliveryWord(delivery));
}

} // namespace

void HistoryModel::Add(HistoryEntry entry) {
    if (rows_.size() >= std::size_t(kHistoryListRows)) {
        const int last = int(rows_.size()) - 1;
        beginRemoveRows({}, last, last);
        rows_.pop_back();
        endRemoveRows();
    }
    beginInsertRows({}, 0, 0);
    rows_.push_front(std::move(entry));
    endInsertRows();
}

void HistoryModel::Reset(const std::vector<HistoryEntry>& oldestFirst) {
    beginResetModel();
    rows_.assign(oldestFirst.rbegin(), oldestFirst.rend());
    if (rows_.size() > std::size_t(kHistoryListRows)) rows_.resize(kHistoryListRows);
    endResetModel();
}

void HistoryModel::RemoveRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the bottom up, a run of neighbouring rows at a time.
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t j = i;
        while (j + 1 < rows.size() && rows[j + 1] == rows[j] - 1) ++j;
        const int first = rows[j], last = rows[i];
        if (first >= 0 && last < int(rows_.size())) {
            beginRemoveRows({}, first, last);
            rows_.erase(rows_.begin() + first, rows_.begin() + last + 1);
            endRemoveRows();
        }
        i = j + 1;
    }
}

void HistoryModel::Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
}

std::vector<HistoryEntry> HistoryModel::Newest(std::size_t n) const {
    n = std::min(n, rows_.size());
    return {std::make_reverse_iterator(rows_.begin() + std::ptrdiff_t(n)), rows_.rend()};
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= int(rows_.size())) return {};
    const HistoryEntry& e = rows_[std::size_t(index.row())];
    switch (index.column()) {
    case kTime: {
        std::string time = FormatHistoryTime(e.timeMs, e.utcOffset).substr(0, 19);
        time[10] = ' ';
        return QString::fromLatin1(time);
    }
    case kSymbology:
        return Shown(e.name);
    case kText:
        return Shown(e.text);
    case kDelivery:
        return DeliveryShown(e.delivery);
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
    static const char* const titles[] = {"Time", "Symbology", "Code", "Delivery"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(titles[section]) : QVariant();
}
