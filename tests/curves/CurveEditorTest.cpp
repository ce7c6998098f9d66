// The reference curve editor driven through its views on a demo database:
// a new curve through the properties dialog, typed cells, paste,
// interpolation and Apply, the lock and save-offer rules, and the results.

#include "app/AppContext.h"
#include "curves/TFormCurveProperties.h"
#include "curves/TFormNormCurve.h"
#include "support/ScriptedPrompts.h"
#include "support/TempDatabase.h"
#include "support/TraceCapture.h"
#include "support/WhenShown.h"
#include "text/TextTables.h"
#include "ui/Waiting.h"
#include "windsectors/TFormWeibull.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QValueAxis>

namespace {

using testing_support::WhenShown;

testing_support::DemoContent demo() {
    testing_support::DemoContent content;
    content.options.turbineCount = 4;
    content.options.rawDataDays = 2;
    return content;
}

class CurveEditor : public testing::Test {
protected:
    static void SetUpTestSuite() { database_ = new testing_support::TempDatabase(demo()); }
    static void TearDownTestSuite() {
        delete database_;
        database_ = nullptr;
    }

    void SetUp() override {
        auto& session = context.session();
        session.DBVersion = QStringLiteral("3.28.0.0");
        session.FeatureCodes = app::ParseFeatureCodes(QStringLiteral("6"));
        context.Database().setConnectionString(database_->connectionString());
        context.Database2().setConnectionString(database_->connectionString());
        context.texts().setLocation(QStringLiteral(PA_LANG_DIR), QStringLiteral("UK"));
        for (const auto& [slot, file] : {std::pair{text::Slot::Profile, text::kProfileFile},
                                         std::pair{text::Slot::Hints, text::kHintsFile}})
            ASSERT_TRUE(context.texts().load(slot, QLatin1String(file)));
    }

    void open(const char* features = "6") {
        context.session().FeatureCodes = app::ParseFeatureCodes(QLatin1String(features));
        bool done = false;
        const auto c = QObject::connect(&editor, &TFormNormCurve::loaded, [&done] { done = true; });
        editor.Prepare();
        editor.show();
        ASSERT_TRUE(ui::waitUntil([&done] { return done; }, 5, 5000));
        QObject::disconnect(c);
    }
    // Clicks the curve titled `title` in the list (of the chosen type).
    void click(const QString& title) {
        QTableView* grid = editor.curveGrid();
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            if (grid->model()->index(row, 0).data().toString() == title) {
                const QRect cell = grid->visualRect(grid->model()->index(row, 0));
                QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
                return;
            }
        ADD_FAILURE() << "no curve " << title.toStdString();
    }
    void press(const char* name) {
        auto* button = editor.findChild<QPushButton*>(QLatin1String(name));
        ASSERT_TRUE(button);
        ASSERT_TRUE(button->isEnabled()) << name;
        button->click();
    }
    // Types into the production cell of the grid row showing `speed`.
    void type(double speed, const QString& typed) {
        QTableView* grid = editor.pointGrid();
        for (int row = 0; row < grid->model()->rowCount(); ++row) {
            if (std::abs(grid->model()->index(row, 0).data(Qt::EditRole).toDouble() - speed) > 1e-9) continue;
            const QModelIndex cell = grid->model()->index(row, 1);
            grid->setCurrentIndex(cell);
            grid->edit(cell);
            // Editors closed before are deleted later: take the open one.
            QLineEdit* editorBox = nullptr;
            for (QLineEdit* box : grid->findChildren<QLineEdit*>(QStringLiteral("ProductionEditor")))
                if (box->isVisible()) editorBox = box;
            ASSERT_TRUE(editorBox);
            editorBox->setText(typed);
            QTest::keyClick(editorBox, Qt::Key_Return);
            // The delegate commits through a queued call.
            QCoreApplication::sendPostedEvents();
            return;
        }
        ADD_FAILURE() << "no point " << speed;
    }
    double held(double speed) {
        db::DataSet& points = editor.points();
        for (int row = 0; row < points.recordCount(); ++row)
            if (std::abs(points.valueAt(row, 0).toDouble() - speed) < 1e-9)
                return points.valueAt(row, 1).toDouble();
        return -1;
    }
    QVariant stored(const QString& sql) { return database_->scalar(sql); }
    // Adds a curve through Add New and the properties dialog.
    void addCurve(const QString& title, const QString& cutIn, int typeIndex = 0) {
        WhenShown fill(properties, [&] {
            properties.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(title);
            properties.findChild<QComboBox*>(QStringLiteral("ComboBoxNormCurveType"))
                ->setCurrentIndex(typeIndex);
            properties.findChild<QLineEdit*>(QStringLiteral("EditCutIn"))->setText(cutIn);
            properties.findChild<QLineEdit*>(QStringLiteral("EditCutOut"))->setText(QStringLiteral("25,5"));
            properties.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
        });
        press("AddNewButton");
        EXPECT_TRUE(fill.fired());
    }

