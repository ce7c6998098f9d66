// The park unit configuration of a profile of 1,000 units: loading the
// window, editing every row through the grid's model, and applying the
// edits in one batch update. Run with QT_QPA_PLATFORM=offscreen.
#include "app/AppContext.h"
#include "app/TraceLog.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/demo/Demo.h"
#include "ui/DataSetModel.h"
#include "ui/Prompts.h"
#include "ui/Waiting.h"
#include "units/TFormEditParkUnit.h"
#include "units/TFormPUProgresser.h"
#include "units/TFormParkUnitConfig.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

constexpr int kTurbines = 996;  // with three masts and a grid point: 1,000 units
constexpr int kProfileId = 1;   // "Whole park" of the demo

class NoPrompts : public ui::Prompts {
public:
    void message(ui::Icon, const QString& text, const QString&) override {
        throw std::runtime_error("unexpected message: " + text.toStdString());
    }
    ui::Button question(ui::Icon, const QString&, const QString&, ui::Buttons, ui::Button) override {
        return ui::Button::No;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    void setClipboardText(const QString&) override {}
    bool openWithDesktop(const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
    QString defaultPrinterName() override { return {}; }
};

class Fixture {
public:
    Fixture() : context_(prompts_, trace_, reportdb::makeConnectionFactory()) {
        const QString path = dir_.filePath(QStringLiteral("bench.db"));
        reportdb::demo::Options options;
        options.turbineCount = kTurbines;
        options.rawDataDays = 1;
        reportdb::demo::Summary summary;
        QString error;
        if (!reportdb::demo::writeDemoDatabase(path, options, &summary, &error))
            throw std::runtime_error(error.toStdString());
        auto& session = context_.session();
        session.DBVersion = summary.versionText;
        session.FeatureCodes = {3};
        context_.Database().setConnectionString(QStringLiteral("Provider=Embedded;Data Source=") + path);
        context_.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        context_.texts().load(text::Slot::Profile, QLatin1String(text::kProfileFile));
        context_.texts().load(text::Slot::Hints, QLatin1String(text::kHintsFile));
        window_.setDialogs({nullptr, nullptr, &progresser_, &edit_, nullptr});
        window_.resize(1280, 700);
    }

    // Opens the window and waits for its load; the load's own time in ms.
    double open() {
        window_.hide();
        bool done = false;
        QElapsedTimer clock;
        const auto c = QObject::connect(&window_, &TFormParkUnitConfig::loaded, [&done] { done = true; });
        window_.Prepare(kProfileId, QStringLiteral("Whole park"), false);
        window_.show();
        clock.start();
        ui::waitUntil([&done] { return done; }, 1, 60000);
        QObject::disconnect(c);
        if (window_.rows().recordCount() == 0) throw std::runtime_error("the configuration did not load");
        return double(clock.nsecsElapsed()) / 1e6 - 50;  // the load timer's delay
    }

    void editEveryRow(int round) {
        auto* model = window_.grid()->model();
        const int column =
            static_cast<ui::DataSetModel*>(model)->columnOf(QStringLiteral("HubHeightAltitude"));
        for (int row = 0; row < model->rowCount(); ++row)
            model->setData(model->index(row, column), 60 + round);
    }

    TFormParkUnitConfig& window() { return window_; }

private:
    QTemporaryDir dir_;
    NoPrompts prompts_;
    app::TraceLog trace_;
    app::AppContext context_;
    TFormPUProgresser progresser_{context_};
    TFormEditParkUnit edit_{context_};
    TFormParkUnitConfig window_{context_};
};

void loadWindow(benchmark::State& state, Fixture& fixture) {
    for (auto _ : state) state.SetIterationTime(fixture.open() / 1000.0);
    state.counters["rows"] = fixture.window().rows().recordCount();
}

void editEveryRow(benchmark::State& state, Fixture& fixture) {
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.open();
        state.ResumeTiming();
        fixture.editEveryRow(++round);
    }
}

void applyEveryRow(benchmark::State& state, Fixture& fixture) {
    int round = 10;
    for (auto _ : state) {
        state.PauseTiming();
        fixture.open();
        fixture.editEveryRow(++round);
        state.ResumeTiming();
        if (!fixture.window().ApplyButtonClick()) state.SkipWithError("the update failed");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Fixture fixture;
    const auto add = [&fixture](const char* name, void (*run)(benchmark::State&, Fixture&)) {
        return benchmark::RegisterBenchmark(name,
                                            [&fixture, run](benchmark::State& state) { run(state, fixture); })
            ->Unit(benchmark::kMillisecond);
    };
    add("loadWindow", loadWindow)->UseManualTime()->Iterations(3);
    add("editEveryRow", editEveryRow)->Iterations(3);
    add("applyEveryRow", applyEveryRow)->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
