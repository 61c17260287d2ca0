#include "ui/framework/browse.h"

#include "ui/framework/form_messages.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace hk::ui {

BrowsePanel::BrowsePanel(std::shared_ptr<BrowseSource> source, QStringList orders, app::Ui& ui,
                         QWidget* parent)
    : QWidget(parent), ui_(ui), model_(std::make_unique<BrowseModel>(source)),
      tabs_(new QTabBar(this)), locator_(new QLineEdit(this)), locatorRow_(new QWidget(this)),
      view_(new QTableView(this)), buttons_(new QHBoxLayout),
      insert_(new QPushButton(QStringLiteral("&YeniGir"), this)),
      change_(new QPushButton(QStringLiteral("&Değiştir"), this)),
      remove_(new QPushButton(QStringLiteral("&Sil"), this)) {
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(2, 2, 2, 2);
    for (const QString& o : orders)
        tabs_->addTab(o);
    tabs_->setVisible(orders.size() > 1);
    lay->addWidget(tabs_);

    auto* loc = new QHBoxLayout(locatorRow_);
    loc->setContentsMargins(0, 0, 0, 0);
    auto* locLabel = new QLabel(QStringLiteral("&Ara:"), locatorRow_);
    locLabel->setBuddy(locator_);
    locator_->setParent(locatorRow_);
    loc->addWidget(locLabel);
    loc->addWidget(locator_, 1);
    lay->addWidget(locatorRow_);

    view_->setModel(model_.get());
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setDefaultSectionSize(QFontMetrics(font()).height() + 4);
    const QFontMetrics fm(font());
    const auto cols = source->columns();
    for (std::size_t c = 0; c < cols.size(); ++c) {
        const int i = static_cast<int>(c);
        if (cols[c].width <= 0)
            view_->setColumnHidden(i, true);
        else
            view_->setColumnWidth(
                i, std::max(fm.horizontalAdvance(QString(cols[c].width, QLatin1Char('W'))) * 2 / 3,
                            fm.horizontalAdvance(cols[c].heading) + 12));
    }
    view_->horizontalHeader()->setStretchLastSection(true);
    lay->addWidget(view_, 1);

    buttons_->addWidget(insert_);
    buttons_->addWidget(change_);
    buttons_->addWidget(remove_);
    buttons_->addStretch(1);
    lay->addLayout(buttons_);

    // A failed page read happens inside the view's scrolling: report it once the view is done.
    connect(model_.get(), &BrowseModel::readFailed, this, &BrowsePanel::reportReadError,
            Qt::QueuedConnection);
    connect(tabs_, &QTabBar::currentChanged, this, [this](int i) { setOrder(i); });
    connect(locator_, &QLineEdit::textEdited, this, &BrowsePanel::locate);
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, &BrowsePanel::topReached);
    connect(view_, &QTableView::doubleClicked, this, [this] {
        if (change_->isEnabled()) change();
    });
    connect(insert_, &QPushButton::clicked, this, &BrowsePanel::insert);
    connect(change_, &QPushButton::clicked, this, &BrowsePanel::change);
    connect(remove_, &QPushButton::clicked, this, &BrowsePanel::remove);
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &BrowsePanel::selectionMoved);

    readOnly(); // nothing is allowed until the owner applies its rights
    reload();
}

void BrowsePanel::applyRights(const app::ListRights& rights) {
    rights_ = rights;
    insert_->setVisible(rights.insert);
    insert_->setEnabled(rights.insert);
    change_->setVisible(rights.change);
    change_->setEnabled(rights.change);
    change_->setText(rights.changeIsView ? QStringLiteral("&Izle") : QStringLiteral("&Değiştir"));
    remove_->setVisible(rights.remove);
    remove_->setEnabled(rights.remove);
}

void BrowsePanel::setLocatorVisible(bool visible) {
    locatorRow_->setVisible(visible);
}

void BrowsePanel::reload() {
    reportedError_ = false;
    auto st = model_->reset(model_->order());
    afterRestart(st ? 0 : -1);
}