    static testing_support::TempDatabase* database_;
    testing_support::ScriptedPrompts prompts;
    testing_support::TraceCapture trace;
    app::AppContext context{prompts, trace.log(), database_->factory()};
    TFormCurveProperties properties{context};
    TFormWeibull weibull{context};
    TFormNormCurve editor{context, properties, weibull};
};

testing_support::TempDatabase* CurveEditor::database_ = nullptr;

TEST_F(CurveEditor, NewCurveTypedPastedInterpolatedAndAppliedInOneGo) {
    // A decimal-comma locale must not change the call's numbers.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German));
    open();
    addCurve(QStringLiteral("O'Brien test curve"), QString());
    QLocale::setDefault(previous);
    const QString id =
        stored("SELECT NormCurveId FROM TNormCurve WHERE NormCurveTitle = 'O''Brien test curve'").toString();
    ASSERT_FALSE(id.isEmpty());
    EXPECT_EQ(editor.currentCurveId(), id.toInt());
    EXPECT_EQ(
        stored("SELECT count(*) || '|' || min(NormCurveDataWindSpeed) || '|' || max(NormCurveDataWindSpeed) "
               "|| '|' || typeof(c.NormCurveCutInWindSpeed) || '|' || c.NormCurveCutOutWindSpeed || '|' || "
               "c.NormCurveAirDensity FROM TNormCurveData d JOIN TNormCurve c USING (NormCurveId) "
               "WHERE NormCurveId = " +
               id)
            .toString(),
        QStringLiteral("401|0.0|40.0|null|25.5|1.225"));

    // The same title again is refused with 141, and nothing is added.
    prompts.allowMessages();
    addCurve(QStringLiteral("O'Brien test curve"), QString());
    EXPECT_EQ(prompts.lastText(), context.texts().profile(141));
    EXPECT_EQ(stored("SELECT count(*) FROM TNormCurve WHERE NormCurveTitle LIKE 'O''Brien%'").toInt(), 1);

    editor.findChild<QComboBox*>(QStringLiteral("ComboBoxWindSpeedFilter"))->setCurrentIndex(2);
    EXPECT_EQ(editor.pointGrid()->model()->rowCount(), 41);
    type(1.0, QStringLiteral("10"));
    type(4.0, QStringLiteral("12,5"));
    type(5.0, QStringLiteral("abc"));  // not a number: the cell keeps its value
    EXPECT_EQ(held(4.0), 12.5);
    EXPECT_EQ(held(5.0), 0.0);
    prompts.setClipboardText(QStringLiteral("4\t40\r\n35.5\t100\n6\t6000\n0,5\t1"));
    editor.pointGrid()->setFocus();
    QTest::keyClick(editor.pointGrid(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(held(4.0), 40.0);
    EXPECT_EQ(held(0.5), 1.0);
    EXPECT_EQ(held(6.0), 0.0);
    // Nothing reaches the database before Apply.
    EXPECT_EQ(stored("SELECT sum(NormCurveDataProduction) FROM TNormCurveData WHERE NormCurveId = " + id)
                  .toDouble(),
              0.0);

    press("InterPolateButton");
    EXPECT_DOUBLE_EQ(held(2.0), 20.0);
    EXPECT_DOUBLE_EQ(held(3.0), 30.0);
    press("ApplyButton");
    EXPECT_FALSE(editor.isDirty());
    EXPECT_EQ(
        stored(
            "SELECT group_concat(NormCurveDataProduction, ';') FROM (SELECT NormCurveDataProduction FROM "
            "TNormCurveData WHERE NormCurveId = " +
            id +
            " AND NormCurveDataWindSpeed IN (0.5, 1.0, 2.0, 3.0, 4.0, 5.0) ORDER BY NormCurveDataWindSpeed)")
            .toString(),
        QStringLiteral("1.0;10.0;20.0;30.0;40.0;0.0"));
    // No other curve's point changed: the write keyed on curve and speed.
    EXPECT_EQ(stored("SELECT count(*) FROM TNormCurveData WHERE NormCurveDataWindSpeed = 2.0 AND "
                     "NormCurveDataProduction = 20")
                  .toInt(),
              1);
    ASSERT_EQ(editor.series()->count(), 401);
    EXPECT_DOUBLE_EQ(editor.series()->at(20).y(), 20.0);
    EXPECT_DOUBLE_EQ(editor.productionAxis()->max(), 40.0 * double(1.05f));

    // An unused curve saved: Close returns "not in use".
    press("CancelButton");
    EXPECT_EQ(editor.result(), TFormNormCurve::kResultNotInUse);
}

TEST_F(CurveEditor, LockSaveOfferAndResults) {
    prompts.allowMessages();
    open();
    // The locked curve: no point edits, Edit and Delete refused without 101.
    click(QStringLiteral("WT 2300/82 certified power curve"));
    EXPECT_FALSE(editor.findChild<QPushButton*>(QStringLiteral("InterPolateButton"))->isEnabled());
    EXPECT_FALSE(editor.findChild<QPushButton*>(QStringLiteral("ChangeButton"))->isEnabled());
    EXPECT_FALSE(editor.setTypedProduction(50, QStringLiteral("1")));

    // Edit keeps the speeds; No in the save offer drops the held edits.
    click(QStringLiteral("WT 2300/82 power curve"));
    type(10.0, QStringLiteral("1"));
    WhenShown describe(properties, [&] {
        properties.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"))
            ->setPlainText(QStringLiteral("changed"));
        properties.findChild<QPushButton*>(QStringLiteral("ButtonOK"))->click();
    });
    prompts.answer(ui::Button::Yes);  // the save offer before Edit: the typed point goes first
    press("ChangeButton");
    EXPECT_EQ(editor.curves().value(QStringLiteral("NormCurveCutInWindSpeed")).toDouble(), 3.0);
    EXPECT_EQ(editor.curves().value(QStringLiteral("NormCurveCutOutWindSpeed")).toDouble(), 25.0);
    type(11.0, QStringLiteral("2"));
    prompts.answer(ui::Button::No);
    click(QStringLiteral("WT 3000/101 power curve"));
    EXPECT_EQ(
        stored("SELECT NormCurveDescription FROM TNormCurve WHERE NormCurveTitle = 'WT 2300/82 power curve'")
            .toString(),
        QStringLiteral("Manufacturer's power curve at standard air density."));
    EXPECT_NE(
        stored("SELECT NormCurveDataProduction FROM TNormCurveData d JOIN TNormCurve c USING (NormCurveId) "
               "WHERE NormCurveTitle = 'WT 2300/82 power curve' AND NormCurveDataWindSpeed = 11.0")
            .toDouble(),
        2.0);
    EXPECT_FALSE(editor.isDirty());
    EXPECT_FALSE(editor.curves().hasChanges());

    // Delete of a curve that only the park (no profile) uses is refused with 144.
    database_->exec(
        QStringLiteral("UPDATE TParkUnit SET NormCurveId = (SELECT NormCurveId FROM TNormCurve WHERE "
                       "NormCurveTitle = 'WT 3000/101 noise reduced curve') WHERE ParkUnitId = 1"));
    click(QStringLiteral("WT 3000/101 noise reduced curve"));
    prompts.answer(ui::Button::Ok);
    press("DeleteButton");
    EXPECT_EQ(prompts.lastText(), context.texts().profile(144));

    // The typed point of a used curve was applied: OK says "in use".
    press("OkButton");
    EXPECT_EQ(editor.result(), TFormNormCurve::kResultInUse);
}

TEST_F(CurveEditor, AFailedApplyKeepsTheEdits) {
    prompts.allowMessages();
    open();
    click(QStringLiteral("WT 3000/101 power curve"));
    type(12.0, QStringLiteral("7"));
    // Someone else changed the point meanwhile: nothing is written.
    database_->exec(
        QStringLiteral("UPDATE TNormCurveData SET NormCurveDataProduction = 1 WHERE "
                       "NormCurveDataWindSpeed = 12.0 AND NormCurveId = (SELECT NormCurveId FROM "
                       "TNormCurve WHERE NormCurveTitle = 'WT 3000/101 power curve')"));
    press("ApplyButton");
    EXPECT_EQ(prompts.recorded().back().icon, ui::Icon::Error);
    EXPECT_TRUE(editor.isDirty());
    EXPECT_EQ(held(12.0), 7.0);
}

TEST_F(CurveEditor, LockQuestionCancelUnticksAndLockedDetailsStayClosed) {
    curves::CurveProperties locked;
    locked.title = QStringLiteral("x");
    locked.locked = true;
    properties.Prepare(locked, true);
    auto* box = properties.findChild<QCheckBox*>(QStringLiteral("CheckBox1"));
    auto* title = properties.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    EXPECT_FALSE(title->isEnabled());
    EXPECT_FALSE(box->isEnabled());  // only an administrator unlocks

    properties.Prepare(curves::CurveProperties{}, true);
    prompts.answer(ui::Button::Cancel);
    box->click();
    EXPECT_FALSE(box->isChecked());
    EXPECT_TRUE(title->isEnabled());
    prompts.answer(ui::Button::Ok);
    box->click();
    EXPECT_TRUE(box->isChecked());
    EXPECT_FALSE(title->isEnabled());
    EXPECT_EQ(prompts.take().size(), 2u);
}

TEST_F(CurveEditor, WeibullOkNeedsThreePositiveNumbers) {
    auto* ok = weibull.findChild<QPushButton*>(QStringLiteral("ButtonOK"));
    auto* c = weibull.findChild<QLineEdit*>(QStringLiteral("Editc"));
    WhenShown check(weibull, [&] {
        EXPECT_TRUE(ok->isEnabled());
        c->setText(QStringLiteral("."));
        EXPECT_FALSE(ok->isEnabled());
        c->setText(QStringLiteral("7,5"));
        ok->click();
    });
    EXPECT_EQ(weibull.Execute(), TFormWeibull::kResultOk);
    EXPECT_DOUBLE_EQ(weibull.parameters().c, 7.5);
}

}  // namespace
