// The validation parameter editor on the demo database, driven through its
// grid: pictures toggled by a click, limits typed into the cell editor, one
// batch written by Apply or OK, and the questions before held changes go.

#include "MainWindowFixture.h"

#include "profiles/TFormValidation.h"
#include "profiles/ValidationGrid.h"
#include "support/WhenShown.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace testing_support;

namespace {

constexpr int kActiveField = 2;
constexpr int kMinimumField = 3;

struct Editor {
    MainWindowFixture f;
    TFormValidation& window;
    QTableView& grid;
    profiles::ValidationGridModel& model;

    Editor()
        : window(*f.windows.validation),
          grid(*window.grid()),
          model(*qobject_cast<profiles::ValidationGridModel*>(window.grid()->model())) {
        EXPECT_TRUE(f.start());
    }
    ~Editor() { window.hide(); }

    void open() {
        window.Prepare();
        window.show();
        EXPECT_GT(window.dataSet().recordCount(), 1);
    }
    QModelIndex cell(int row, int field) {
        auto* source = qobject_cast<const ui::DataSetModel*>(model.sourceModel());
        return model.index(row, source->columnOf(window.dataSet().field(field).name));
    }
    void click(const QModelIndex& index) {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(index).center());
    }
    bool shows(const QModelIndex& index, bool active) {
        return qvariant_cast<QPixmap>(index.data(Qt::DecorationRole)).cacheKey() ==
               model.picture(active).cacheKey();
    }
    void type(const QModelIndex& index, const QString& text) {
        grid.setCurrentIndex(index);
        grid.edit(index);
        auto* editor = grid.findChild<QLineEdit*>("LimitEditor");
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    int key(int row) { return window.dataSet().valueAt(row, 0).toInt(); }
    QString stored(int key) {
        return f.database
            .scalar(
                QStringLiteral("SELECT ValidationActive || '|' || IFNULL(ValidationMinimumValue, '') FROM "
                               "TValidationParameter WHERE ValidationParameterId = %1")
                    .arg(key))
            .toString();
    }
    QPushButton* button(const char* name) { return window.findChild<QPushButton*>(name); }
};

}  // namespace

TEST(TFormValidation, OnlyWithTheRightAToggleAndATypedLimitAreWrittenTogetherByOk) {
    Editor e;
    // Without the right: a read-only grid, no OK or Apply, clicks ignored.
    auto& codes = e.f.context.session().FeatureCodes;
    const auto without = std::remove(codes.begin(), codes.end(), TFormValidation::kFeatureEditValidation);
    codes.erase(without, codes.end());
    e.open();
    const bool shown = e.shows(e.cell(0, kActiveField), true);
    e.click(e.cell(0, kActiveField));
    EXPECT_EQ(e.shows(e.cell(0, kActiveField), true), shown);
    EXPECT_FALSE(e.model.flags(e.cell(0, kMinimumField)) & Qt::ItemIsEditable);
    EXPECT_FALSE(e.button("OkButton")->isEnabled() || e.button("ApplyButton")->isEnabled());
    EXPECT_FALSE(e.window.dataSet().hasChanges());
    e.window.hide();

    codes.push_back(TFormValidation::kFeatureEditValidation);
    e.open();
    const int first = e.key(0);
    const int second = e.key(1);
    const QString before = e.stored(first);
    const QModelIndex active = e.cell(0, kActiveField);
    const bool was = e.shows(active, true);
    EXPECT_NE(was, e.shows(active, false));
    EXPECT_FALSE(e.button("ApplyButton")->isEnabled());
    e.click(active);
    EXPECT_TRUE(e.shows(active, !was));
    EXPECT_EQ(e.grid.currentIndex(), active);
    e.type(e.cell(1, kMinimumField), "-12.5");
    EXPECT_TRUE(e.button("ApplyButton")->isEnabled());
    // Nothing is written before OK.
    EXPECT_EQ(e.stored(first), before);
    // OK right after typing, as Enter in the cell editor does: the typed
    // limit is taken along.
    e.button("OkButton")->click();
    EXPECT_FALSE(e.window.isVisible());
    EXPECT_EQ(e.window.result(), TFormValidation::kResultApplied);
    EXPECT_EQ(e.stored(first).section('|', 0, 0), was ? "0" : "1");
    EXPECT_EQ(e.stored(second).section('|', 1), "-12.5");
}

TEST(TFormValidation, SwitchingTheGroupAsksAboutHeldChanges) {
    const struct {
        ui::Button answer;
        bool written;
    } cases[] = {{ui::Button::Yes, true}, {ui::Button::No, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        Editor e;
        e.open();
        const int key = e.key(0);
        const QString before = e.stored(key);
        e.click(e.cell(0, kActiveField));
        e.f.prompts.answer(c.answer);
        e.window.findChild<QComboBox*>("UnitBox")->setCurrentIndex(1);
        const auto asked = e.f.prompts.take();
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked[0].text, e.f.context.texts().profile(140));
        EXPECT_EQ(e.stored(key) != before, c.written);
        EXPECT_FALSE(e.window.dataSet().hasChanges());
        EXPECT_NE(e.key(0), key);  // the other group is shown
        EXPECT_EQ(e.window.isApplied(), c.written);
    }
}

TEST(TFormValidation, ARefusedBatchKeepsTheChangesAndTheWindow) {
    Editor e;
    e.open();
    const int key = e.key(1);
    e.type(e.cell(1, kMinimumField), "3");
    // Another user changes the same limit meanwhile.
    e.f.database.exec(QStringLiteral("UPDATE TValidationParameter SET ValidationMinimumValue = 7 "
                                     "WHERE ValidationParameterId = %1")
                          .arg(key));
    e.f.prompts.allowMessages();
    e.button("OkButton")->click();
    EXPECT_TRUE(e.window.isVisible());
    EXPECT_TRUE(e.window.dataSet().hasChanges());
    // The close question's Yes fails the same way and keeps it open, and a
    // refused group switch stays on the group; No lets the changes go.
    e.f.prompts.answer(ui::Button::Yes);
    e.window.findChild<QComboBox*>("UnitBox")->setCurrentIndex(1);
    EXPECT_EQ(e.window.findChild<QComboBox*>("UnitBox")->currentIndex(), 0);
    e.f.prompts.answer(ui::Button::Yes);
    e.button("CancelButton")->click();
    EXPECT_TRUE(e.window.isVisible());
    EXPECT_EQ(e.f.prompts.take().size(), 5u);  // the refusal, then question and refusal twice
    e.f.prompts.answer(ui::Button::No);
    e.button("CancelButton")->click();
    EXPECT_FALSE(e.window.isVisible());
    EXPECT_EQ(e.window.result(), TFormValidation::kResultNothingWritten);
    EXPECT_EQ(e.stored(key).section('|', 1), "7");
}

TEST(TFormValidation, CancelAfterApplyMarksEveryProfile) {
    Editor e;
    e.f.database.exec("UPDATE TReportProfile SET ReportProfileRegeneratePendingFlag = 0");
    WhenShown edit(e.window, [&] {
        e.click(e.cell(0, kActiveField));
        e.button("ApplyButton")->click();
        e.button("CancelButton")->click();
    });
    e.f.prompts.allowMessages();
    e.f.window.ActionValidationParameterEditorExecute();
    ASSERT_TRUE(edit.fired());
    const auto shown = e.f.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, e.f.context.texts().profile(560));
    EXPECT_EQ(e.f.database.scalar("SELECT min(ReportProfileRegeneratePendingFlag) FROM TReportProfile"),
              QVariant(qlonglong(1)));
}
