#pragma once
// What the shadow data window tests share: an application context with the
// UK texts on a temporary database of a chosen version, profile rows, raw
// data limits, and a statement that runs until the test releases it.

#include "app/AppContext.h"
#include "shadowdata/RegenerationPeriod.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"

#include <atomic>
#include <memory>
#include <optional>

namespace shadow_test {

class Environment {
public:
    explicit Environment(const QString& version);

    int addProfile(const QString& title, int status = 0, int pendingFlag = 0);
    void setStatus(int profileId, int status);
    // ReportProfileStatus as another connection sees it.
    int status(int profileId);
    // The raw data limits the database reports (none: no raw data).
    void setLimits(const std::optional<shadowdata::DataLimits>& limits);
    QVariant scalar(const QString& sql) { return database.scalar(sql); }

    // TEST_SP_Hold runs (interruptible) until this is set.
    std::shared_ptr<std::atomic<bool>> release = std::make_shared<std::atomic<bool>>(false);
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
};

using testing_support::WhenShown;

}  // namespace shadow_test
