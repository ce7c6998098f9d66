// Creating a profile with every unit of the full demo park, from OK in the
// profile dialog until the unit configuration has loaded: the create call,
// the list reload, the units' additions with their shadow data, and the
// configuration's load. Run with QT_QPA_PLATFORM=offscreen.
#include "app/AppContext.h"
#include "app/SessionFile.h"
#include "app/TraceLog.h"
#include "contracts/TFormNonStandardContractConfiguration.h"
#include "demo/DemoSession.h"
#include "profiles/ApplicationWindows.h"
#include "profiles/TFormSQLProfileAdministrator.h"
#include "profiles/TForm_Input.h"
#include "reportdb/EmbeddedDatabase.h"
#include "reportdb/demo/Demo.h"
#include "shadowdata/TFormRegenerateShadowData.h"
#include "ui/Prompts.h"
#include "units/TFormParkUnitConfig.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>

namespace {

class YesPrompts : public ui::Prompts {
public:
    void message(ui::Icon, const QString& text, const QString&) override {
        throw std::runtime_error("unexpected message: " + text.toStdString());
    }
    ui::Button question(ui::Icon, const QString&, const QString&, ui::Buttons, ui::Button) override {
        return ui::Button::Yes;
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
        reportdb::demo::Summary summary;
        QString error;
        if (!reportdb::demo::writeDemoDatabase(path, reportdb::demo::Options{}, &summary, &error))
            throw std::runtime_error(error.toStdString());
        demo::SessionChoices choices;
        choices.sysDir = QStringLiteral(PA_LANG_DIR);
        const QString sessionFile = dir_.filePath(QStringLiteral("session.xml"));
        if (!app::writeSessionFile(sessionFile, {demo::demoSession(summary, path, choices)}, &error))
            throw std::runtime_error(error.toStdString());
        context_.session().SessionFile = sessionFile;
        context_.session().SessionId = choices.sessionId;
        windows_ = std::make_unique<ApplicationWindows>(context_);
        if (!windows_->mainWindow->TimerStartTimer())
            throw std::runtime_error("the main window did not start");
        units_ = int(context_.session().ParkUnits.size());
    }

    // Creates one profile with every session unit; the time in ms from OK
    // until the unit configuration has loaded.
    double create(int round) {
        auto& w = *windows_;
        QElapsedTimer clock;
        bool loaded = false;
        const auto c = QObject::connect(w.parkUnitConfig.get(), &TFormParkUnitConfig::loaded,
                                        [&](bool) { loaded = true; });
        QTimer driver;
        driver.setInterval(5);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (w.profileInput->isVisible() && !clock.isValid()) {
                w.profileInput->findChild<QLineEdit*>(QStringLiteral("Edit1"))
                    ->setText(QStringLiteral("Bench %1").arg(round));
                w.profileInput->findChild<QCheckBox*>(QStringLiteral("CheckBoxAddStandardContents"))
                    ->setChecked(true);
                clock.start();
                w.profileInput->ButtonOKClick();
            } else if (w.regenerateShadowData->isVisible()) {
                w.regenerateShadowData->ButtonOKClick();
            } else if (loaded && w.parkUnitConfig->isVisible()) {
                elapsed_ = double(clock.nsecsElapsed()) / 1e6;
                rows_ = w.parkUnitConfig->rows().recordCount();
                w.parkUnitConfig->reject();
            }
        });
        driver.start();
        w.mainWindow->ActionCreateNewProfileExecute();
        QObject::disconnect(c);
        if (rows_ != units_) throw std::runtime_error("the unit configuration did not show every unit");
        return elapsed_;
    }

    int units() const { return units_; }

private:
    QTemporaryDir dir_;
    YesPrompts prompts_;
    app::TraceLog trace_;
    app::AppContext context_;
    std::unique_ptr<ApplicationWindows> windows_;
    int units_ = 0;
    double elapsed_ = 0;
    int rows_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Fixture fixture;
    int round = 0;
    benchmark::RegisterBenchmark("createWithEveryUnit",
                                 [&](benchmark::State& state) {
                                     for (auto _ : state)
                                         state.SetIterationTime(fixture.create(++round) / 1000.0);
                                     state.counters["units"] = fixture.units();
                                 })
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime()
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
