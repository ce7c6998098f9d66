#include "Shots.h"

#include "app/AppContext.h"
#include "profiles/ApplicationWindows.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "ui/Waiting.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

namespace screenshots {

namespace {
constexpr int kStartTimeoutMs = 30000;
}  // namespace

bool startMainWindow(Stage& stage) {
    TFormSQLProfileAdministrator& window = *stage.windows.mainWindow;
    window.resize(1000, 640);
    window.show();
    return ui::waitUntil([&window] { return window.isStarted(); }, 20, kStartTimeoutMs);
}

bool selectProfile(Stage& stage, const QString& title) {
    TFormSQLProfileAdministrator& window = *stage.windows.mainWindow;
    if (!window.profileList().locate(QStringLiteral("ReportProfileTitle"), title)) return false;
    ui::pause(50);
    return window.currentProfile().Title == title;
}

std::vector<Shot> allShots() {
    std::vector<Shot> shots;
    shots.push_back({"main-window",
                     [](Stage& stage) -> QWidget* {
                         if (!selectProfile(stage, QStringLiteral("Phase 2 - WT 3000"))) return nullptr;
                         return stage.windows.mainWindow.get();
                     },
                     {}});
    return shots;
}

bool render(Stage& stage, const Shot& shot, const QString& file) {
    QWidget* window = shot.open(stage);
    bool saved = false;
    if (window) {
        ui::pause(100);  // let pending layouts and paints run
        saved = window->grab().save(file, "PNG");
    }
    if (shot.close) shot.close(stage);
    return saved;
}

}  // namespace screenshots
