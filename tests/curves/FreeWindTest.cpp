// Free wind parameter sets: the dialog's box rules, and the setup window
// driven through its buttons on a demo database.

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "curves/FreeWindBoxes.h"
#include "curves/TFormFWPTable.h"
#include "curves/TForm_FWP_Parameters.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"
#include "text/TextTables.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <atomic>

namespace {

using curves::FreeWindProblem;
using testing_support::WhenShown;

TEST(FreeWindBoxes, ChecksInOrderAndStoresNumbersOrNull) {
    const auto set = [](std::initializer_list<std::pair<int, const char*>> changes) {
        curves::FreeWindTexts boxes = TForm_FWP_Parameters::newSet();
        boxes[0] = QStringLiteral("Set");
        for (const auto& [box, text] : changes) boxes[size_t(box)] = QString::fromUtf8(text);
        return boxes;
    };
    struct Case {
        curves::FreeWindTexts boxes;
        FreeWindProblem problem;
        int box;
    } cases[] = {
        {set({}), FreeWindProblem::None, -1},
        {set({{9, "0"}}), FreeWindProblem::ParameterCZero, 9},
        {set({{13, " "}}), FreeWindProblem::ParameterCZero, 13},
        {set({{4, "0.0"}, {1, "1,5"}}), FreeWindProblem::None, -1},
        {set({{0, ""}, {4, "0"}}), FreeWindProblem::ParameterCZero, 4},  // c first, then the title
        {set({{0, " "}}), FreeWindProblem::TitleMissing, 0},
        {set({{2, "1.2.3"}}), FreeWindProblem::NotANumber, 2},
    };
    for (const Case& c : cases) {
        const curves::FreeWindCheck check = curves::checkFreeWindBoxes(c.boxes);
        EXPECT_EQ(check.problem, c.problem) << c.boxes[size_t(std::max(c.box, 0))].toStdString();
        EXPECT_EQ(check.box, c.box);
    }
    EXPECT_EQ(curves::freeWindValue(1, QStringLiteral("1,5")), QVariant(1.5));
    EXPECT_TRUE(curves::freeWindValue(2, QString()).isNull());
}

std::atomic<bool> failDeletes{false};

std::shared_ptr<reportdb::ProcedureRegistry> registry() {
    auto registry = reportdb::standardRegistry();
    reportdb::ProcedureDefinition definition =
        *registry->find(QStringLiteral("WMS_SP_CRQ_DeleteFreeWindParameter"));
    definition.body = [inner = definition.body](reportdb::ProcedureContext& context,
                                                const reportdb::Arguments& args) {
        if (failDeletes) return reportdb::ProcedureResult::failure(QStringLiteral("refused by the test"));
        return inner(context, args);
    };
    registry->add(std::move(definition));
    return registry;
}

class FreeWindWindow : public testing::Test {
protected:
    void SetUp() override {
        context.session().OnlineConfiguration = database.connectionString();
        context.Database().setConnectionString(database.connectionString());
        context.Database2().setConnectionString(database.connectionString());
        context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        for (const auto& [slot, file] : {std::pair{text::Slot::Profile, text::kProfileFile},
                                         std::pair{text::Slot::Hints, text::kHintsFile}})
            context.texts().load(slot, QLatin1String(file));
        context.windows().progress = &progress;
        bool done = false;
        const auto c = QObject::connect(&table, &TFormFWPTable::loaded, [&done] { done = true; });
        table.Prepare();
        table.show();
        ASSERT_TRUE(ui::waitUntil([&done] { return done; }, 5, 5000));
        QObject::disconnect(c);
    }
    void TearDown() override { context.windows() = app::SharedWindows{}; }
    void press(const char* name) { table.findChild<QPushButton*>(QLatin1String(name))->click(); }
    QString stored(const QString& sql) { return database.scalar(sql).toString(); }

    static testing_support::DemoContent demo() {
        testing_support::DemoContent content;
        content.options.turbineCount = 4;
        content.options.rawDataDays = 2;
        return content;
    }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database{demo(), registry()};
    app::AppContext context{prompts, trace.log(), database.factory()};
    TOrinADOProgressDialog progress{context};
    TForm_FWP_Parameters dialog{context};
    TFormFWPTable table{context, dialog};
};

TEST_F(FreeWindWindow, AddEditAndRemoveASet) {
    prompts.allowMessages();
    WhenShown add(dialog, [&] {
        EXPECT_EQ(dialog.box(4)->text(), QStringLiteral("1"));
        dialog.box(0)->setText(QStringLiteral("Mast 2"));
        dialog.box(1)->setText(QStringLiteral("1,5"));
        dialog.box(9)->setText(QStringLiteral("0"));
        dialog.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();  // refused: c is 0
        dialog.box(9)->setText(QStringLiteral("0.0"));
        dialog.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
    });
    press("ButtonAdd");
    const QString id = stored("SELECT max(FreeWindParameterId) FROM TFreeWindParameter");
    EXPECT_EQ(stored("SELECT FreeWindParameterTitle || '|' || FreeWindParameterLowPitchAngle || '|' || "
                     "FreeWindParameterStartHighC || '|' || typeof(FreeWindParameterStartLowA) FROM "
                     "TFreeWindParameter WHERE FreeWindParameterId = " +
                     id),
              QStringLiteral("Mast 2|1.5|0|null"));
    // The new set is current with its id: Edit changes it, not another one.
    EXPECT_EQ(table.sets().value(QStringLiteral("FreeWindParameterId")).toString(), id);
    WhenShown edit(dialog, [&] {
        dialog.box(0)->setText(QStringLiteral("Mast 2 renamed"));
        dialog.box(9)->setText(QStringLiteral("2"));
        dialog.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
    });
    press("ButtonEdit");
    EXPECT_EQ(
        stored("SELECT FreeWindParameterTitle FROM TFreeWindParameter WHERE FreeWindParameterId = " + id),
        QStringLiteral("Mast 2 renamed"));

    database.exec("UPDATE TParkUnit_TReportProfile SET FreeWindParameterId = " + id +
                  " WHERE rowid IN (SELECT rowid FROM TParkUnit_TReportProfile LIMIT 3)");
    prompts.answer(ui::Button::Ok);
    prompts.answer(ui::Button::Cancel);
    press("ButtonRemove");
    EXPECT_TRUE(prompts.lastText().contains(QStringLiteral(" 3 ")));
    EXPECT_EQ(stored("SELECT count(*) FROM TFreeWindParameter WHERE FreeWindParameterId = " + id), "1");

    failDeletes = true;
    prompts.answer(ui::Button::Ok);
    prompts.answer(ui::Button::Ok);
    press("ButtonRemove");
    failDeletes = false;
    EXPECT_TRUE(prompts.lastText().contains(QStringLiteral("refused by the test")));
    EXPECT_EQ(stored("SELECT count(*) FROM TFreeWindParameter WHERE FreeWindParameterId = " + id), "1");

    ASSERT_TRUE(table.sets().locate(QStringLiteral("FreeWindParameterId"), id.toInt()));
    prompts.answer(ui::Button::Ok);
    prompts.answer(ui::Button::Ok);
    press("ButtonRemove");
    EXPECT_EQ(stored("SELECT count(*) FROM TFreeWindParameter WHERE FreeWindParameterId = " + id), "0");
    EXPECT_EQ(stored("SELECT count(*) FROM TParkUnit_TReportProfile WHERE FreeWindParameterId = " + id), "0");
    table.reject();
    EXPECT_EQ(table.result(), TFormFWPTable::kResultChanged);
}

}  // namespace
