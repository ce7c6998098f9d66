#include "profiles/ProfileRemoval.h"

#include "app/AppContext.h"
#include "app/TFormStatus.h"
#include "db/Parameters.h"
#include "profiles/TFormRemovePromt.h"

namespace profiles {

namespace {
constexpr int kTextErrorCaption = 64;
constexpr int kTextNotRemoved = 10;
constexpr int kTextRefused = 11;
constexpr int kTextErrorCode = 12;
constexpr int kTextContactAdministrator = 13;
constexpr int kTextUsedByExportJob = 14;
constexpr int kTextRemoveFromJob = 15;
constexpr int kTextFailed = 16;
constexpr int kTextRemoveProfile = 540;
constexpr int kTextReallyRemove = 541;
// Procedures return this when an export job uses the profile.
constexpr int kReturnUsedByExportJob = 1001;
}  // namespace

QString ProfileRemoval::exportJobMessage(app::AppContext& context, const QString& jobTitle) {
    auto& t = context.texts();
    return t.profile(kTextNotRemoved) + QLatin1Char('\n') + t.profile(kTextRefused) + QLatin1Char(' ') +
           t.profile(kTextUsedByExportJob) + QStringLiteral(" '") + jobTitle + QStringLiteral("'.\n") +
           t.profile(kTextRemoveFromJob);
}

QString ProfileRemoval::refusalMessage(app::AppContext& context, int returnValue) {
    auto& t = context.texts();
    return t.profile(kTextNotRemoved) + QLatin1Char('\n') + t.profile(kTextRefused) + QLatin1Char(' ') +
           t.profile(kTextErrorCode) + QLatin1Char(' ') + QString::number(returnValue) +
           QStringLiteral(".\n") + t.profile(kTextContactAdministrator);
}

QString ProfileRemoval::failureMessage(app::AppContext& context, const QString& errorText) {
    auto& t = context.texts();
    QString message = t.profile(kTextNotRemoved) + QLatin1Char('\n') + t.profile(kTextRefused) +
                      QLatin1Char(' ') + t.profile(kTextFailed);
    if (!errorText.isEmpty()) message += QStringLiteral("\n\n") + errorText;
    return message;
}

bool ProfileRemoval::Run(int profileId, const QString& title) {
    auto& texts = context_.texts();
    auto& prompts = context_.prompts();

    // 1. Yes or no.
    const auto answer = prompts.question(
        ui::Icon::Information, texts.profile(kTextReallyRemove) + QStringLiteral("\n\n") + title,
        texts.profile(kTextRemoveProfile), ui::Button::Yes | ui::Button::No, ui::Button::No);
    if (answer != ui::Button::Yes) return false;

    // 2.-3. The typed confirmation word.
    if (!prompt_) return false;
    const auto word = prompt_->ask();
    if (!word || *word != QLatin1String("YES")) return false;

    // 4. The procedure and its parameters by database version.
    db::Command command;
    command.type = db::CommandType::StoredProcedure;
    command.text = QStringLiteral("DCE_SP_DeleteReportProfile");
    using db::FieldType;
    using db::ParameterDirection;
    db::AddParameter(command.parameters, {QStringLiteral("@ReturnValue"), FieldType::Integer, 0,
                                          ParameterDirection::ReturnValue, QString()});
    db::AddParameter(command.parameters, {QStringLiteral("@ProfileId"), FieldType::Integer, 0,
                                          ParameterDirection::Input, QString::number(profileId)});
    db::AddParameter(command.parameters, {QStringLiteral("@ExportjobTitle"), FieldType::String, 128,
                                          ParameterDirection::Output, QStringLiteral("NULL")});
    if (context_.IsDatabaseVersionAtLeast(QStringLiteral("3.6.1.2")))
        db::AddParameter(command.parameters, {QStringLiteral("@DeleteGranted"), FieldType::Integer, 0,
                                              ParameterDirection::Input, QStringLiteral("1")});

    // 5. Under the status window.
    QString errorText;
    const bool ok =
        app::runUnderStatus(context_, texts.profile(kTextRemoveProfile) + QStringLiteral(": ") + title,
                            context_.Database2(), command, false, &errorText);
    if (ok) return true;

    // 6. Why not.
    const auto* returnValue = command.returnValueParameter();
    const int code = returnValue && !returnValue->isNull() ? returnValue->value.toInt() : 0;
    QString message;
    if (code == kReturnUsedByExportJob) {
        const auto* job = command.parameter(QStringLiteral("@ExportjobTitle"));
        // Without a job title the general refusal is shown rather than nothing.
        message = job && !job->isNull() ? exportJobMessage(context_, job->value.toString())
                                        : refusalMessage(context_, code);
    } else if (code != 0) {
        message = refusalMessage(context_, code);
    } else {
        message = failureMessage(context_, errorText);
    }
    context_.trace().Trace(app::TraceLevel::Error, QStringLiteral("Caught Exception: ") + message);
    prompts.message(ui::Icon::Error, message, texts.profile(kTextErrorCaption));
    return false;
}

}  // namespace profiles
