#pragma once
// Lazy table model of a browse list. It never counts or loads the whole key range: it holds a
// window of rows read in key order from a BrowseSource, appends a page when the view scrolls to
// its end and prepends one when it scrolls to its top, and restarts the window at the locator's
// position. A list of a million lines therefore opens after one page is read.

#include "core/result.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QStringList>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace hk::ui {

// One line of the list: the formatted cells, optional colours and the record it shows. The
// record is opaque here; the typed source that produced it gives it back its type.
struct BrowseRow {
    QStringList cells;
    std::optional<QColor> foreground;
    std::optional<QColor> background;
    std::shared_ptr<const void> record;
};

struct BrowseColumnInfo {
    QString heading;
    int width = 10; // characters; 0 hides the column (a password, for instance)
    bool rightAligned = false;
};

// Reads rows of a key range in the order of one of its keys.
class BrowseSource {
  public:
    virtual ~BrowseSource() = default;
    virtual std::vector<BrowseColumnInfo> columns() const = 0;
    // Up to n rows that follow (forward) or precede (backward) the anchor row in key order; with
    // no anchor, from the first (forward) or the last (backward) row of the range. Backward reads
    // are returned in key order (nearest to the anchor last).
    virtual core::Result<std::vector<BrowseRow>> read(int order, const BrowseRow* anchor,
                                                      bool forward, std::size_t n) = 0;
    // Up to n rows from the first whose key is at or after the typed text.
    virtual core::Result<std::vector<BrowseRow>> locate(int order, const std::string& text,
                                                        std::size_t n) = 0;
    // Up to n rows from the given record's position (itself included when it still exists).
    virtual core::Result<std::vector<BrowseRow>> from(int order, const BrowseRow& row,
                                                      std::size_t n) = 0;
};

class BrowseModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit BrowseModel(std::shared_ptr<BrowseSource> source, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    void setPageSize(std::size_t n) { page_ = n; }
    std::size_t pageSize() const { return page_; }
    int order() const { return order_; }

    // Restart at the first row of the range in the given key order.
    core::Status reset(int order);
    // Restart at the first row at or after text; returns the row to select (-1: none).
    core::Result<int> locate(const std::string& text);
    // Re-read around a row after the data changed (the row itself when it still exists).
    core::Result<int> refreshAt(const BrowseRow* row);
    // Read one page before the first row held; returns the number of rows added at the top.
    core::Result<int> fetchEarlier();
    bool atStart() const { return atStart_; }
    bool atEnd() const { return atEnd_; }

    const BrowseRow* rowAt(int r) const;
    // The last read failure, for the window to report (message 1).
    const std::optional<core::Error>& lastError() const { return lastError_; }

  signals:
    // A page read as the view scrolled failed (lastError() says how); fetching stops there.
    void readFailed();

  private:
    core::Status restartWith(core::Result<std::vector<BrowseRow>> rows, bool fromStart);
    // After a restart at a position: with no rows there, the end of the range is shown instead;
    // otherwise rows before the position are fetched so it is not at the top edge. Returns the
    // row to make current, -1 for an empty range.
    core::Result<int> settleAfterRestart();

    std::shared_ptr<BrowseSource> source_;
    std::vector<BrowseColumnInfo> columns_;
    std::deque<BrowseRow> rows_;
    int order_ = 0;
    std::size_t page_ = 100;
    bool atStart_ = true;
    bool atEnd_ = true;
    std::optional<core::Error> lastError_;
};

} // namespace hk::ui
