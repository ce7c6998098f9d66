// The main window against a small demo database: start-up, the list, the
// enabling rules, unlock and the removal dialogue.

#include "MainWindowFixture.h"

#include "app/HostCommands.h"
#include "ui/CommandLink.h"
#include "ui/DataSetModel.h"
#include "ui/Waiting.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>

namespace {

using testing_support::MainWindowFixture;
using testing_support::MainWindowSetup;
using Kind = testing_support::RecordedPrompt::Kind;

// Demo profiles by id.
constexpr int kWholePark = 1;      // automatic generation
constexpr int kPhase1 = 2;         // locked
constexpr int kPhase2 = 3;         // regeneration pending
constexpr int kExportProfile = 4;  // used by an export job
constexpr int kNorthRow = 5;

QString gridText(MainWindowFixture& f, int row, const QString& field) {
    auto* model = qobject_cast<ui::DataSetModel*>(f.window.grid()->model());
    return model->data(model->index(row, model->columnOf(field))).toString();
}

// The command buttons of both groups of the window.
QList<QToolButton*> commandButtons(MainWindowFixture& f) {
    QList<QToolButton*> buttons;
    for (auto* group : f.window.findChildren<QGroupBox*>()) buttons += group->findChildren<QToolButton*>();
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

// Nothing can be done before the start-up sequence has run, or after it
// failed; the captions read as captions all the same.
void expectFirstState(MainWindowFixture& f, const QStringList& startedFields) {
    for (auto* button : commandButtons(f)) {
        SCOPED_TRACE(button->objectName().toStdString());
        EXPECT_FALSE(button->isEnabled());
        auto* label = f.find<ui::ClickableLabel>(qPrintable(button->objectName() + "Label"));
        ASSERT_NE(label, nullptr);
        EXPECT_FALSE(label->isEnabled());
        EXPECT_FALSE(label->text().isEmpty());
    }
    for (auto* action : f.window.actions())
        EXPECT_FALSE(action->isEnabled()) << action->objectName().toStdString();
    EXPECT_EQ(shownFields(f).join(',').toStdString(), startedFields.join(',').toStdString());
    auto* model = f.window.grid()->model();
    for (int column = 0; column < model->columnCount(); ++column) {
        const auto header = model->headerData(column, Qt::Horizontal).toString();
        EXPECT_FALSE(header.isEmpty()) << column;
        EXPECT_NE(header.toStdString(), startedFields.value(column).toStdString());
    }
}

TEST(MainWindowStartup, LoadsTheUsersProfilesWithTextsAndStatusBar) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    auto& list = f.window.profileList();
    EXPECT_EQ(list.recordCount(), 6);
    auto* model = f.window.grid()->model();
    ASSERT_EQ(model->columnCount(), 5);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), f.context.texts().profile(602));
    EXPECT_EQ(model->headerData(4, Qt::Horizontal).toString(), f.context.texts().profile(606));
    EXPECT_FALSE(model->headerData(4, Qt::Horizontal).toString().startsWith('('));
    EXPECT_EQ(gridText(f, 0, "LockText"), f.context.texts().profile(291));
    EXPECT_EQ(gridText(f, 1, "LockText"), f.context.texts().profile(292));
    EXPECT_EQ(gridText(f, 0, "AutoGenerateText"), f.context.texts().profile(294));
    EXPECT_EQ(gridText(f, 2, "StatusText"), f.context.texts().profile(295));
    EXPECT_EQ(gridText(f, 3, "StatusText"), f.context.texts().profile(290));

    auto* panel = f.find<QLabel>("StatusBar1Panel");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->text().startsWith("User Login : ["));
    EXPECT_TRUE(panel->text().contains(" Catalog SkyloomDemo LoginName ")) << panel->text().toStdString();
    EXPECT_EQ(f.window.currentProfile().ProfileId, kWholePark);
    EXPECT_TRUE(f.trace.contains("Start-up finished"));
}

TEST(MainWindowStartup, FirstStatesBeforeAndAfterAFailedStart) {
    MainWindowFixture f;
    const QStringList firstFields = shownFields(f);
    {
        SCOPED_TRACE("not started");
        expectFirstState(f, firstFields);
    }
    ASSERT_TRUE(f.start());
    EXPECT_EQ(shownFields(f).join(',').toStdString(), firstFields.join(',').toStdString());

    MainWindowSetup missing;
    missing.connectionString = "Provider=Embedded;Data Source=/nonexistent/demo.sqlite;Catalog=X";
    MainWindowFixture failed(missing);
    SCOPED_TRACE("no database");
    EXPECT_FALSE(failed.start());
    failed.prompts.take();
    expectFirstState(failed, firstFields);
}

