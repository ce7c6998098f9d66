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
#include <QGroupBox>
#include <QLabel>

namespace {

class TFormUtilTest : public ::testing::Test {
protected:
    TFormUtilTest() : context(prompts, trace.log(), database.factory()), util(context) {
        context.Database().setConnectionString(database.connectionString());
        context.Database2().setConnectionString(database.connectionString());
        context.windows().util = &util;
    }

    int scalar(const QString& sql) { return database.exec(sql).resultSets.at(0).rows.at(0).at(0).toInt(); }
    static bool waitCursorShown() {
        return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database{"3.28.0.0"};
    app::AppContext context;
    TFormUtil util;
};

}  // namespace

TEST_F(TFormUtilTest, WaitWindowShowsItsTextInTheMiddleWithTheHourglass) {
    EXPECT_EQ(util.windowTitle(), "Profile Administrator");
    util.ShowWait("Reading startup information");
    EXPECT_TRUE(util.isVisible());
    EXPECT_TRUE(waitCursorShown());
    auto* label = util.findChild<QLabel*>("Label1");
    auto* box = util.findChild<QGroupBox*>("GroupBox1");
    ASSERT_TRUE(label && box);
    EXPECT_EQ(label->text(), "Reading startup information");
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    EXPECT_NEAR(label->geometry().center().x(), box->rect().center().x(), 2);
    EXPECT_NEAR(label->geometry().center().y(), box->rect().center().y(), 12);

    // Several texts in a row, one hide: the cursor is back to normal.
    util.ShowWait("Reading user rights...");
    util.ShowWait("Reading profiles...");
    EXPECT_EQ(label->text(), "Reading profiles...");
    util.HideWait();
    EXPECT_FALSE(util.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(TFormUtilTest, RunCommandUsesDatabase2AndReportsFailure) {
    EXPECT_TRUE(util.RunCommand("INSERT INTO TUser (UserInitials) VALUES ('RC')"));
    EXPECT_EQ(scalar("SELECT count(*) FROM TUser WHERE UserInitials = 'RC'"), 1);
    EXPECT_TRUE(context.Database2().isConnected());
    EXPECT_FALSE(context.Database().isConnected());

    util.ShowWait("Creating profile");
    EXPECT_FALSE(util.RunCommand("INSERT INTO TNoSuchTable VALUES (1)"));
    EXPECT_TRUE(util.lastError().contains("no such table")) << util.lastError().toStdString();
    EXPECT_FALSE(util.isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(trace.contains("Caught Exception: " + util.lastError()));

    EXPECT_TRUE(util.RunCommand("SELECT 1"));
    EXPECT_TRUE(util.lastError().isEmpty());
}

TEST_F(TFormUtilTest, OpenQueryReturnsNothingWithoutRows) {
    database.exec("INSERT INTO TReportProfile (ReportProfileTitle) VALUES ('North'), ('South')");
    db::DataSet* rows =
        util.OpenQuery("SELECT ReportProfileTitle FROM TReportProfile ORDER BY ReportProfileId");
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->recordCount(), 2);
    EXPECT_EQ(rows->value("ReportProfileTitle").toString(), "North");

    EXPECT_EQ(util.OpenQuery("SELECT ReportProfileTitle FROM TReportProfile WHERE 1 = 0"), nullptr);
    EXPECT_FALSE(rows->isOpen());  // the previous rows are gone too
    EXPECT_EQ(util.OpenQuery("UPDATE TReportProfile SET ReportProfileVersion = 2"), nullptr);
    EXPECT_TRUE(util.lastError().isEmpty());
    EXPECT_EQ(scalar("SELECT min(ReportProfileVersion) FROM TReportProfile"), 2);
    EXPECT_EQ(util.OpenQuery("SELECT * FROM TNoSuchTable"), nullptr);
    EXPECT_FALSE(util.lastError().isEmpty());
}

TEST_F(TFormUtilTest, StartCommandRunsWithoutWaiting) {
    int finished = 0;
    bool lastOk = false;
    QObject::connect(&util, &TFormUtil::commandFinished, [&](bool ok) {
        ++finished;
        lastOk = ok;
    });
    ASSERT_TRUE(util.StartCommand("INSERT INTO TUser (UserInitials) VALUES ('SC')"));
    // Until its completion has been delivered, a second one is refused.
    EXPECT_TRUE(util.isCommandRunning());
    EXPECT_FALSE(util.StartCommand("SELECT 1"));
    ASSERT_TRUE(ui::waitUntil([&] { return finished == 1; }, 10, 10000));
    EXPECT_TRUE(lastOk);
    EXPECT_EQ(scalar("SELECT count(*) FROM TUser WHERE UserInitials = 'SC'"), 1);
    util.ReleaseCommand();

    ASSERT_TRUE(util.StartCommand("INSERT INTO TNoSuchTable VALUES (1)"));
    ASSERT_TRUE(ui::waitUntil([&] { return finished == 2; }, 10, 10000));
    EXPECT_FALSE(lastOk);
    EXPECT_TRUE(util.lastError().contains("no such table"));
}

TEST_F(TFormUtilTest, SetRegeneratePendingWritesTheNamedProfile) {
    database.exec("INSERT INTO TReportProfile (ReportProfileTitle) VALUES ('North'), ('South')");
    auto flagOf = [&](const QString& title) {
        return scalar(
            "SELECT ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE ReportProfileTitle = '" +
            title + "'");
    };
    auto idOf = [&](const QString& title) {
        return scalar("SELECT ReportProfileId FROM TReportProfile WHERE ReportProfileTitle = '" + title +
                      "'");
    };
    // No list yet: nothing happens.
    EXPECT_FALSE(util.SetRegeneratePending(idOf("South"), 1));
    EXPECT_EQ(scalar("SELECT sum(ReportProfileRegeneratePendingFlag) FROM TReportProfile"), 0);

    ASSERT_TRUE(context.Database().connect());
    db::DataSet list;
    db::Command select;
    select.text =
        "SELECT ReportProfileId, ReportProfileTitle, ReportProfileRegeneratePendingFlag FROM TReportProfile "
        "ORDER BY ReportProfileId";
    ASSERT_TRUE(list.open(*context.Database().get(), select));
    util.setProfileList(&list);

    // The list stands on another profile than the one named.
    ASSERT_TRUE(list.locate("ReportProfileTitle", "North"));
    ASSERT_TRUE(util.SetRegeneratePending(idOf("South"), 1)) << util.lastError().toStdString();
    EXPECT_EQ(flagOf("South"), 1);
    EXPECT_EQ(flagOf("North"), 0);
    EXPECT_EQ(list.value("ReportProfileTitle").toString(), "North");
    EXPECT_FALSE(list.hasChanges());

    // A profile that is not listed is refused.
    EXPECT_FALSE(util.SetRegeneratePending(idOf("South") + 100, 1));
    EXPECT_FALSE(util.lastError().isEmpty());
    EXPECT_EQ(list.value("ReportProfileTitle").toString(), "North");

    // Someone else changed the flag meanwhile: refused, the database keeps theirs.
    database.exec(
        "UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 5 WHERE ReportProfileTitle = "
        "'South'");
    EXPECT_FALSE(util.SetRegeneratePending(idOf("South"), 0));
    EXPECT_FALSE(util.lastError().isEmpty());
    EXPECT_EQ(flagOf("South"), 5);

    // An empty list has no current row.
    list.cancelBatch();
    db::DataSet empty;
    select.text =
        "SELECT ReportProfileId, ReportProfileRegeneratePendingFlag FROM TReportProfile WHERE 1 = 0";
    ASSERT_TRUE(empty.open(*context.Database().get(), select));
    util.setProfileList(&empty);
    EXPECT_FALSE(util.SetRegeneratePending(idOf("South"), 1));
    util.setProfileList(nullptr);
}
