#include "profiles/ApplicationWindows.h"

#include "app/ActivityMonitor.h"
#include "app/AppContext.h"
#include "app/TFormSessionLocked.h"
#include "app/TFormStatus.h"
#include "app/TFormXML.h"
#include "app/TOrinADOProgressDialog.h"
#include "profiles/TFormRemovePromt.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TFormUtil.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "shadowdata/TFormRegenerateShadowData.h"

ApplicationWindows::ApplicationWindows(app::AppContext& context_) : context(context_) {
    mainWindow = std::make_unique<TFormSQLProfileAdministrator>(context);
    QWidget* const parent = mainWindow.get();
    util = std::make_unique<TFormUtil>(context, parent);
    removePrompt = std::make_unique<TFormRemovePromt>(context, parent);
    progresser = std::make_unique<TFormProgresser>(context, parent);
    regenerateShadowData = std::make_unique<TFormRegenerateShadowData>(context, parent);
    rgsDialog = std::make_unique<TFormRGSDialog>(context, parent);
    closingWindow = std::make_unique<TFormXML>(context, parent);
    status = std::make_unique<TFormStatus>(context, parent);
    progressDialog = std::make_unique<TOrinADOProgressDialog>(context, parent);
    sessionLocked = std::make_unique<TFormSessionLocked>(context, parent);

    context.windows().util = util.get();
    context.windows().status = status.get();
    context.windows().progress = progressDialog.get();
    if (auto* monitor = context.windows().activity) monitor->setSessionLockedWindow(sessionLocked.get());
    MainWindowDialogs dialogs;
    dialogs.removePrompt = removePrompt.get();
    dialogs.regenerationPeriod = rgsDialog.get();
    dialogs.progresser = progresser.get();
    dialogs.closingWindow = closingWindow.get();
    dialogs.sessionLocked = sessionLocked.get();
    mainWindow->setDialogs(dialogs);
}

ApplicationWindows::~ApplicationWindows() {
    // The dialogs are children of the main window: release them before it.
    auto* monitor = context.windows().activity;
    if (monitor) monitor->setSessionLockedWindow(nullptr);
    context.windows().util = nullptr;
    context.windows().status = nullptr;
    context.windows().progress = nullptr;
    sessionLocked.reset();
    progressDialog.reset();
    status.reset();
    closingWindow.reset();
    rgsDialog.reset();
    regenerateShadowData.reset();
    progresser.reset();
    removePrompt.reset();
    util.reset();
    mainWindow.reset();
}
