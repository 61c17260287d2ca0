#pragma once
// Window geometry memory. Every window keeps its last position and size in the settings file,
// in a section named after its procedure ([KulGrupList], [FisListesi], ...); a window that finds
// its section opens where it was closed.
//
// Layout of a section (keys chosen here, values in pixels, whole numbers):
//   XPos, YPos   top-left corner, relative to the MDI area for child windows
//   Width, Height
//   Maximized    1 when the window was closed maximised (then the four values are the normal
//                geometry it returns to)

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

namespace hk::ui {

// Reading and writing one settings key. Kept as two functions so the helper works with the
// program's settings object and with a plain map in tests.
struct SettingsAccess {
    std::function<std::string(const std::string& section, const std::string& key)> read;
    std::function<void(const std::string& section, const std::string& key,
                       const std::string& value)>
        write;
};

// Applies the stored geometry of procedure to w; false when the section holds none (or a
// nonsensical one: zero or negative size), in which case w keeps its own.
bool restoreWindowGeometry(QWidget* w, const SettingsAccess& settings, const std::string& procedure);
// Stores w's geometry under procedure.
void saveWindowGeometry(const QWidget* w, const SettingsAccess& settings, const std::string& procedure);

// Restores w now and stores its geometry whenever it closes. The watcher is a child of w, so it
// goes with the window.
void rememberGeometry(QWidget* w, SettingsAccess settings, const std::string& procedure);

} // namespace hk::ui
