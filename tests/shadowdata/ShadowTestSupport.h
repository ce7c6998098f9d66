#pragma once
// What the shadow data window tests share: an application context on a
// temporary database of a chosen version with the UK texts, profile rows, a
// controllable stand-in for the raw data limits, a start statement that runs
// until the test releases it, and a way to answer modal windows.

#include "app/AppContext.h"
#include "reportdb/ProcedureRegistry.h"
#include "shadowdata/RegenerationPeriod.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"

#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace shadow_test {

// Shared with the stand-in procedures, which run on worker threads.
struct Controls {
    std::optional<shadowdata::DataLimits> limits;  // read by the limits stand-in (not while it runs)
    bool limitsFail = false;
    std::atomic<bool> release{false};  // ends TEST_SP_Hold
};

// The standard procedures, plus:
//   DCE_SP_GetPcTimeStampLimits (when `fakeLimits`): the row of controls->limits, or none;
//   TEST_SP_Hold: runs (interruptible) until controls->release is set.
std::shared_ptr<reportdb::ProcedureRegistry> testRegistry(const std::shared_ptr<Controls>& controls,
                                                          bool fakeLimits);

class Environment {
public:
    explicit Environment(const QString& version, bool fakeLimits = true);

    int addProfile(const QString& title, int status = 0, int pendingFlag = 0);
    void setStatus(int profileId, int status);
    // ReportProfileStatus and ReportProfileRegeneratePendingFlag as another connection sees them.
    int status(int profileId);
    int pendingFlag(int profileId);
    // The first column of the first row (null when there is none).
    QVariant scalar(const QString& sql);

    std::shared_ptr<Controls> controls = std::make_shared<Controls>();
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
};

using testing_support::WhenShown;

}  // namespace shadow_test
