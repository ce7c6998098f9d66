#include "shadowdata/ShadowDataRegeneration.h"

#include "app/AppContext.h"
#include "db/Connection.h"
#include "shadowdata/RegenerationPeriod.h"
#include "shadowdata/TFormProgresser.h"
#include "shadowdata/TFormRGSDialog.h"
#include "ui/Waiting.h"

namespace {
// How long a cancelled statement may take to notice its interrupt.
constexpr int kPreviousStatementWaitMs = 10000;
}  // namespace

ShadowDataRegeneration::ShadowDataRegeneration(app::AppContext& context, TFormRGSDialog& periodDialog,
                                               TFormProgresser& progresser)
    : context_(context), periodDialog_(periodDialog), progresser_(progresser) {}

bool ShadowDataRegeneration::Run(int profileId, const QString& title, std::function<void()> refreshProfiles) {
    context_.trace().Trace(app::TraceLevel::Trace,
                           QStringLiteral("Enter Function: ShadowDataRegeneration::Run"));
    if (periodDialog_.Execute(title) != QDialog::Accepted) return false;

    const std::optional<shadowdata::RegenerationPeriod> period =
        shadowdata::periodFromChoice(periodDialog_.choice());
    if (!period) {
        context_.prompts().message(ui::Icon::Warning, context_.texts().profile(kTextNoDataLimits),
                                   context_.texts().profile(kTextCaption));
        return false;
    }
    if (!startStatement(profileId, *period)) return false;

    text::TextTables& texts = context_.texts();
    const QString periodText = shadowdata::periodText(
        *period,
        {texts.profile(kTextRegenerate), texts.profile(kTextForPeriod), texts.profile(kTextWholePeriod)});
    const bool ok = progresser_.Execute(profileId, periodText, &statement_, std::move(refreshProfiles));
    // A cancelled statement ends once the database notices the interrupt;
    // waiting here keeps the interrupts going, so the executor is free (and
    // can be destroyed without blocking) when the command returns.
    waitForStatement();
    if (!ok && (statement_.outcome() == db::AsyncExecutor::Outcome::Failed ||
                statement_.outcome() == db::AsyncExecutor::Outcome::TimedOut))
        showError(statement_.errorText());
    return ok;
}

bool ShadowDataRegeneration::startStatement(int profileId, const shadowdata::RegenerationPeriod& period) {
    // A statement cancelled by the previous run may still be ending.
    waitForStatement();

    const app::SessionData& session = context_.session();
    const bool asJob =
        context_.IsDatabaseVersionAtLeast(QString::fromLatin1(shadowdata::kJobDatabaseVersion));
    db::Command command;
    command.text = shadowdata::startStatement(
        asJob, {session.OnlineConnection.Catalog, session.OnlineConnection.UserName}, profileId, period);
    command.timeoutSeconds = shadowdata::kStartTimeoutSeconds;
    lastStatement_ = command.text;
    context_.trace().Trace(app::TraceLevel::Trace, command.text);

    QString error;
    db::SharedConnection& database = context_.Database();
    if (!database.connect(&error)) {
        showError(error);
        return false;
    }
    if (!statement_.execute(*database.get(), command)) {
        showError(statement_.errorText());
        return false;
    }
    return true;
}

void ShadowDataRegeneration::waitForStatement() {
    ui::waitForSignal(&statement_, &db::AsyncExecutor::finished, [this] { return !statement_.isRunning(); },
                      {kPreviousStatementWaitMs, {}, 0});
}

void ShadowDataRegeneration::showError(const QString& text) {
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + text);
    context_.prompts().message(ui::Icon::Error, text, context_.texts().profile(kTextCaption));
}
