#pragma once
// The desktop implementation of the Ui port: every modal box, progress window, file dialog and
// pick list a procedure asks for. Safe to call from a procedure's worker thread: the call is
// carried over to the GUI thread and the worker waits for the answer.

#include "app/ui.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

class QWidget;
class QMessageBox;

namespace hk::ui {

class ProgressWindow;

// Splits "&Evet|&Hayır" into its captions; an empty text gives the single "&Tamam".
QStringList splitButtons(const std::string& buttons);

class QtUi final : public app::Ui {
  public:
    explicit QtUi(QWidget* parent = nullptr);
    ~QtUi() override;
    QtUi(const QtUi&) = delete;
    QtUi& operator=(const QtUi&) = delete;

    int message(const std::string& text, const std::string& caption, app::Icon icon,
                const std::string& buttons, int defaultButton) override;
    void progress(const std::string& text, int percent) override;
    void progressDone() override;
    bool cancelled() override;
    std::string chooseFile(const std::string& caption, const std::string& filter,
                           bool forSaving) override;
    int pick(const std::string& caption, const std::vector<std::string>& items) override;

    // Asks the running procedure to stop, as the progress window's button does.
    void cancel() { cancelled_ = true; }

    // The box being shown, for tests that answer it; null when none is open.
    QMessageBox* currentBox() const;

  private:
    int messageOnGui(const QString& text, const QString& caption, app::Icon icon,
                     const QStringList& buttons, int defaultButton);
    void progressOnGui(const QString& text, int percent);
    void progressDoneOnGui();

    QPointer<QWidget> parent_;
    QPointer<QMessageBox> box_;
    std::unique_ptr<ProgressWindow> progress_;
    std::atomic<bool> cancelled_{false};
};

} // namespace hk::ui
