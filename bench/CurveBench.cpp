// The reference curve editor on 200 curves of 401 points: stepping through
// every curve (points read, grid filled, chart drawn) and generating and
// applying a Weibull curve. Run with QT_QPA_PLATFORM=offscreen.
#include "app/AppContext.h"
#include "app/TraceLog.h"
#include "curves/TFormCurveProperties.h"
#include "curves/TFormNormCurve.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/demo/Demo.h"
#include "ui/Prompts.h"
#include "ui/Waiting.h"
#include "windsectors/TFormWeibull.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QTableView>
#include <QTemporaryDir>
#include <stdexcept>

namespace {

constexpr int kCurves = 200;

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
        options.turbineCount = 8;
        options.rawDataDays = 1;
        reportdb::demo::Summary summary;
        QString error;
        if (!reportdb::demo::writeDemoDatabase(path, options, &summary, &error))
            throw std::runtime_error(error.toStdString());
        auto& session = context_.session();
        session.DBVersion = summary.versionText;
        session.FeatureCodes = {6};
        const QString connection = QStringLiteral("Provider=Embedded;Data Source=") + path;
        context_.Database().setConnectionString(connection);
        context_.Database2().setConnectionString(connection);
        context_.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        context_.texts().load(text::Slot::Profile, QLatin1String(text::kProfileFile));
        context_.texts().load(text::Slot::Hints, QLatin1String(text::kHintsFile));
        // Wind distribution curves, so the editor lists all of them together.
        for (int i = 0; i < kCurves; ++i) {
            db::Command command;
            command.text = QStringLiteral(
                               "DCE_SP_InsertDefaultNormCurveData 'Bench %1','',1.225,0.0,%2,401,0.1,0, "
                               "NULL, NULL, 2")
                               .arg(i)
                               .arg(i % 7);
            if (!context_.Database().execute(command).ok()) throw std::runtime_error("no curve");
        }
        window_.resize(1280, 700);
        bool done = false;
        QObject::connect(&window_, &TFormNormCurve::loaded, [&done] { done = true; });
        window_.Prepare();
        window_.show();
        ui::waitUntil([&done] { return done; }, 1, 60000);
        auto* type = window_.findChild<QComboBox*>(QStringLiteral("ComboBoxNormCurveType"));
        type->setCurrentIndex(1);
        window_.ComboBoxNormCurveTypeChange(1);
        if (window_.curves().recordCount() < kCurves) throw std::runtime_error("the curves did not load");
    }

    TFormNormCurve& window() { return window_; }

private:
    QTemporaryDir dir_;
    NoPrompts prompts_;
    app::TraceLog trace_;
    app::AppContext context_;
    TFormCurveProperties properties_{context_};
    TFormWeibull weibull_{context_};
    TFormNormCurve window_{context_, properties_, weibull_};
};

void stepThroughCurves(benchmark::State& state, Fixture& fixture) {
    TFormNormCurve& window = fixture.window();
    for (auto _ : state) {
        for (int row = 0; row < window.curves().recordCount(); ++row) {
            window.DBGrid2CellClick(row);
            QApplication::processEvents();  // the grid and the chart paint
        }
    }
    state.counters["curves"] = window.curves().recordCount();
}

void applyWeibull(benchmark::State& state, Fixture& fixture) {
    TFormNormCurve& window = fixture.window();
    window.DBGrid2CellClick(0);
    double c = 6.0;
    for (auto _ : state) {
        window.GenerateWeibull({c += 0.1, 2.0, 100.0});
        if (!window.ApplyButtonClick()) state.SkipWithError("the update failed");
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
    add("stepThroughCurves", stepThroughCurves)->Iterations(3);
    add("applyWeibull", applyWeibull)->Iterations(5);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
