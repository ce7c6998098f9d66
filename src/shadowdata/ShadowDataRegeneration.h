#pragma once
// The "Regenerate shadow data" command: asks for the period, starts the
// regeneration in the database without waiting for it, and follows it in the
// progress window. The caller refreshes its profile list afterwards.

#include "db/AsyncExecutor.h"

#include <QString>
#include <functional>

class TFormProgresser;
class TFormRGSDialog;

namespace app {
class AppContext;
}

namespace shadowdata {
struct RegenerationPeriod;
}

class ShadowDataRegeneration {
public:
    static constexpr int kTextCaption = 64;        // numbered texts of the profile file
    static constexpr int kTextRegenerate = 550;    // period text
    static constexpr int kTextForPeriod = 551;     // period text
    static constexpr int kTextNoDataLimits = 552;  // whole period without raw data
    static constexpr int kTextWholePeriod = 553;   // period text

    ShadowDataRegeneration(app::AppContext& context, TFormRGSDialog& periodDialog,
                           TFormProgresser& progresser);
    ShadowDataRegeneration(const ShadowDataRegeneration&) = delete;
    ShadowDataRegeneration& operator=(const ShadowDataRegeneration&) = delete;

    // Runs the command for one profile. `refreshProfiles` reloads the main
    // window's profile data once a direct regeneration has finished. Returns
    // true when the regeneration was started as a job or finished, false when
    // the user cancelled or it failed (the failure has been shown).
    bool Run(int profileId, const QString& title, std::function<void()> refreshProfiles);

    // The statement of the last start, as sent (empty before the first).
    const QString& lastStatement() const { return lastStatement_; }
    // The executor running the start statement.
    const db::AsyncExecutor& statement() const { return statement_; }

private:
    bool startStatement(int profileId, const shadowdata::RegenerationPeriod& period);
    // Until the statement has ended (or the wait for it has given up).
    void waitForStatement();
    void showError(const QString& text);

    app::AppContext& context_;
    TFormRGSDialog& periodDialog_;
    TFormProgresser& progresser_;
    db::AsyncExecutor statement_;
    QString lastStatement_;
};
