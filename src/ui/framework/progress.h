#pragma once
// The progress window of long procedures: one line of text, a progress bar and a cancel button.
// The procedure asks cancelled() between steps; pressing the button or closing the window only
// raises the flag, so the procedure stops at a consistent point of its own choosing.

#include <QDialog>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace hk::ui {

class ProgressWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    // percent < 0 shows a busy bar.
    void setStep(const QString& text, int percent);
    bool cancelRequested() const { return cancelRequested_; }
    // Called once when the user asks to stop.
    void onCancel(std::function<void()> f) { onCancel_ = std::move(f); }

    QLabel* textLabel() const { return text_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

  private:
    void requestCancel();

    QLabel* text_;
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelRequested_ = false;
    std::function<void()> onCancel_;
};

} // namespace hk::ui
