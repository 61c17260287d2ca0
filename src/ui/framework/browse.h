#pragma once
// Browse panel: one list over a key range of a data file, the building block of every list
// window. It shows a tab per key order, a locator that repositions the list as the user types,
// the columns of its source, and the YeniGir / Değiştir (or "Izle") / Sil buttons governed by
// the list rights of a menu number. What the buttons do is given by the window that owns the
// panel; the panel asks the standard delete confirmation and reports failures through the Ui
// port.

#include "app/rights.h"
#include "app/ui.h"
#include "ui/framework/browse_model.h"
#include "ui/framework/form.h"

#include <QWidget>
#include <functional>
#include <memory>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTableView;

namespace hk::ui {

class BrowsePanel : public QWidget {
    Q_OBJECT
  public:
    // orders: tab captions, one per key order the source can read (one order shows no tabs).
    BrowsePanel(std::shared_ptr<BrowseSource> source, QStringList orders, app::Ui& ui,
                QWidget* parent = nullptr);

    // Hooks of the owning window. insert/change return true when data changed (the list is then
    // re-read); remove deletes the record of the row and reports its own failure as an Error.
    std::function<bool()> onInsert;
    std::function<bool(const BrowseRow&)> onChange;
    std::function<core::Status(const BrowseRow&)> onRemove;
    // Called when the selected row changes (dependent lists follow their parent with it).
    std::function<void(const BrowseRow*)> onSelect;

    // Shows or hides the three actions; see app::RightsService::list.
    void applyRights(const app::ListRights& rights);
    // The same for the list governed by a menu number (master users get everything).
    void applyRights(const app::RightsService& rights, int menuNo, bool viewCaption = true) {
        applyRights(rights.list(menuNo, viewCaption));
    }
    // The mode the change action opens its form in: only for looking under the "Izle" caption.
    FormMode changeMode() const { return rights_.changeIsView ? FormMode::View : FormMode::Change; }
    // The list allows everything (master users, lists not governed by a menu number).
    void allowAll() { applyRights({true, true, true, false}); }
    // Lists without an action at all (for instance "Gruba Bağlı Kullanıcılar").
    void readOnly() { applyRights({false, false, false, false}); }

    // Re-reads the list from its start, or around the selected row.
    void reload();
    void refreshKeepingSelection();
    // Selects the key order (tab) and restarts the list.
    void setOrder(int order);

    const BrowseRow* selected() const;
    int selectedIndex() const;
    void selectRow(int r);

    // Lists whose key takes no typed value hide the locator.
    void setLocatorVisible(bool visible);
    const app::ListRights& rights() const { return rights_; }

    // A button of the window's own beside the standard ones.
    QPushButton* addButton(const QString& caption);

    // Runs the actions as the buttons do (for keyboard shortcuts and tests).
    void insert();
    void change();
    void remove();

    BrowseModel* model() const { return model_.get(); }
    QTableView* view() const { return view_; }
    QLineEdit* locator() const { return locator_; }
    QTabBar* tabs() const { return tabs_; }
    QPushButton* insertButton() const { return insert_; }
    QPushButton* changeButton() const { return change_; }
    QPushButton* removeButton() const { return remove_; }

  private:
    void locate(const QString& text);
    void afterRestart(int row);
    void topReached(int value);
    void selectionMoved();
    void reportReadError();

    app::Ui& ui_;
    std::unique_ptr<BrowseModel> model_;
    QTabBar* tabs_;
    QLineEdit* locator_;
    QWidget* locatorRow_;
    QTableView* view_;
    QHBoxLayout* buttons_;
    QPushButton* insert_;
    QPushButton* change_;
    QPushButton* remove_;
    app::ListRights rights_;
    bool reportedError_ = false;
};

// "Çıkış" of a list: closes the list's own window, its MDI child frame when it has one (window()
// would be the main frame there), else the top-level window holding it.
void closeOwnWindow(QWidget* w);

} // namespace hk::ui
