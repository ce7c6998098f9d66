// The profile dialog and the contract configuration from the main window:
// create (with or without the session's units), properties, the options
// dialog's boxes, and the contract steps, on the small demo database.

#include "MainWindowFixture.h"

#include "contracts/TFormContractConfiguration.h"
#include "contracts/TFormNonStandardContractConfiguration.h"
#include "profiles/TForm_Input.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "support/WhenShown.h"
#include "units/TFormParkUnitConfig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using namespace testing_support;

namespace {

template <typename W = QWidget>
W* child(QWidget& window, const char* name) {
    auto* widget = window.findChild<W*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

void click(QWidget& window, const char* name) { child<QAbstractButton>(window, name)->click(); }

int count(MainWindowFixture& f, const QString& sql) { return f.database.scalar(sql).toInt(); }

}  // namespace

TEST(MainWindowProfileDialog, CreatingWithUnitsFillsTheNewProfileAndOpensItsUnits) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TForm_Input& input = *f.windows.profileInput;
    const int before = count(f, "SELECT max(ReportProfileId) FROM TReportProfile");
    const QDate start(2024, 12, 20);
    WhenShown dialog(input, [&] {
        child<QLineEdit>(input, "Edit1")->setText("East 'B' row");
        child<QCheckBox>(input, "CheckBoxAddStandardContents")->setChecked(true);
        click(input, "ButtonOK");
    });
    auto& startDate = *f.windows.regenerateShadowData;
    WhenShown date(startDate, [&] {
        child<QDateEdit>(startDate, "DatePicker")->setDate(start);
        startDate.ButtonOKClick();
    });
    TFormParkUnitConfig& config = *f.windows.parkUnitConfig;
    bool loaded = false;
    QObject::connect(&config, &TFormParkUnitConfig::loaded, [&loaded](bool ok) { loaded = ok; });
    int configRows = -1;
    WhenShown units(
        config,
        [&] {
            configRows = config.rows().recordCount();
            config.reject();
        },
        [&loaded] { return loaded; });
    f.window.ActionCreateNewProfileExecute();
    ASSERT_TRUE(dialog.fired() && date.fired() && units.fired());
    const int created = f.window.currentProfile().ProfileId;
    EXPECT_GT(created, before);
    EXPECT_EQ(f.window.currentProfile().Title, "East 'B' row");
    const int sessionUnits = int(f.context.session().ParkUnits.size());
    EXPECT_EQ(configRows, sessionUnits);
    EXPECT_EQ(
        count(f, QStringLiteral("SELECT count(*) FROM TParkUnit_TReportProfile WHERE ReportProfileId = %1")
                     .arg(created)),
        sessionUnits);
    EXPECT_EQ(
        f.database
            .scalar(QStringLiteral("SELECT date(min(ShadowDate)) FROM TShadowData WHERE ReportProfileId = %1")
                        .arg(created))
            .toString(),
        start.toString(Qt::ISODate));
}

TEST(MainWindowProfileDialog, WithoutUnitsNoKeepsTheInputsAndAFailedCreateTouchesNothing) {
    auto registry = reportdb::standardRegistry();
    bool refuse = false;
    reportdb::ProcedureDefinition create = *registry->find("DCE_SP_CreateNewReportProfile");
    create.body = [inner = create.body, &refuse](reportdb::ProcedureContext& context,
                                                 const reportdb::Arguments& args) {
        return refuse ? reportdb::ProcedureResult::failure("refused by the test") : inner(context, args);
    };
    registry->add(std::move(create));
    MainWindowSetup setup;
    setup.registry = registry;
    MainWindowFixture f(setup);
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    TForm_Input& input = *f.windows.profileInput;
    const QString units = "SELECT count(*) FROM TParkUnit_TReportProfile";
    const int unitsBefore = count(f, units);
    int asked = 0;
    WhenShown dialog(input, [&] {
        child<QLineEdit>(input, "Edit1")->setText("Empty");
        child<QPlainTextEdit>(input, "Memo1")->setPlainText("kept");
        f.prompts.answer(ui::Button::No);
        click(input, "ButtonOK");
        asked += int(f.prompts.take().size());
        EXPECT_TRUE(input.isVisible());
        EXPECT_EQ(child<QPlainTextEdit>(input, "Memo1")->toPlainText(), "kept");
        f.prompts.answer(ui::Button::Yes);
        click(input, "ButtonOK");
    });
    f.window.ActionCreateNewProfileExecute();
    ASSERT_TRUE(dialog.fired());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(f.prompts.take().size(), 1u);
    EXPECT_EQ(f.window.currentProfile().Title, "Empty");
    EXPECT_EQ(f.window.currentProfile().Description, "kept");
    EXPECT_EQ(count(f, units), unitsBefore);

    refuse = true;
    const int profiles = count(f, "SELECT count(*) FROM TReportProfile");
    f.prompts.allowMessages();
    ASSERT_TRUE(f.select(kNorthRow));
    WhenShown failing(input, [&] {
        child<QLineEdit>(input, "Edit1")->setText("Refused");
        child<QCheckBox>(input, "CheckBoxAddStandardContents")->setChecked(true);
        click(input, "ButtonOK");
    });
    f.window.ActionCreateNewProfileExecute();
    ASSERT_TRUE(failing.fired());
    EXPECT_TRUE(f.prompts.lastText().contains("refused by the test"));
    EXPECT_EQ(count(f, "SELECT count(*) FROM TReportProfile"), profiles);
    EXPECT_EQ(count(f, units), unitsBefore);
    EXPECT_FALSE(f.windows.parkUnitConfig->isVisible());
}