TEST(MainWindowStartup, FailuresStopTheSequence) {
    {
        MainWindowFixture f;
        QFile::remove(f.sessionFile);
        EXPECT_FALSE(f.start());
        auto shown = f.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].text.startsWith("XML file could not be read (XML file = "));
        EXPECT_EQ(shown[0].caption, "XML file error");
        EXPECT_FALSE(f.enabled("SpeedButtonCreateProfile"));
    }
    {
        MainWindowSetup offline;
        offline.online = "NO";
        MainWindowFixture f(offline);
        EXPECT_FALSE(f.start());
        EXPECT_FALSE(f.context.Database().isConnected());
        EXPECT_EQ(f.window.profileList().recordCount(), 0);
    }
    {
        MainWindowSetup missing;
        missing.connectionString = "Provider=Embedded;Data Source=/nonexistent/demo.sqlite;Catalog=X";
        MainWindowFixture f(missing);
        EXPECT_FALSE(f.start());
        auto shown = f.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].icon, ui::Icon::Error);
        EXPECT_EQ(shown[0].caption, f.context.texts().profile(64));
    }
}

TEST(MainWindowStartup, FallsBackToTheSelectWithoutGatedColumns) {
    auto registry = std::make_shared<reportdb::ProcedureRegistry>();
    const auto standard = reportdb::standardRegistry();
    for (const auto& name : standard->names())
        if (name.compare("DCE_SP_SelectProfiles", Qt::CaseInsensitive) != 0)
            registry->add(*standard->find(name));
    MainWindowSetup setup;
    setup.registry = registry;
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    EXPECT_EQ(f.window.profileList().recordCount(), 6);
    EXPECT_LT(f.window.profileList().fieldIndex("UseEEGReporting"), 0);
    EXPECT_EQ(f.window.currentProfile().AvailabilityContract, "RTV2100");
}

TEST(MainWindowRules, EmptyListLockedAutomaticAndEegProfiles) {
    {
        MainWindowSetup stranger;
        stranger.userId = 9999;  // sees no profile
        MainWindowFixture f(stranger);
        ASSERT_TRUE(f.start());
        EXPECT_EQ(f.window.profileList().recordCount(), 0);
        EXPECT_FALSE(f.enabled("EditUnitsButton"));
        EXPECT_FALSE(f.enabled("RegenerateShadowButton"));
        EXPECT_FALSE(f.enabled("RemoveProfileButton"));
    }
    MainWindowFixture f;
    f.database.exec("UPDATE TReportProfile SET UseEEGReporting = 1 WHERE ReportProfileId = 5");
    ASSERT_TRUE(f.start());

    ASSERT_TRUE(f.select(kWholePark));
    EXPECT_FALSE(f.enabled("RemoveProfileButton"));  // automatic generation
    EXPECT_TRUE(f.enabled("RegenerateShadowButton"));

    ASSERT_TRUE(f.select(kPhase1));
    EXPECT_FALSE(f.enabled("RemoveProfileButton"));
    EXPECT_TRUE(f.enabled("UnlockProfileSpeddButton"));

    ASSERT_TRUE(f.select(kNorthRow));
    EXPECT_FALSE(f.enabled("CategoryEventButton"));
    EXPECT_TRUE(f.enabled("SpeedButtonCategoryConfiguration"));
    EXPECT_TRUE(f.enabled("RemoveProfileButton"));
    EXPECT_FALSE(f.enabled("UnlockProfileSpeddButton"));
}

TEST(MainWindowRules, OldDatabaseDisablesSignOffAndContractsWithHints) {
    MainWindowSetup setup;
    setup.version = "3.6.0.0";
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    EXPECT_FALSE(f.enabled("ShadowDataLocksSpeedButton"));
    EXPECT_FALSE(f.enabled("SpeedButtonContractConfiguration"));
    EXPECT_EQ(f.find<QWidget>("SpeedButtonContractConfiguration")->toolTip(),
              "This feature can only be used on a 3.9.3.10 database or newer");
    EXPECT_EQ(f.find<QWidget>("ShadowDataLocksSpeedButton")->toolTip(),
              "This feature can only be used on a 3.7 database or newer");
}

