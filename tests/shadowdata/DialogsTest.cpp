// The period dialog and the start-date dialog, headless, against a database
// whose raw data limits the test chooses.

#include "ShadowTestSupport.h"
#include "shadowdata/TFormRGSDialog.h"
#include "shadowdata/TFormRegenerateShadowData.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

using shadow_test::Environment;

namespace {

const shadowdata::DataLimits kLimits{QDateTime(QDate(2023, 3, 1), QTime(0, 10)),
                                     QDateTime(QDate(2023, 6, 30), QTime(23, 50))};

bool isRed(QWidget* widget) { return widget->palette().color(QPalette::Base) == QColor(Qt::red); }
bool isWhite(QWidget* widget) { return widget->palette().color(QPalette::Base) == QColor(Qt::white); }

void pressKey(QWidget& window, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
}

template <typename T>
T* child(QWidget& window, const char* name) {
    T* found = window.findChild<T*>(name);
    EXPECT_TRUE(found) << name;
    return found;
}

}  // namespace

TEST(TFormRGSDialog, LimitsPresetsAndCaptions) {
    Environment env("3.28.0.0");
    env.controls->limits = kLimits;
    TFormRGSDialog dialog(env.context);
    dialog.Prepare("North park");
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), "Regenerate shadow data (North park)");
    EXPECT_EQ(child<QLabel>(dialog, "Label4")->text(), "[2023-03-01]");
    EXPECT_EQ(child<QLabel>(dialog, "Label5")->text(), "[2023-06-30]");
    EXPECT_EQ(child<QLabel>(dialog, "Label1")->text(), "From:");
    EXPECT_EQ(child<QLabel>(dialog, "Label2")->text(), "To:");
    EXPECT_EQ(child<QGroupBox>(dialog, "GroupBoxPeriod")->title(), "Period");
    EXPECT_EQ(child<QPushButton>(dialog, "ButtonOK")->text(), "&OK");
    EXPECT_EQ(child<QPushButton>(dialog, "ButtonCancel")->text(), "&Cancel");
    auto* start = child<QDateEdit>(dialog, "DatePickerStart");
    auto* stop = child<QDateEdit>(dialog, "DatePickerStop");
    EXPECT_TRUE(start->calendarPopup());
    EXPECT_EQ(start->date(), QDate(2023, 3, 1));
    EXPECT_EQ(stop->date(), QDate::currentDate());

    // Neither picker goes below the day before the first data.
    for (QDateEdit* picker : {start, stop}) {
        EXPECT_EQ(picker->minimumDate(), QDate(2023, 2, 28));
        picker->setDate(QDate(2023, 1, 15));
        EXPECT_EQ(picker->date(), QDate(2023, 2, 28));
    }
    dialog.reject();

    // Opened again without raw data: the limits are gone, both pickers on today.
    env.controls->limits.reset();
    dialog.Prepare("North park");
    dialog.show();
    EXPECT_EQ(child<QLabel>(dialog, "Label4")->text(), "[-]");
    EXPECT_EQ(child<QLabel>(dialog, "Label5")->text(), "[-]");
    EXPECT_EQ(start->date(), QDate::currentDate());
    EXPECT_EQ(stop->date(), QDate::currentDate());
    start->setDate(QDate(2001, 1, 1));
    EXPECT_EQ(start->date(), QDate(2001, 1, 1));
    EXPECT_FALSE(dialog.choice().limits);
    dialog.reject();

    // A failure to read the limits is shown and counts as no limits.
    env.controls->limitsFail = true;
    dialog.Prepare("North park");
    dialog.show();
    const auto shown = env.prompts.take();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Raw data is not reachable");
    EXPECT_EQ(shown[0].icon, ui::Icon::Error);
    EXPECT_FALSE(dialog.limits());
    dialog.reject();
}

