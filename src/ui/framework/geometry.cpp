#include "ui/framework/geometry.h"

#include <QCloseEvent>
#include <QEvent>
#include <QObject>

#include <charconv>

namespace hk::ui {
namespace {

bool readInt(const SettingsAccess& s, const std::string& section, const char* key, int& out) {
    if (!s.read) return false;
    const std::string v = s.read(section, key);
    if (v.empty()) return false;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), out);
    return ec == std::errc() && p == v.data() + v.size();
}

class GeometryWatcher : public QObject {
  public:
    GeometryWatcher(QWidget* w, SettingsAccess s, std::string procedure)
        : QObject(w), settings_(std::move(s)), procedure_(std::move(procedure)) {
        w->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::Close)
            saveWindowGeometry(static_cast<QWidget*>(watched), settings_, procedure_);
        return false;
    }

  private:
    SettingsAccess settings_;
    std::string procedure_;
};

} // namespace

bool restoreWindowGeometry(QWidget* w, const SettingsAccess& settings, const std::string& procedure) {
    int x = 0, y = 0, width = 0, height = 0;
    if (!readInt(settings, procedure, "XPos", x) || !readInt(settings, procedure, "YPos", y) ||
        !readInt(settings, procedure, "Width", width) ||
        !readInt(settings, procedure, "Height", height))
        return false;
    if (width <= 0 || height <= 0) return false;
    w->setGeometry(x, y, width, height);
    int maximized = 0;
    if (readInt(settings, procedure, "Maximized", maximized) && maximized == 1)
        w->setWindowState(w->windowState() | Qt::WindowMaximized);
    return true;
}

void saveWindowGeometry(const QWidget* w, const SettingsAccess& settings, const std::string& procedure) {
    if (!settings.write) return;
    const bool maximized = w->isMaximized();
    const QRect r = maximized ? w->normalGeometry() : w->geometry();
    settings.write(procedure, "XPos", std::to_string(r.x()));
    settings.write(procedure, "YPos", std::to_string(r.y()));
    settings.write(procedure, "Width", std::to_string(r.width()));
    settings.write(procedure, "Height", std::to_string(r.height()));
    settings.write(procedure, "Maximized", maximized ? "1" : "0");
}

void rememberGeometry(QWidget* w, SettingsAccess settings, const std::string& procedure) {
    restoreWindowGeometry(w, settings, procedure);
    new GeometryWatcher(w, std::move(settings), procedure); // owned by w (Qt parent)
}

} // namespace hk::ui