void BrowsePanel::setOrder(int order) {
    if (tabs_->currentIndex() != order) {
        tabs_->setCurrentIndex(order); // re-enters through currentChanged
        return;
    }
    locator_->clear();
    reportedError_ = false;
    auto st = model_->reset(order);
    afterRestart(st ? 0 : -1);
}

void BrowsePanel::refreshKeepingSelection() {
    reportedError_ = false;
    auto r = model_->refreshAt(selected());
    afterRestart(r ? r.value() : -1);
}

void BrowsePanel::locate(const QString& text) {
    auto r = model_->locate(text.toStdString());
    afterRestart(r ? r.value() : -1);
}

void BrowsePanel::afterRestart(int row) {
    reportReadError();
    if (row >= 0 && row < model_->rowCount()) {
        selectRow(row);
    } else if (model_->rowCount() > 0) {
        selectRow(0);
    } else if (onSelect) {
        onSelect(nullptr);
    }
}

void BrowsePanel::selectRow(int r) {
    const QModelIndex idx = model_->index(r, 0);
    if (!idx.isValid()) return;
    view_->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect |
                                                      QItemSelectionModel::Rows);
    view_->scrollTo(idx, QAbstractItemView::PositionAtCenter);
}

void BrowsePanel::topReached(int value) {
    if (value != view_->verticalScrollBar()->minimum() || model_->atStart()) return;
    auto added = model_->fetchEarlier();
    reportReadError();
    if (added && added.value() > 0) {
        // keep the rows the user was looking at in place
        view_->verticalScrollBar()->setValue(added.value());
    }
}

void BrowsePanel::selectionMoved() {
    if (onSelect) onSelect(selected());
}

const BrowseRow* BrowsePanel::selected() const {
    return model_->rowAt(selectedIndex());
}

int BrowsePanel::selectedIndex() const {
    const QModelIndex cur = view_->selectionModel()->currentIndex();
    return cur.isValid() ? cur.row() : -1;
}

QPushButton* BrowsePanel::addButton(const QString& caption) {
    auto* b = new QPushButton(caption, this);
    buttons_->insertWidget(buttons_->count() - 1, b);
    return b;
}

void BrowsePanel::insert() {
    if (!rights_.insert) {
        raiseData(ui_, 20);
        return;
    }
    if (onInsert && onInsert()) refreshKeepingSelection();
}

void BrowsePanel::change() {
    if (!rights_.change) {
        raiseData(ui_, 38);
        return;
    }
    const BrowseRow* row = selected();
    if (!row || !onChange) return;
    if (onChange(*row)) refreshKeepingSelection();
}

void BrowsePanel::remove() {
    if (!rights_.remove || !onRemove) {
        raiseData(ui_, 12);
        return;
    }
    const BrowseRow* row = selected();
    if (!row) return;
    if (!askYes(raiseData(ui_, 9))) return;
    const BrowseRow keep = *row;
    // After the delete the list stays where the line was: on the line that followed it, or on
    // the one before when it was the last.
    const int at = selectedIndex();
    std::optional<BrowseRow> neighbour;
    if (const BrowseRow* next = model_->rowAt(at + 1))
        neighbour = *next;
    else if (const BrowseRow* prev = model_->rowAt(at - 1))
        neighbour = *prev;
    if (auto st = onRemove(keep); !st) {
        reportError(ui_, st.error(), 11);
        return;
    }
    reportedError_ = false;
    auto r = model_->refreshAt(neighbour ? &*neighbour : nullptr);
    afterRestart(r ? r.value() : -1);
}

void BrowsePanel::reportReadError() {
    if (reportedError_ || !model_->lastError()) return;
    reportedError_ = true;
    reportError(ui_, *model_->lastError(), 1);
}

void closeOwnWindow(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(p)) {
            sub->close();
            return;
        }
    w->window()->close();
}

} // namespace hk::ui