TEST(TFormRGSDialog, WholePeriodBoxAndRedWhiteRule) {
    Environment env("3.28.0.0");
    env.controls->limits = kLimits;
    TFormRGSDialog dialog(env.context);
    auto* whole = child<QCheckBox>(dialog, "CheckBoxWholePeriod");
    auto* start = child<QDateEdit>(dialog, "DatePickerStart");
    auto* stop = child<QDateEdit>(dialog, "DatePickerStop");
    auto* startError = child<QLabel>(dialog, "LabelStartError");
    auto* stopError = child<QLabel>(dialog, "LabelStopError");

    // The box's state is kept between openings and applied on the first show.
    whole->setChecked(true);
    dialog.Prepare("North park");
    dialog.show();
    EXPECT_EQ(whole->text(), "&Whole period");
    EXPECT_FALSE(start->isEnabled());
    EXPECT_FALSE(stop->isEnabled());
    whole->setChecked(false);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_TRUE(stop->isEnabled());
    whole->click();
    EXPECT_FALSE(start->isEnabled());
    EXPECT_TRUE(dialog.choice().wholePeriod);
    whole->click();

    // Start before stop: white and no messages.
    start->setDate(QDate(2023, 4, 1));
    stop->setDate(QDate(2023, 4, 30));
    EXPECT_TRUE(isWhite(start));
    EXPECT_TRUE(isWhite(stop));
    EXPECT_TRUE(startError->text().isEmpty());
    EXPECT_TRUE(stopError->text().isEmpty());

    // The same day and a start after the stop turn both red, from either picker.
    stop->setDate(QDate(2023, 4, 1));
    EXPECT_TRUE(isRed(start));
    EXPECT_TRUE(isRed(stop));
    EXPECT_EQ(startError->text(), "The start date must be before the stop date");
    EXPECT_EQ(stopError->text(), "The stop date must be after the start date");
    start->setDate(QDate(2023, 3, 31));
    EXPECT_TRUE(isWhite(start));
    EXPECT_TRUE(stopError->text().isEmpty());
    start->setDate(QDate(2023, 5, 2));
    EXPECT_TRUE(isRed(stop));

    // OK is not blocked by a flagged period; the choice is what the pickers hold.
    auto* ok = child<QPushButton>(dialog, "ButtonOK");
    EXPECT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    const shadowdata::PeriodChoice choice = dialog.choice();
    EXPECT_FALSE(choice.wholePeriod);
    EXPECT_EQ(choice.start, QDate(2023, 5, 2));
    EXPECT_EQ(choice.stop, QDate(2023, 4, 1));
    ASSERT_TRUE(choice.limits);
    EXPECT_EQ(choice.limits->maximum, kLimits.maximum);

    // Enter is OK, Escape is Cancel.
    dialog.show();
    pressKey(dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    dialog.show();
    pressKey(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

TEST(TFormRegenerateShadowData, LimitsRedOutsideAndClampingOnOK) {
    Environment env("2.29.0.0");
    env.controls->limits = kLimits;
    TFormRegenerateShadowData dialog(env.context);
    dialog.Prepare();
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), "Date selection");
    EXPECT_EQ(child<QLabel>(dialog, "Label1")->text(), "Select the first day of shadow data");
    EXPECT_EQ(child<QLabel>(dialog, "Label4")->text(), "First data:");
    EXPECT_EQ(child<QLabel>(dialog, "Label5")->text(), "Last data:");
    EXPECT_EQ(child<QLabel>(dialog, "Label2")->text(), "[2023-03-01]");
    EXPECT_EQ(child<QLabel>(dialog, "Label3")->text(), "[2023-06-30]");
    auto* picker = child<QDateEdit>(dialog, "DatePicker");
    auto* ok = child<QPushButton>(dialog, "ButtonOK");
    EXPECT_EQ(ok->text(), "&OK");
    EXPECT_EQ(picker->date(), QDate(2023, 3, 1));
    EXPECT_TRUE(ok->isEnabled());

    // Outside the limits by one day on either side: red and no OK.
    for (const QDate& outside : {QDate(2023, 2, 28), QDate(2023, 7, 1)}) {
        picker->setDate(outside);
        EXPECT_TRUE(isRed(picker));
        EXPECT_FALSE(ok->isEnabled());
    }
    // The last day itself is inside, whatever its time of day.
    picker->setDate(QDate(2023, 6, 30));
    EXPECT_TRUE(isWhite(picker));
    EXPECT_TRUE(ok->isEnabled());

    // It cannot be left but by OK.
    pressKey(dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    dialog.close();
    EXPECT_TRUE(dialog.isVisible());

    // OK holds the day to the limits (the handler may run with the button
    // disabled when a picker changes without notice).
    picker->blockSignals(true);
    picker->setDate(QDate(2024, 1, 1));
    picker->blockSignals(false);
    dialog.ButtonOKClick();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.chosenDate(), QDate(2023, 6, 30));
    EXPECT_EQ(dialog.minPcTimeStamp(), kLimits.minimum);

    dialog.show();
    picker->blockSignals(true);
    picker->setDate(QDate(2022, 12, 31));
    picker->blockSignals(false);
    pressKey(dialog, Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.chosenDate(), QDate(2023, 3, 1));
}

TEST(TFormRegenerateShadowData, WithoutRawDataAnyDayCanBeChosen) {
    Environment env("2.29.0.0");
    TFormRegenerateShadowData dialog(env.context);
    dialog.Prepare();
    dialog.show();
    auto* picker = child<QDateEdit>(dialog, "DatePicker");
    auto* ok = child<QPushButton>(dialog, "ButtonOK");
    EXPECT_EQ(child<QLabel>(dialog, "Label2")->text(), "[-]");
    EXPECT_EQ(picker->date(), QDate::currentDate());
    picker->setDate(QDate(2020, 5, 5));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(isWhite(picker));
    ok->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.chosenDate(), QDate(2020, 5, 5));
    EXPECT_FALSE(dialog.minPcTimeStamp().isValid());
}

TEST(TFormRGSDialog, ARestoreKeepsTheChosenPeriod) {
    Environment env("3.28.0.0");
    env.controls->limits = kLimits;
    TFormRGSDialog period(env.context);
    TFormRegenerateShadowData first(env.context);
    period.Prepare("North park");
    period.show();
    first.Prepare();
    first.show();
    auto* start = child<QDateEdit>(period, "DatePickerStart");
    auto* day = child<QDateEdit>(first, "DatePicker");
    start->setDate(QDate(2023, 4, 2));
    day->setDate(QDate(2023, 5, 3));

    // The limits change meanwhile; neither a restore nor a re-show reads
    // them again or presets the pickers anew.
    env.controls->limits.reset();
    for (QDialog* dialog : std::initializer_list<QDialog*>{&period, &first}) {
        dialog->showMinimized();
        dialog->showNormal();
        dialog->hide();
        dialog->show();
    }
    EXPECT_EQ(start->date(), QDate(2023, 4, 2));
    EXPECT_EQ(day->date(), QDate(2023, 5, 3));
    EXPECT_TRUE(period.limits());
    EXPECT_TRUE(first.limits());
    first.ButtonOKClick();
    period.reject();
}
