#pragma once
// A modal choice from a short list of texts: the pick list behind Ui::pick. Lists over data
// files (groups, menu numbers) are browse windows opened in selection mode instead.

#include <QDialog>

class QListWidget;

namespace hk::ui {

class PickDialog : public QDialog {
    Q_OBJECT
  public:
    PickDialog(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    // 0-based index of the chosen line; -1 when nothing was chosen.
    int chosen() const;
    QListWidget* list() const { return list_; }

  private:
    QListWidget* list_;
};

// Runs the dialog; -1 when cancelled.
int pickFrom(const QString& caption, const QStringList& items, QWidget* parent = nullptr);

} // namespace hk::ui
