// The wait window and its SQL helpers against a temporary embedded database.

#include "app/AppContext.h"
#include "profiles/TFormUtil.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCursor>
#include <QLabel>

namespace {

class TFormUtilTest : public ::testing::Test {
protected:
    TFormUtilTest() : context(prompts, trace.log(), database.factory()), util(context) {
        context.Database().setConnectionString(database.connectionString());
        context.Database2().setConnectionString(database.connectionString());
        database.exec("INSERT INTO TReportProfile (ReportProfileTitle) VALUES ('North'), ('South')");
    }

    int scalar(const QString& sql) { return database.scalar(sql).toInt(); }
    int flagOf(const char* title) {
        return scalar(QStringLiteral("SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE "
                                     "ReportProfileTitle = '%1'")
                          .arg(title));
    }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database{"3.28.0.0"};
    app::AppContext context;
    TFormUtil util;
};

}  // namespace

TEST_F(TFormUtilTest, WaitWindowAndTheCommandsOnBothConnections) {
    // Several texts in a row with the hourglass, one hide brings the cursor back.
    util.ShowWait("Reading user rights...");
    util.ShowWait("Reading profiles...");
    EXPECT_TRUE(util.isVisible());
    EXPECT_EQ(util.findChild<QLabel*>("Label1")->text(), "Reading profiles...");
    ASSERT_TRUE(QApplication::overrideCursor());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

    // A command runs on Database2; a failure hides the wait window.
    EXPECT_TRUE(util.RunCommand("INSERT INTO TUser (UserInitials) VALUES ('RC')"));
    EXPECT_EQ(scalar("SELECT count(*) FROM TUser WHERE UserInitials = 'RC'"), 1);
    EXPECT_TRUE(context.Database2().isConnected());
    EXPECT_FALSE(context.Database().isConnected());
    EXPECT_FALSE(util.RunCommand("INSERT INTO TNoSuchTable VALUES (1)"));
    EXPECT_TRUE(util.lastError().contains("no such table")) << util.lastError().toStdString();
    EXPECT_TRUE(trace.contains("Caught Exception: " + util.lastError()));
    EXPECT_FALSE(util.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(util.RunCommand("SELECT 1"));
    EXPECT_TRUE(util.lastError().isEmpty());

    // A query gives rows only when there are some; each query drops the last.
    db::DataSet* rows = util.OpenQuery("SELECT ReportProfileTitle FROM TReportProfile ORDER BY 1");
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->recordCount(), 2);
    EXPECT_EQ(util.OpenQuery("SELECT ReportProfileTitle FROM TReportProfile WHERE 1 = 0"), nullptr);
    EXPECT_FALSE(rows->isOpen());
    EXPECT_EQ(util.OpenQuery("UPDATE TReportProfile SET ReportProfileVersion = 2"), nullptr);
    EXPECT_TRUE(util.lastError().isEmpty());
    EXPECT_EQ(util.OpenQuery("SELECT * FROM TNoSuchTable"), nullptr);
    EXPECT_FALSE(util.lastError().isEmpty());

    // A started command reports its end; until then a second one is refused.
    std::vector<bool> finished;
    QObject::connect(&util, &TFormUtil::commandFinished, [&](bool ok) { finished.push_back(ok); });
    ASSERT_TRUE(util.StartCommand("INSERT INTO TUser (UserInitials) VALUES ('SC')"));
    EXPECT_FALSE(util.StartCommand("SELECT 1"));
    ASSERT_TRUE(ui::waitUntil([&] { return finished.size() == 1; }, 10, 10000));
    util.ReleaseCommand();
    ASSERT_TRUE(util.StartCommand("INSERT INTO TNoSuchTable VALUES (1)"));
    ASSERT_TRUE(ui::waitUntil([&] { return finished.size() == 2; }, 10, 10000));
    EXPECT_EQ(finished, (std::vector<bool>{true, false}));
    EXPECT_EQ(scalar("SELECT count(*) FROM TUser WHERE UserInitials = 'SC'"), 1);
    EXPECT_TRUE(util.lastError().contains("no such table"));
}

TEST_F(TFormUtilTest, SetRegeneratePendingWritesTheProfileNamedById) {
    const int south = scalar("SELECT ReportProfileId FROM TReportProfile WHERE ReportProfileTitle = 'South'");
    // No list yet: nothing happens.
    EXPECT_FALSE(util.SetRegeneratePending(south, 1));

    ASSERT_TRUE(context.Database().connect());
    db::DataSet list;
    db::Command select;
    select.text =
        "SELECT ReportProfileId, ReportProfileTitle, ReportProfileRegeneratePendingFlag FROM TReportProfile "
        "ORDER BY ReportProfileId";
    ASSERT_TRUE(list.open(*context.Database().get(), select));
    util.setProfileList(&list);

    // The list stands on another profile than the one named, and stays there.
    ASSERT_TRUE(list.locate("ReportProfileTitle", "North"));
    ASSERT_TRUE(util.SetRegeneratePending(south, 1)) << util.lastError().toStdString();
    EXPECT_EQ(flagOf("South"), 1);
    EXPECT_EQ(flagOf("North"), 0);
    EXPECT_FALSE(list.hasChanges());
    // A profile that is not listed is refused.
    EXPECT_FALSE(util.SetRegeneratePending(south + 100, 1));
    EXPECT_FALSE(util.lastError().isEmpty());
    EXPECT_EQ(list.value("ReportProfileTitle").toString(), "North");

    // Someone else changed the flag meanwhile: refused, the database keeps theirs.
    database.exec(
        "UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 5 WHERE ReportProfileId = " +
        QString::number(south));
    EXPECT_FALSE(util.SetRegeneratePending(south, 0));
    EXPECT_FALSE(util.lastError().isEmpty());
    EXPECT_EQ(flagOf("South"), 5);
    util.setProfileList(nullptr);
}
