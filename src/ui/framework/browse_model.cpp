#include "ui/framework/browse_model.h"

namespace hk::ui {

BrowseModel::BrowseModel(std::shared_ptr<BrowseSource> source, QObject* parent)
    : QAbstractTableModel(parent), source_(std::move(source)), columns_(source_->columns()) {}

int BrowseModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int BrowseModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant BrowseModel::data(const QModelIndex& index, int role) const {
    const BrowseRow* row = rowAt(index.row());
    if (!row || index.column() < 0 || index.column() >= static_cast<int>(columns_.size()))
        return {};
    const auto col = static_cast<std::size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return index.column() < row->cells.size() ? row->cells.at(index.column()) : QString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (columns_[col].rightAligned ? Qt::AlignRight : Qt::AlignLeft));
    case Qt::ForegroundRole:
        return row->foreground ? QVariant(*row->foreground) : QVariant();
    case Qt::BackgroundRole:
        return row->background ? QVariant(*row->background) : QVariant();
    default:
        return {};
    }
}

QVariant BrowseModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(columns_.size()))
        return QAbstractTableModel::headerData(section, o, role);
    return columns_[static_cast<std::size_t>(section)].heading;
}

const BrowseRow* BrowseModel::rowAt(int r) const {
    if (r < 0 || r >= static_cast<int>(rows_.size())) return nullptr;
    return &rows_[static_cast<std::size_t>(r)];
}

bool BrowseModel::canFetchMore(const QModelIndex& parent) const {
    return !parent.isValid() && !atEnd_;
}

void BrowseModel::fetchMore(const QModelIndex& parent) {
    if (parent.isValid() || atEnd_) return;
    auto more = source_->read(order_, rows_.empty() ? nullptr : &rows_.back(), true, page_);
    if (!more) {
        lastError_ = more.error();
        atEnd_ = true; // stop asking; the window reports the error once
        emit readFailed();
        return;
    }
    auto& got = more.value();
    if (got.size() < page_) atEnd_ = true;
    if (got.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(got.size()) - 1);
    for (auto& r : got)
        rows_.push_back(std::move(r));
    endInsertRows();
}

core::Result<int> BrowseModel::fetchEarlier() {
    if (atStart_) return 0;
    auto more = source_->read(order_, rows_.empty() ? nullptr : &rows_.front(), false, page_);
    if (!more) {
        lastError_ = more.error();
        atStart_ = true;
        return more.error();
    }
    auto& got = more.value();
    if (got.size() < page_) atStart_ = true;
    if (got.empty()) return 0;
    const int n = static_cast<int>(got.size());
    beginInsertRows({}, 0, n - 1);
    for (auto it = got.rbegin(); it != got.rend(); ++it)
        rows_.push_front(std::move(*it));
    endInsertRows();
    return n;
}

core::Status BrowseModel::restartWith(core::Result<std::vector<BrowseRow>> rows, bool fromStart) {
    beginResetModel();
    rows_.clear();
    lastError_.reset();
    if (!rows) {
        lastError_ = rows.error();
        atStart_ = atEnd_ = true;
        endResetModel();
        return rows.error();
    }
    for (auto& r : rows.value())
        rows_.push_back(std::move(r));
    atEnd_ = rows_.size() < page_;
    atStart_ = fromStart || rows_.empty();
    endResetModel();
    return {};
}

core::Status BrowseModel::reset(int order) {
    order_ = order;
    return restartWith(source_->read(order_, nullptr, true, page_), true);
}

core::Result<int> BrowseModel::locate(const std::string& text) {
    if (text.empty()) {
        if (auto s = reset(order_); !s) return s.error();
        return rows_.empty() ? -1 : 0;
    }
    auto st = restartWith(source_->locate(order_, text, page_), false);
    if (!st) return st.error();
    // Past the last key: show the end of the range, the nearest the locator can get.
    return settleAfterRestart();
}

core::Result<int> BrowseModel::refreshAt(const BrowseRow* row) {
    if (!row) {
        if (auto s = reset(order_); !s) return s.error();
        return rows_.empty() ? -1 : 0;
    }
    BrowseRow keep = *row; // the row lives in the deque about to be cleared
    auto st = restartWith(source_->from(order_, keep, page_), false);
    if (!st) return st.error();
    // The row was the last one and is gone: show the end of the range.
    return settleAfterRestart();
}

core::Result<int> BrowseModel::settleAfterRestart() {
    if (rows_.empty()) {
        if (auto s = restartWith(source_->read(order_, nullptr, false, page_), false); !s)
            return s.error();
        atEnd_ = true;
        atStart_ = rows_.size() < page_;
        return rows_.empty() ? -1 : static_cast<int>(rows_.size()) - 1;
    }
    auto earlier = fetchEarlier();
    if (!earlier) return earlier.error();
    return earlier.value();
}

} // namespace hk::ui
