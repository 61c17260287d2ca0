#include "ui/framework/qtui.h"

#include "ui/framework/pick.h"
#include "ui/framework/progress.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QThread>

namespace hk::ui {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QMessageBox::Icon toQt(app::Icon icon) {
    switch (icon) {
    case app::Icon::Information:
        return QMessageBox::Information;
    case app::Icon::Warning:
        return QMessageBox::Warning;
    case app::Icon::Critical:
        return QMessageBox::Critical;
    case app::Icon::Question:
        return QMessageBox::Question;
    case app::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// Runs f on the GUI thread and waits for it when called from a procedure's worker thread.
template <typename F> void onGui(QObject* context, F&& f) {
    if (!qApp || QThread::currentThread() == qApp->thread()) {
        f();
        return;
    }
    QMetaObject::invokeMethod(context ? context : qApp, std::forward<F>(f),
                              Qt::BlockingQueuedConnection);
}

} // namespace

QStringList splitButtons(const std::string& buttons) {
    QStringList out = q(buttons).split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (out.isEmpty()) out << QStringLiteral("&Tamam");
    return out;
}

QtUi::QtUi(QWidget* parent) : parent_(parent) {}
QtUi::~QtUi() = default;

int QtUi::message(const std::string& text, const std::string& caption, app::Icon icon,
                  const std::string& buttons, int defaultButton) {
    int answer = 0;
    const QStringList captions = splitButtons(buttons);
    onGui(parent_.data(),
          [&] { answer = messageOnGui(q(text), q(caption), icon, captions, defaultButton); });
    return answer;
}

int QtUi::messageOnGui(const QString& text, const QString& caption, app::Icon icon,
                       const QStringList& captions, int defaultButton) {
    QMessageBox box(toQt(icon), caption, text, QMessageBox::NoButton, parent_.data());
    std::vector<QPushButton*> pushed;
    for (const QString& c : captions)
        pushed.push_back(box.addButton(c, QMessageBox::ActionRole));
    if (defaultButton >= 1 && defaultButton <= static_cast<int>(pushed.size()))
        box.setDefaultButton(pushed[static_cast<std::size_t>(defaultButton - 1)]);
    // Escape answers with the last button: in every button set of the program that is the
    // refusing one ("&Hayır", "&Vazgeç", "&İptal") or the only one ("&Tamam").
    box.setEscapeButton(pushed.back());
    box_ = &box;
    box.exec();
    box_ = nullptr;
    for (std::size_t i = 0; i < pushed.size(); ++i)
        if (box.clickedButton() == pushed[i]) return static_cast<int>(i) + 1;
    return static_cast<int>(pushed.size());
}

QMessageBox* QtUi::currentBox() const {
    return box_.data();
}

void QtUi::progress(const std::string& text, int percent) {
    const QString t = q(text);
    onGui(parent_.data(), [&] { progressOnGui(t, percent); });
}

void QtUi::progressOnGui(const QString& text, int percent) {
    if (!progress_) {
        progress_ = std::make_unique<ProgressWindow>(parent_.data());
        progress_->onCancel([this] { cancelled_ = true; });
        progress_->show();
    }
    progress_->setStep(text, percent);
    // A procedure on the GUI thread gives the window a chance to paint and see the button.
    if (QThread::currentThread() == qApp->thread()) QApplication::processEvents();
}

void QtUi::progressDone() {
    onGui(parent_.data(), [&] { progressDoneOnGui(); });
}

void QtUi::progressDoneOnGui() {
    progress_.reset();
    // The next procedure on this Ui starts without the last one's stop request.
    cancelled_ = false;
}

bool QtUi::cancelled() {
    if (qApp && QThread::currentThread() == qApp->thread() && progress_)
        QApplication::processEvents();
    return cancelled_;
}

std::string QtUi::chooseFile(const std::string& caption, const std::string& filter,
                             bool forSaving) {
    QString chosen;
    onGui(parent_.data(), [&] {
        chosen = forSaving
                     ? QFileDialog::getSaveFileName(parent_.data(), q(caption), {}, q(filter))
                     : QFileDialog::getOpenFileName(parent_.data(), q(caption), {}, q(filter));
    });
    return chosen.toStdString();
}

int QtUi::pick(const std::string& caption, const std::vector<std::string>& items) {
    QStringList list;
    for (const auto& s : items)
        list << q(s);
    int answer = -1;
    onGui(parent_.data(), [&] { answer = pickFrom(q(caption), list, parent_.data()); });
    return answer;
}

} // namespace hk::ui
