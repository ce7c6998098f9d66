// The main window against a small demo database: start-up, the list, the
// enabling rules reaching the commands (the rules themselves are tested in
// ProfileRulesTest), unlock, removal and the regeneration marker.

#include "MainWindowFixture.h"

#include "app/TFormStatus.h"
#include "categorization/TFormCatagoryAllocation.h"
#include "db/VersionGate.h"
#include "profiles/ProfileRemoval.h"
#include "profiles/TFormRemovePromt.h"
#include "support/WhenShown.h"
#include "ui/CommandLink.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

using namespace testing_support;

namespace {

using Kind = RecordedPrompt::Kind;

// The command buttons of both groups of the window.
QList<QToolButton*> commandButtons(MainWindowFixture& f) {
    QList<QToolButton*> buttons;
    for (auto* group : f.window.findChildren<QGroupBox*>())
        if (group->window() == &f.window) buttons += group->findChildren<QToolButton*>();
    return buttons;
}

// The fields the grid shows, in its order.
QStringList shownFields(MainWindowFixture& f) {
    auto* model = qobject_cast<ui::DataSetModel*>(f.window.grid()->model());
    QStringList fields;
    for (int column = 0; column < model->columnCount(); ++column)
        fields << f.window.profileList().field(model->fieldAt(column)).name;
    return fields;
}

// Nothing can be done before the start-up sequence has run, or after it failed.
void expectFirstState(MainWindowFixture& f) {
    for (auto* button : commandButtons(f)) {
        auto* label = f.window.findChild<ui::ClickableLabel*>(button->objectName() + "Label");
        EXPECT_FALSE(button->isEnabled() || !label || label->isEnabled())
            << button->objectName().toStdString();
    }
    for (auto* action : f.window.actions())
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
}

TEST(MainWindowStartup, FirstStatesThenTheListOrTheFirstFailure) {
    auto withoutSelectProfiles = std::make_shared<reportdb::ProcedureRegistry>();
    const auto standard = reportdb::standardRegistry();
    for (const auto& name : standard->names())
        if (name.compare("DCE_SP_SelectProfiles", Qt::CaseInsensitive) != 0)
            withoutSelectProfiles->add(*standard->find(name));
    const QString noDatabase = "Provider=Embedded;Data Source=/nonexistent/demo.sqlite;Catalog=X";
    const struct {
        const char* name;
        std::function<void(MainWindowSetup&)> setup;
        bool removeSessionFile, started;
        size_t prompts;
        int rows;
    } starts[] = {
        {"demo", [](MainWindowSetup&) {}, false, true, 0, 6},
        // The list falls back to a plain select, without the gated columns.
        {"no profile procedure", [&](MainWindowSetup& s) { s.registry = withoutSelectProfiles; }, false, true,
         0, 6},
        {"a user without profiles", [](MainWindowSetup& s) { s.userId = 9999; }, false, true, 0, 0},
        {"session file gone", [](MainWindowSetup&) {}, true, false, 1, 0},
        {"offline", [](MainWindowSetup& s) { s.online = "NO"; }, false, false, 0, 0},
        {"no database", [&](MainWindowSetup& s) { s.connectionString = noDatabase; }, false, false, 1, 0},
    };
    for (const auto& s : starts) {
        SCOPED_TRACE(s.name);
        MainWindowSetup setup;
        s.setup(setup);
        MainWindowFixture f(setup);
        expectFirstState(f);
        const QStringList fields = shownFields(f);
        if (s.removeSessionFile) QFile::remove(f.sessionFile);
        EXPECT_EQ(f.start(), s.started);
        EXPECT_EQ(f.prompts.take().size(), s.prompts);
        EXPECT_EQ(f.window.profileList().recordCount(), s.rows);
        EXPECT_EQ(shownFields(f), fields);
        if (!s.started) {
            expectFirstState(f);
            continue;
        }
        auto* panel = f.window.findChild<QLabel*>("StatusBar1Panel");
        EXPECT_TRUE(panel->text().contains(" Catalog SkyloomDemo ")) << panel->text().toStdString();
        EXPECT_EQ(f.enabled("RegenerateShadowButton"), s.rows > 0);
    }
}

// The list loads right after the window's first paint, and the windows that
// take long to build are not made before they are used.
TEST(MainWindowStartup, TheListLoadsRightAfterTheFirstPaint) {
    MainWindowFixture f;
    struct PaintCount : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* event) override {
            return paints += event->type() == QEvent::Paint, false;
        }
    } count;
    f.window.installEventFilter(&count);
    int paintsAtStart = -1;
    QObject::connect(&f.window, &TFormSQLProfileAdministrator::startupFinished,
                     [&](bool ok) { paintsAtStart = ok ? count.paints : -2; });
    f.window.show();
    // Only what is pending is handled: the start timer's own interval cannot pass.
    for (int round = 0; round < 20 && paintsAtStart == -1; ++round) QCoreApplication::processEvents();
    EXPECT_GE(paintsAtStart, 1);
    EXPECT_EQ(f.windows.categoryAllocation.ifMade(), nullptr);
    EXPECT_EQ(f.windows.categoryDetails.ifMade(), nullptr);
    f.window.hide();
}