TEST(MainWindowList, StatusPercentageFromTheLargestStatusSeen) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    f.database.exec("UPDATE TReportProfile SET ReportProfileStatus = 4 WHERE ReportProfileId = 5");
    f.window.Refresh();
    f.database.exec("UPDATE TReportProfile SET ReportProfileStatus = 3 WHERE ReportProfileId = 5");
    f.window.Refresh();
    EXPECT_EQ(gridText(f, 4, "StatusText"), f.context.texts().profile(296) + " (25%)");
    // A running generation makes the profile busy: its commands are off.
    ASSERT_TRUE(f.select(kNorthRow));
    EXPECT_TRUE(f.window.currentProfile().Busy);
    EXPECT_FALSE(f.enabled("EditProfileButton"));
}

TEST(MainWindowCommands, UnlockWritesTheRowBack) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kPhase1));
    f.prompts.answer(ui::Button::No);
    f.window.ActionUnlockProfileExecute();
    EXPECT_EQ(f.cell("ReportProfileLocked", "ReportProfileId = 2").toInt(), 1);
    f.prompts.answer(ui::Button::Yes);
    f.window.ActionUnlockProfileExecute();
    auto asked = f.prompts.take();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[1].text.contains('\n'));
    EXPECT_FALSE(asked[1].text.contains("\\n"));
    EXPECT_EQ(f.cell("ReportProfileLocked", "ReportProfileId = 2").toInt(), 0);
    EXPECT_EQ(f.window.currentProfile().Locked, 0);
    EXPECT_TRUE(f.enabled("RemoveProfileButton"));
}

// Types into the removal prompt once it is shown, and presses OK (or Cancel).
void typeIntoRemovePrompt(MainWindowFixture& f, const QString& word, bool pressOk = true) {
    QTimer::singleShot(0, &f.removePrompt, [&f, word, pressOk] {
        ui::waitUntil([&f] { return f.removePrompt.isVisible(); }, 10, 5000);
        f.removePrompt.editApproved()->setText(word);
        if (pressOk && f.removePrompt.okButton()->isEnabled())
            f.removePrompt.okButton()->click();
        else
            f.removePrompt.reject();
    });
}

TEST(MainWindowCommands, RemovalNeedsBothConfirmations) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));

    // No to the question: nothing else happens.
    f.prompts.answer(ui::Button::No);
    f.window.ActionRemoveProfileExecute();
    // A lower-case word leaves OK disabled.
    f.prompts.answer(ui::Button::Yes);
    typeIntoRemovePrompt(f, "yes");
    f.window.ActionRemoveProfileExecute();
    EXPECT_EQ(f.prompts.take().size(), 2u);
    EXPECT_EQ(f.cell("COUNT(*)", "ReportProfileId = 5").toInt(), 1);

    f.prompts.answer(ui::Button::Yes);
    typeIntoRemovePrompt(f, "YES");
    f.window.ActionRemoveProfileExecute();
    EXPECT_EQ(f.prompts.take().size(), 1u);
    EXPECT_EQ(f.cell("COUNT(*)", "ReportProfileId = 5").toInt(), 0);
    EXPECT_EQ(f.window.profileList().recordCount(), 5);
}

TEST(MainWindowCommands, RemovalRefusedByAnExportJob) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kExportProfile));
    f.prompts.answer(ui::Button::Yes);
    typeIntoRemovePrompt(f, "YES");
    f.window.ActionRemoveProfileExecute();
    auto shown = f.prompts.take();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].icon, ui::Icon::Error);
    EXPECT_TRUE(shown[1].text.contains("Monthly availability to grid operator"));
    EXPECT_TRUE(shown[1].text.contains(f.context.texts().profile(14)));
    EXPECT_EQ(shown[1].caption, f.context.texts().profile(64));
    EXPECT_EQ(f.cell("COUNT(*)", "ReportProfileId = 4").toInt(), 1);
}

// A removal procedure that answers as told, to reach every outcome.
std::shared_ptr<reportdb::ProcedureRegistry> removalAnswering(int returnValue, bool withTitle, bool fail) {
    auto registry = reportdb::standardRegistry();
    registry->add("DCE_SP_DeleteReportProfile",
                  {reportdb::ProcedureParameter::input("@ProfileId", db::FieldType::Integer),
                   reportdb::ProcedureParameter::out("@ExportjobTitle", db::FieldType::String),
                   reportdb::ProcedureParameter::optional("@DeleteGranted", db::FieldType::Integer, 0)},
                  [=](reportdb::ProcedureContext&, const reportdb::Arguments&) {
                      if (fail) return reportdb::ProcedureResult::failure("The disk is full");
                      reportdb::ProcedureResult r;
                      r.returnValue = returnValue;
                      r.outputs["@ExportjobTitle"] = withTitle ? QVariant(QStringLiteral("Job")) : QVariant();
                      return r;
                  });
    return registry;
}