TEST(MainWindowProfileDialog, PropertiesStoreAsTypedMarkAContractChangeAndShowARefusal) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    ASSERT_TRUE(f.select(kNorthRow));
    TForm_Input& input = *f.windows.profileInput;
    auto& options = *f.windows.profileOptions;
    f.database.exec(
        "UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 0, UseDeratingCategorisation "
        "= 1, AvailabilityContract = 'RTV2100' WHERE ReportProfileId = 5");
    f.window.Refresh();
    // EEG excludes derating; Cancel puts every box back.
    WhenShown optionsShown(options, [&] {
        auto* derating = child<QCheckBox>(options, "CheckBoxUseDeratingCategorisation");
        EXPECT_TRUE(derating->isChecked());
        click(options, "CheckBoxEEGCategorization");
        EXPECT_FALSE(derating->isChecked() || derating->isEnabled());
        click(options, "ButtonCancel");
    });
    WhenShown dialog(input, [&] {
        input.ButtonNonStandardClick();
        child<QLineEdit>(input, "Edit1")->setText("O'Neill's row");
        child<QComboBox>(input, "ComboBoxContract")->setCurrentText("RTV2200");
        click(input, "ButtonOK");
    });
    f.window.ActionProfilePropertiesExecute();
    ASSERT_TRUE(dialog.fired() && optionsShown.fired());
    EXPECT_EQ(f.cell("ReportProfileTitle", kNorthRow).toString(), "O'Neill's row");
    EXPECT_EQ(f.cell("AvailabilityContract", kNorthRow).toString(), "RTV2200");
    EXPECT_EQ(f.cell("ReportProfileRegeneratePendingFlag", kNorthRow).toInt(), 1);
    EXPECT_EQ(f.cell("UseDeratingCategorisation", kNorthRow).toInt(), 1);
    EXPECT_EQ(f.cell("UseEEGReporting", kNorthRow).toInt(), 0);

    // Someone else renames the profile while the dialog is open.
    f.prompts.allowMessages();
    WhenShown raced(input, [&] {
        f.database.exec("UPDATE TReportProfile SET ReportProfileTitle = 'Theirs' WHERE ReportProfileId = 5");
        child<QLineEdit>(input, "Edit1")->setText("Mine");
        click(input, "ButtonOK");
    });
    f.window.ActionProfilePropertiesExecute();
    ASSERT_TRUE(raced.fired());
    EXPECT_EQ(f.prompts.take().size(), 1u);
    EXPECT_EQ(f.cell("ReportProfileTitle", kNorthRow).toString(), "Theirs");
    EXPECT_EQ(f.window.currentProfile().Title, "Theirs");
}

TEST(MainWindowProfileDialog, ContractStepsAreTickedMovedAndWrittenOrKeptOnFailure) {
    MainWindowFixture f;
    ASSERT_TRUE(f.start());
    TFormContractConfiguration& window = *f.windows.contractConfiguration;
    auto* steps = child<QListWidget>(window, "CheckListBoxCalculationSteps");
    bool loaded = false;
    QObject::connect(&window, &TFormContractConfiguration::loaded, [&loaded](bool ok) { loaded = ok; });
    const auto priorities = [&](int contract) {
        QStringList out;
        const auto rows =
            f.database.exec(QStringLiteral("SELECT ContractStepId FROM TReportFormulaContractTaskStep "
                                           "WHERE ContractId = %1 AND Priority IS NOT NULL "
                                           "ORDER BY Priority")
                                .arg(contract));
        for (const auto& row : rows.resultSets.at(0).rows) out << row[0].toString();
        return out.join(',');
    };
    const QString otherContract = priorities(1);
    WhenShown edit(
        window,
        [&] {
            // RTV2200: tick the fourth step (unused), then move it up.
            child<QComboBox>(window, "ComboBoxContract")->setCurrentIndex(1);
            steps->item(3)->setCheckState(Qt::Checked);
            steps->setCurrentRow(3);
            click(window, "BitBtnUp");
            EXPECT_EQ(steps->currentRow(), 2);
            click(window, "ButtonOK");
        },
        [&loaded] { return loaded; });
    window.Execute();
    ASSERT_TRUE(edit.fired());
    EXPECT_EQ(priorities(2), "2,1,3,5");
    EXPECT_EQ(priorities(1), otherContract);

    // A step the database dropped meanwhile: the call is refused, the window
    // stays open with the user's ticks.
    loaded = false;
    f.prompts.allowMessages();
    WhenShown refused(
        window,
        [&] {
            child<QComboBox>(window, "ComboBoxContract")->setCurrentIndex(1);
            f.database.exec(
                "DELETE FROM TReportFormulaContractTaskStep WHERE ContractId = 2 AND ContractStepId = 4");
            steps->item(4)->setCheckState(Qt::Checked);
            click(window, "ButtonOK");
            EXPECT_TRUE(window.isVisible());
            EXPECT_EQ(steps->item(4)->checkState(), Qt::Checked);
            click(window, "ButtonCancel");
        },
        [&loaded] { return loaded; });
    window.Execute();
    ASSERT_TRUE(refused.fired());
    const auto shown = f.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, f.context.texts().profile(213));
}