TEST(MainWindowRules, CommandsFollowTheSelectedProfileAndItsUnlock) {
    MainWindowFixture f;
    f.database.exec("UPDATE TReportProfile SET UseEEGReporting = 1 WHERE ReportProfileId = 5");
    ASSERT_TRUE(f.start());
    // The list's calculated texts.
    EXPECT_EQ(f.gridText(1, "LockText"), f.context.texts().profile(292));
    EXPECT_EQ(f.gridText(2, "StatusText"), f.context.texts().profile(295));

    const struct {
        int profile;
        const char* command;
        bool enabled;
    } rows[] = {
        {kWholePark, "RemoveProfileButton", false},  // automatic generation
        {kPhase1, "RemoveProfileButton", false},     // locked
        {kNorthRow, "CategoryEventButton", false},   // EEG reporting
        {kNorthRow, "RemoveProfileButton", true},   {kNorthRow, "UnlockProfileSpeddButton", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.profile << " " << row.command);
        ASSERT_TRUE(f.select(row.profile));
        EXPECT_EQ(f.enabled(row.command), row.enabled);
        EXPECT_EQ(f.windows.categoryAllocation->importAndRemapAllowed(), row.profile != kPhase1);
    }

    // Unlocked after a No and a Yes, the locked profile is written back and
    // its commands come on.
    ASSERT_TRUE(f.select(kPhase1));
    for (const auto answer : {ui::Button::No, ui::Button::Yes}) {
        f.prompts.answer(answer);
        f.window.ActionUnlockProfileExecute();
        EXPECT_EQ(f.cell("ReportProfileLocked", kPhase1).toInt(), answer == ui::Button::No ? 1 : 0);
    }
    const auto asked = f.prompts.take();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text.contains('\n') && !asked[1].text.contains("\\n"));
    EXPECT_TRUE(f.enabled("RemoveProfileButton"));

    // A running generation makes the profile busy: its commands are off.
    ASSERT_TRUE(f.select(kNorthRow));
    f.database.exec("UPDATE TReportProfile SET ReportProfileStatus = 4 WHERE ReportProfileId = 5");
    f.window.Refresh();
    EXPECT_TRUE(f.window.currentProfile().Busy);
    EXPECT_FALSE(f.enabled("RemoveProfileButton"));
}

TEST(MainWindowRules, AnOldDatabaseSwitchesGatedCommandsOffWithTheirHint) {
    MainWindowSetup setup;
    setup.version = "3.6.0.0";
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    const std::pair<const char*, const char*> gated[] = {{"ShadowDataLocksSpeedButton", "3.7.0.0"},
                                                         {"SpeedButtonContractConfiguration", "3.9.3.10"}};
    for (const auto& [command, version] : gated) {
        SCOPED_TRACE(command);
        EXPECT_FALSE(f.enabled(command));
        EXPECT_EQ(f.window.findChild<QWidget*>(command)->toolTip(), db::versionGateHint(version));
    }
}