TEST(MainWindowCommands, RemovalOutcomeMessages) {
    const auto& t = [](MainWindowFixture& f, int n) { return f.context.texts().profile(n); };
    struct Case {
        int returnValue;
        bool withTitle, fail;
        int expectedText;
    } cases[] = {{1001, false, false, 12}, {7, false, false, 12}, {0, false, true, 16}};
    for (const auto& c : cases) {
        MainWindowSetup setup;
        setup.registry = removalAnswering(c.returnValue, c.withTitle, c.fail);
        MainWindowFixture f(setup);
        ASSERT_TRUE(f.start());
        ASSERT_TRUE(f.select(kNorthRow));
        f.prompts.answer(ui::Button::Yes);
        typeIntoRemovePrompt(f, "YES");
        f.window.ActionRemoveProfileExecute();
        auto shown = f.prompts.take();
        ASSERT_EQ(shown.size(), 2u) << c.returnValue;
        EXPECT_TRUE(shown[1].text.startsWith(t(f, 10))) << shown[1].text.toStdString();
        EXPECT_TRUE(shown[1].text.contains(t(f, c.expectedText))) << shown[1].text.toStdString();
        if (c.returnValue) {
            EXPECT_TRUE(shown[1].text.contains(QString::number(c.returnValue)));
        }
        if (c.fail) {
            EXPECT_TRUE(shown[1].text.contains("The disk is full"));
        }
        EXPECT_EQ(f.window.profileList().recordCount(), 6);
    }
}

TEST(MainWindowHost, CloseIsRefusedWhileALongStatementRuns) {
    auto registry = reportdb::standardRegistry();
    registry->add("Test_LongWork", {}, [](reportdb::ProcedureContext& c, const reportdb::Arguments&) {
        c.scalar(
            "WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 30000000) "
            "SELECT count(*) FROM n");
        return reportdb::ProcedureResult{};
    });
    MainWindowSetup setup;
    setup.registry = registry;
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    f.window.show();
    app::HostCommandHandler handler(f.window, [&f] { return f.context.isBusy(); });
    std::optional<int> closeAnswer, restoreAnswer;
    QTimer::singleShot(200, [&] {
        closeAnswer = handler.handle(app::HostCloseA, [] { return true; });
        restoreAnswer = handler.handle(app::HostRestore, [] { return true; });
        f.status.ButtonCancelClick();
    });
    db::Command command;
    command.text = "Test_LongWork";
    app::runUnderStatus(f.context, "Working", f.context.Database(), command, true);
    ASSERT_TRUE(closeAnswer.has_value());
    EXPECT_EQ(*closeAnswer, 65536 + 2);
    EXPECT_EQ(*restoreAnswer, 7);
    ui::pause(200);
    EXPECT_TRUE(f.window.isVisible());
    EXPECT_TRUE(f.context.Database().isConnected());
}

}  // namespace

namespace {

TEST(MainWindowList, MarkRegenerationPendingOnOneOrAllProfiles) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    f.window.MarkRegenerationPending(kNorthRow);
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 5").toInt(), 1);
    EXPECT_EQ(f.cell("COUNT(*)", "ReportProfileRegeneratePendingFlag = 1").toInt(), 2);
    EXPECT_EQ(f.window.currentProfile().ProfileId, kNorthRow);

    // The profile is named by id; the list stays on the user's selection.
    f.window.MarkRegenerationPending(kExportProfile);
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", "ReportProfileId = 4").toInt(), 1);
    EXPECT_EQ(f.cell("COUNT(*)", "ReportProfileRegeneratePendingFlag = 1").toInt(), 3);
    EXPECT_EQ(f.window.currentProfile().ProfileId, kNorthRow);

    f.window.MarkAllRegenerationPending();
    auto shown = f.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].icon, ui::Icon::Warning);
    EXPECT_EQ(shown[0].text, f.context.texts().profile(560));
    EXPECT_EQ(f.cell("COUNT(*)", "ReportProfileRegeneratePendingFlag = 1").toInt(), 6);
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
    EXPECT_FALSE(notAvailable.startsWith('('));  // defined in the language file
    DialogCloser closer(f.context);
    for (auto* button : commandButtons(f)) {
        SCOPED_TRACE(button->objectName().toStdString());
        if (!button->isEnabled()) {
            if (button->toolTip() != notAvailable) continue;  // off by the enabling rules
            auto* label = f.find<ui::ClickableLabel>(qPrintable(button->objectName() + "Label"));
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
