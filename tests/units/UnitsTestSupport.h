#pragma once
// What the unit window tests share: a context on a small demo (eight
// turbines, three masts, a grid point; profile 1 holds all twelve, 2 is
// locked, 5 holds the turbines and the first mast, 6 none) with the UK
// texts, a session listing the park's units, and the unit windows.

#include "app/AppContext.h"
#include "app/TOrinADOProgressDialog.h"
#include "reportdb/ProcedureRegistry.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "support/ProcedureHooks.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"
#include "text/TextTables.h"
#include "ui/DataSetModel.h"
#include "ui/Waiting.h"
#include "units/TFormEditParkUnit.h"
#include "units/TFormPUProgresser.h"
#include "units/TFormParkUnitConfig.h"
#include "units/TFormSelectParkUnits.h"
#include "units/TformDeselectedUnits.h"

#include <gtest/gtest.h>
#include <QTableView>

namespace units_test {

using testing_support::WhenShown;

// Counts the calls of a procedure; the call the test chooses fails.
inline testing_support::WrappedProcedure count(reportdb::ProcedureRegistry& registry, const QString& name) {
    return testing_support::wrapProcedure(
        registry, name, reportdb::ProcedureResult::failure(QStringLiteral("refused by the test")));
}

struct Setup {
    QString version = QStringLiteral("3.28.0.0");
    QString features = QStringLiteral("3");
    std::shared_ptr<const reportdb::ProcedureRegistry> registry;
    int sessionUnits = 12;  // the first units of the park the session lists
};

struct Environment {
    explicit Environment(const Setup& setup = {})
        : database(testing_support::DemoContent::small(8, 3), setup.registry),
          context(prompts, trace.log(), database.factory()),
          progress(context),
          startDate(context) {
        auto& session = context.session();
        session.DBVersion = setup.version;
        session.FeatureCodes = app::ParseFeatureCodes(setup.features);
        session.OnlineConfiguration = database.connectionString();
        for (int id = 1; id <= setup.sessionUnits; ++id) session.ParkUnits.push_back({id});
        context.Database().setConnectionString(database.connectionString());
        context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        for (const auto& [slot, file] : {std::pair{text::Slot::Profile, text::kProfileFile},
                                         std::pair{text::Slot::Hints, text::kHintsFile},
                                         std::pair{text::Slot::Messages, text::kMessageFile}})
            EXPECT_TRUE(context.texts().load(slot, QLatin1String(file)));
        context.windows().progress = &progress;
        config.setDialogs({&select, &deselected, &progresser, &edit, &startDate});
    }
    ~Environment() { context.windows() = app::SharedWindows{}; }

    // Opens the configuration of `profile` and waits for its rows.
    bool open(int profile, bool locked = false) {
        bool done = false;
        const auto c = QObject::connect(&config, &TFormParkUnitConfig::loaded, [&done] { done = true; });
        config.Prepare(profile, QStringLiteral("Profile %1").arg(profile), locked);
        config.show();
        const bool ok = ui::waitUntil([&done] { return done; }, 5, 5000);
        QObject::disconnect(c);
        return ok;
    }
    QString text(int number) { return context.texts().profile(number); }
    QStringList unitsOf(int profile) const {
        const db::Result r = database.exec(
            QStringLiteral("SELECT group_concat(ParkUnitId) FROM (SELECT ParkUnitId FROM "
                           "TParkUnit_TReportProfile WHERE ReportProfileId = %1 ORDER BY ParkUnitId)")
                .arg(profile));
        return r.resultSets.at(0).rows.at(0).at(0).toString().split(u',', Qt::SkipEmptyParts);
    }
    int column(const char* field) {
        return static_cast<ui::DataSetModel*>(config.grid()->model())->columnOf(field);
    }

    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    testing_support::TempDatabase database;
    app::AppContext context;
    TOrinADOProgressDialog progress;
    TFormSelectParkUnits select{context};
    TformDeselectedUnits deselected;
    TFormPUProgresser progresser{context};
    TFormEditParkUnit edit{context};
    TFormRegenerateShadowData startDate;
    TFormParkUnitConfig config{context};
};

}  // namespace units_test
