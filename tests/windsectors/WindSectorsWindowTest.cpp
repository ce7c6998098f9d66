// The wind exclusion sector editor driven through its views on a small
// demo: a sector typed into the sector dialog moves its neighbours, a save
// that fails keeps the window and its changes, the retry saves them all,
// and Cancel saves nothing.

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "reportdb/ProcedureRegistry.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"
#include "text/TextTables.h"
#include "ui/Waiting.h"
#include "windsectors/TFormWindExclusionGroup.h"
#include "windsectors/TFormWindExclusionSector.h"
#include "windsectors/TFormWindExclusionSectors.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <atomic>

using testing_support::WhenShown;

namespace {

constexpr char kGroup[] = "North row wake sectors";  // [350, 20) excluded, [20, 45), [160, 200) excluded

// The standard procedures, with the group call failing while `failing` is set.
std::shared_ptr<reportdb::ProcedureRegistry> registryFailing(std::shared_ptr<std::atomic<bool>> failing) {
    auto registry = reportdb::standardRegistry();
    reportdb::ProcedureDefinition definition =
        *registry->find(QStringLiteral("WMS_SP_CRQ_HandleWindSectorGroup"));
    definition.body = [inner = definition.body, failing](reportdb::ProcedureContext& context,
                                                         const reportdb::Arguments& args) {
        if (*failing) return reportdb::ProcedureResult::failure(QStringLiteral("refused by the test"));
        return inner(context, args);
    };
    registry->add(std::move(definition));
    return registry;
}

testing_support::DemoContent smallDemo() {
    testing_support::DemoContent demo;
    demo.options.turbineCount = 4;
    demo.options.rawDataDays = 1;
    return demo;
}

struct Editor {
    Editor()
        : database(smallDemo(), registryFailing(failing)),
          context(prompts, trace.log(), database.factory()),
          progress(context) {
        context.session().OnlineConfiguration = database.connectionString();
        context.Database().setConnectionString(database.connectionString());
        context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        EXPECT_TRUE(context.texts().load(text::Slot::Profile, QLatin1String(text::kProfileFile)));
        context.windows().progress = &progress;
        window.setDialogs(&group, &sector);
        prompts.allowMessages();
    }
    ~Editor() { context.windows() = app::SharedWindows{}; }

    bool open() {
        bool done = false;
        const auto c =
            QObject::connect(&window, &TFormWindExclusionSectors::loaded, [&done](bool ok) { done = ok; });
        window.Prepare();
        window.show();
        const bool ok = ui::waitUntil([&done] { return done; }, 5, 5000);
        QObject::disconnect(c);
        return ok;
    }
    void click(const char* button) { window.findChild<QPushButton*>(QLatin1String(button))->click(); }
    // The sector list as the user sees it: "Ja|350|20" per row.
    QStringList shownSectors() const {
        QStringList rows;
        const QAbstractItemModel& model = *window.sectorList()->model();
        for (int row = 0; row < model.rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model.columnCount(); ++column)
                cells << model.index(row, column).data().toString();
            rows << cells.join(u'|');
        }
        return rows;
    }
    QStringList storedSectors() const {
        const db::Result r = database.exec(
            QStringLiteral(
                "SELECT WindSectorExcluded || '|' || WindSectorAngleFrom || '|' || WindSectorAngleTo || "
                "'|' || WindSectorRunC || '|' || WindSectorStopC FROM TWindSector s JOIN TWindSectorGroup "
                "g USING (WindSectorGroupId) WHERE g.WindSectorGroupTitle = '%1' ORDER BY WindSectorId")
                .arg(QLatin1String(kGroup)));
        QStringList out;
        for (const db::Row& row : r.resultSets.at(0).rows) out << row.at(0).toString();
        return out;
    }

    std::shared_ptr<std::atomic<bool>> failing = std::make_shared<std::atomic<bool>>(false);
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TOrinADOProgressDialog progress;
    TFormWindExclusionGroup group{context};
    TFormWindExclusionSector sector{context};
    TFormWindExclusionSectors window{context};
};

}  // namespace

TEST(WindSectorsWindow, EditsThroughTheViewsAndSavesUnderTheProcessDialog) {
    Editor e;
    // German profile texts: the sector list speaks the session's language.
    e.context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("DE"));
    ASSERT_TRUE(e.context.texts().load(text::Slot::Profile, QLatin1String(text::kProfileFile)));
    ASSERT_TRUE(e.open());
    QTableView* groups = e.window.groupList();
    int row = 0;
    while (row < groups->model()->rowCount() &&
           groups->model()->index(row, 0).data().toString() != QLatin1String(kGroup))
        ++row;
    ASSERT_LT(row, groups->model()->rowCount());
    QTest::mouseClick(groups->viewport(), Qt::LeftButton, {},
                      groups->visualRect(groups->model()->index(row, 0)).center());
    EXPECT_EQ(e.window.findChild<QLineEdit*>(QStringLiteral("EditGroup"))->text(), QLatin1String(kGroup));
    const QStringList loaded = e.storedSectors();
    EXPECT_EQ(e.shownSectors(), QStringList({"Ja|350|20", "Nein|20|45", "Ja|160|200"}));

    // A new sector [10, 30): its neighbours give way.
    WhenShown typed(e.sector, [&e] {
        for (const auto& [box, text] : {std::pair{"DBEdit1", "10"}, std::pair{"DBEdit10", "30"}}) {
            auto* edit = e.sector.findChild<QLineEdit*>(QLatin1String(box));
            edit->clear();
            QTest::keyClicks(edit, QLatin1String(text));
        }
        e.sector.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
    });
    e.click("ButtonAddSector");
    ASSERT_TRUE(typed.fired());
    const QStringList edited = {"Ja|350|10", "Nein|30|45", "Ja|160|200", "Nein|10|30"};
    EXPECT_EQ(e.shownSectors(), edited);

    // The group call fails: the window stays with every change held.
    *e.failing = true;
    e.click("ButtonApply");
    EXPECT_TRUE(e.prompts.lastText().contains(QLatin1String("The query failed")));
    EXPECT_TRUE(e.window.isVisible());
    EXPECT_EQ(e.shownSectors(), edited);
    EXPECT_EQ(e.storedSectors(), loaded);

    // The retry saves them, with the new sector's identity functions, and
    // the reloaded window shows the group again.
    *e.failing = false;
    e.click("ButtonApply");
    EXPECT_EQ(e.storedSectors(),
              QStringList({"1|350|10|1|1", "0|30|45|0.97|1", "1|160|200|1|1", "0|10|30|1|1"}));
    EXPECT_EQ(e.window.findChild<QLineEdit*>(QStringLiteral("EditGroup"))->text(), QLatin1String(kGroup));
    EXPECT_EQ(e.shownSectors(), edited);

    // Cancel drops a held removal.
    e.window.sectorList()->setCurrentIndex(e.window.sectorList()->model()->index(0, 0));
    e.click("ButtonRemoveSector");
    EXPECT_EQ(e.shownSectors().size(), 3);
    e.click("ButtonCancel");
    EXPECT_FALSE(e.window.isVisible());
    EXPECT_EQ(e.storedSectors().size(), 4);
}
