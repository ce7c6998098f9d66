#pragma once
// The windows the screenshot tool renders. Each shot brings its window up,
// filled and loaded, and puts it away again after the picture; new windows
// add a shot to allShots().

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

class QWidget;
struct ApplicationWindows;

namespace app {
class AppContext;
}

namespace screenshots {

struct Stage {
    app::AppContext& context;
    ApplicationWindows& windows;
};

struct Shot {
    const char* name;  // the file name without ".png"
    // Shows the window loaded and returns it; null when it could not.
    std::function<QWidget*(Stage&)> open;
    // Puts the window away after the picture (may be empty).
    std::function<void(Stage&)> close;
    // For a picture that is no window (a printed page): made directly; `open`
    // is not used then.
    std::function<QImage(Stage&)> picture = {};
};

// Starts the main window on the demo database and waits for its list.
bool startMainWindow(Stage& stage);
// Selects the profile with this title in the main window's list.
bool selectProfile(Stage& stage, const QString& title);

std::vector<Shot> allShots();

// Opens the shot's window, lets it paint, saves the picture, closes it.
bool render(Stage& stage, const Shot& shot, const QString& file);

}  // namespace screenshots