TEST(MainWindowCommands, RemovalNeedsBothConfirmationsAndSaysWhyItFailed) {
    // The removal procedure answers as the row says, or as the database does.
    struct Answer {
        bool standard = true;
        int returnValue = 0;  // with no export job's title
        QString error;
    };
    auto answer = std::make_shared<Answer>();
    auto registry = reportdb::standardRegistry();
    reportdb::ProcedureDefinition removal = *registry->find("DCE_SP_DeleteReportProfile");
    removal.body = [answer, standard = removal.body](reportdb::ProcedureContext& c,
                                                     const reportdb::Arguments& a) {
        if (answer->standard) return standard(c, a);
        if (!answer->error.isEmpty()) return reportdb::ProcedureResult::failure(answer->error);
        reportdb::ProcedureResult r;
        r.returnValue = answer->returnValue;
        return r;
    };
    registry->add(removal);
    MainWindowSetup setup;
    setup.registry = registry;
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    using profiles::ProfileRemoval;

    enum Message { None, ExportJob, Refusal, Failure };
    const struct {
        const char* name;
        int profile;
        ui::Button question;
        const char* typed;  // nullptr: the prompt is not reached
        Answer answer;
        Message message;
    } rows[] = {
        {"no to the question", kNorthRow, ui::Button::No, nullptr, {}, None},
        {"lower-case word", kNorthRow, ui::Button::Yes, "yes", {}, None},
        {"used by an export job", kExportProfile, ui::Button::Yes, "YES", {}, ExportJob},
        {"refused with a code", kNorthRow, ui::Button::Yes, "YES", {false, 7, {}}, Refusal},
        {"export job code without a title", kNorthRow, ui::Button::Yes, "YES", {false, 1001, {}}, Refusal},
        {"failed", kNorthRow, ui::Button::Yes, "YES", {false, 0, "The disk is full"}, Failure},
        {"removed", kNorthRow, ui::Button::Yes, "YES", {}, None},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        *answer = row.answer;
        ASSERT_TRUE(f.select(row.profile));
        f.prompts.answer(row.question);
        bool okOffered = false;
        WhenShown type(*f.windows.removePrompt, [&] {
            f.windows.removePrompt->editApproved()->setText(row.typed);
            okOffered = f.windows.removePrompt->okButton()->isEnabled();
            if (okOffered)
                f.windows.removePrompt->okButton()->click();
            else
                f.windows.removePrompt->reject();
        });
        f.window.ActionRemoveProfileExecute();
        EXPECT_EQ(type.fired(), row.typed != nullptr);
        EXPECT_EQ(okOffered, row.typed && QString(row.typed) == "YES");
        const auto shown = f.prompts.take();
        ASSERT_EQ(shown.size(), row.message == None ? 1u : 2u);
        if (row.message != None) {
            EXPECT_EQ(shown[1].icon, ui::Icon::Error);
            const QString expected =
                row.message == ExportJob
                    ? ProfileRemoval::exportJobMessage(f.context, "Monthly availability to grid operator")
                : row.message == Refusal ? ProfileRemoval::refusalMessage(f.context, row.answer.returnValue)
                                         : ProfileRemoval::failureMessage(f.context, row.answer.error);
            EXPECT_EQ(shown[1].text, expected);
        }
        const bool removed = &row == std::end(rows) - 1;  // only the last row gets through
        EXPECT_EQ(f.cell("COUNT(*)", row.profile).toInt(), removed ? 0 : 1);
        EXPECT_EQ(f.window.profileList().recordCount(), removed ? 5 : 6);
    }
}

// Marking one profile by id is the categorization tests' (MainWindowRegenerationTest).
TEST(MainWindowList, MarkAllRegenerationPendingWarnsAndKeepsTheSelection) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    f.window.MarkAllRegenerationPending();
    const auto shown = f.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].icon, ui::Icon::Warning);
    EXPECT_EQ(f.database.scalar("SELECT sum(ReportProfileRegeneratePendingFlag) FROM TReportProfile").toInt(),
              6);
    EXPECT_EQ(f.window.currentProfile().ProfileId, kNorthRow);
}

// Closes every dialog as soon as it is shown (the status window excepted,
// which ends with its statement), noting whether the tool was busy then.
class DialogCloser : public QObject {
public:
    explicit DialogCloser(app::AppContext& context) : context_(context) { qApp->installEventFilter(this); }
    ~DialogCloser() override { qApp->removeEventFilter(this); }
    int shown = 0;
    int shownWhileIdle = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* dialog = qobject_cast<QDialog*>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isWindow() &&
            !qobject_cast<TFormStatus*>(dialog)) {
            ++shown;
            if (!context_.isBusy()) ++shownWhileIdle;
            QTimer::singleShot(0, dialog, [dialog] {
                if (dialog->isVisible()) dialog->reject();
            });
        }
        return false;
    }

private:
    app::AppContext& context_;
};

// Every command that can be used opens its window (or asks first), and
// the tool is busy for the host while that window is open. A command whose
// window does not exist yet says so and cannot be used.
TEST(MainWindowCommands, EveryEnabledCommandOpensItsWindowWhileTheToolIsBusy) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    const auto notAvailable = f.context.texts().profile(9050);
    DialogCloser closer(f.context);
    for (auto* button : commandButtons(f)) {
        SCOPED_TRACE(button->objectName().toStdString());
        if (!button->isEnabled()) {
            if (button->toolTip() != notAvailable) continue;  // off by the enabling rules
            auto* label = f.window.findChild<ui::ClickableLabel*>(button->objectName() + "Label");
            ASSERT_NE(label, nullptr);
            EXPECT_FALSE(label->isEnabled());
            EXPECT_EQ(label->toolTip(), notAvailable);
            continue;
        }
        const int shownBefore = closer.shown;
        f.prompts.answer(ui::Button::No);
        button->click();
        bool asked = false;
        for (const auto& prompt : f.prompts.take()) asked = asked || prompt.kind == Kind::Question;
        if (!asked) {
            // Take back the answer nobody asked for.
            f.prompts.question(ui::Icon::None, {}, {}, unsigned(ui::Button::No), ui::Button::No);
            f.prompts.take();
        }
        EXPECT_TRUE(asked || closer.shown > shownBefore);
        EXPECT_FALSE(f.context.isBusy());
    }
    EXPECT_GT(closer.shown, 0);
    EXPECT_EQ(closer.shownWhileIdle, 0);
}

}  // namespace
