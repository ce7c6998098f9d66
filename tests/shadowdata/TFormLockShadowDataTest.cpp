// The shadow data sign-off window and its confirmation, headless: the rules
// for adding a record, the record each kind of user writes, failures that
// keep the entries, and the password check.

#include "ShadowTestSupport.h"
#include "app/TFormStatus.h"
#include "shadowdata/TFormLockConfirmation.h"
#include "shadowdata/TFormLockShadowData.h"
#include "support/Widgets.h"
#include "ui/Waiting.h"

#include <gtest/gtest.h>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using shadow_test::Environment;
using shadow_test::WhenShown;

namespace {

const QDateTime kStart(QDate(2024, 3, 1), QTime(0, 0));

TEST(SignOffRules, AddingNeedsAForwardPeriodAndADescriptionAndTheTitleNamesTheRecord) {
    const struct {
        QDateTime start, stop;
        const char* description;
        bool forward, add;
    } cases[] = {
        {kStart, kStart.addDays(1), "March", true, true}, {kStart, kStart.addSecs(1), "x", true, true},
        {kStart, kStart, "March", false, false},          {kStart.addDays(1), kStart, "March", false, false},
        {kStart, kStart.addDays(1), "", true, false},     {kStart, kStart.addDays(1), "  ", true, false},
        {QDateTime(), kStart, "March", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        const shadowdata::SignOffEntry entry{c.start, c.stop, QString::fromLatin1(c.description)};
        EXPECT_EQ(shadowdata::periodIsForward(entry), c.forward);
        EXPECT_EQ(shadowdata::mayAdd(entry), c.add);
    }
    // The confirmation's title by the user's kind and the lock state.
    EXPECT_EQ(
        (std::vector<int>{
            TFormLockConfirmation::titleText(true, true), TFormLockConfirmation::titleText(true, false),
            TFormLockConfirmation::titleText(false, true), TFormLockConfirmation::titleText(false, false)}),
        (std::vector<int>{71, 72, 73, 74}));
}

struct SignOff {
    Environment env{"3.28.0.0"};
    TFormStatus status{env.context};
    TFormLockConfirmation confirmation{env.context};
    TFormLockShadowData window{env.context};
    int profile = 0;
    int loads = 0;

    SignOff() {
        env.context.windows().status = &status;
        window.setConfirmation(&confirmation);
        env.database.exec("INSERT INTO TUser (UserInitials) VALUES ('ADM')");
        env.context.session().UserId = 1;
        profile = env.addProfile("North park");
        QObject::connect(&window, &TFormLockShadowData::loaded, [this](bool ok) { loads += ok ? 1 : 100; });
    }
    ~SignOff() {
        window.hide();
        env.context.windows().status = nullptr;
    }

    // Shows the window for `profileId` and waits for its list.
    bool open(int profileId) {
        const int before = loads;
        window.Prepare(profileId);
        window.show();
        return ui::waitUntil([&] { return loads != before; }, 10, 5000) && loads == before + 1;
    }
    bool reloaded(int before) {
        return ui::waitUntil([&] { return loads > before; }, 10, 5000);
    }
    template <typename T>
    T* child(const char* name) {
        return testing_support::child<T>(window, name);
    }
    QPushButton* ok() { return child<QPushButton>("ButtonOK"); }
    void enter(const QString& description, const QDateTime& start, const QDateTime& stop) {
        auto* edit = child<QLineEdit>("EditDescription");
        edit->clear();
        QTest::keyClicks(edit, description);
        child<QDateTimeEdit>("DatePickerStart")->setDateTime(start);
        child<QDateTimeEdit>("DatePickerStop")->setDateTime(stop);
    }
    // Presses OK and answers the confirmation with `password` and Enter;
    // returns the confirmation's title.
    QString confirm(const QString& password) {
        QString title;
        WhenShown answer(confirmation, [&] {
            title = confirmation.findChild<QLabel*>("LabelTitle")->text();
            auto* edit = confirmation.findChild<QLineEdit*>("EditPassword");
            EXPECT_TRUE(edit->text().isEmpty());
            QTest::keyClicks(edit, password);
            QTest::keyClick(edit, Qt::Key_Return);
        });
        ok()->click();
        EXPECT_TRUE(answer.fired());
        return title;
    }
    // The records written, "<locked><customer><description>" each.
    QString records() {
        return env.database
            .scalar(
                "SELECT group_concat(Locked || Customer || LockDescription, ',') FROM TShadowDataLockPeriod")
            .toString();
    }
};

}  // namespace

TEST(TFormLockShadowData, EachKindOfUserRecordsItsOwnKindOfRecord) {
    SignOff s;
    // Two records in place: the new ones go between them.
    s.env.database.exec(
        QStringLiteral("INSERT INTO TShadowDataLockPeriod (ReportProfileId, TimeFrom, TimeTo, "
                       "Locked, LockDescription, Customer, UserId, LastModifiedDateTimeStamp) "
                       "VALUES (%1, '2024-01-01 00:00:00', '2024-02-01 00:00:00', 1, 'first', "
                       "0, 1, '2024-02-02 00:00:00'), (%1, '2024-06-01 00:00:00', "
                       "'2024-07-01 00:00:00', 1, 'last', 0, 1, '2024-07-02 00:00:00')")
            .arg(s.profile));
    s.env.prompts.allowMessages();
    auto* check = s.child<QCheckBox>("CheckBoxLocked");
    const struct {
        bool maker, locking;
        int checkBoxText, title, message;
        const char* stored;
    } cases[] = {{false, false, 37, 74, 68, "01customer"}, {true, true, 36, 71, 67, "10maker"}};
    bool checked = true;  // at first
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        s.env.context.session().KorvaneUser = c.maker;
        ASSERT_TRUE(s.open(s.profile));
        // The check box keeps the state of the last opening.
        EXPECT_EQ(check->isChecked(), checked);
        checked = c.locking;
        EXPECT_EQ(check->text(), s.env.context.texts().profile(c.checkBoxText));
        check->setChecked(c.locking);
        // A day from now at first; OK waits for a description and a forward period.
        auto* stop = s.child<QDateTimeEdit>("DatePickerStop");
        EXPECT_EQ(s.child<QDateTimeEdit>("DatePickerStart")->dateTime().secsTo(stop->dateTime()), 24 * 3600);
        EXPECT_FALSE(s.ok()->isEnabled());
        const QString description = QString::fromLatin1(c.stored).mid(2);
        s.enter(description, kStart, kStart);
        EXPECT_FALSE(s.ok()->isEnabled());
        EXPECT_EQ(s.child<QLabel>("LabelStartError")->text(), s.env.context.texts().profile(20));
        EXPECT_EQ(stop->palette().color(QPalette::Base), QColor(Qt::red));
        stop->setDateTime(kStart.addDays(31));
        EXPECT_TRUE(s.child<QLabel>("LabelStopError")->text().isEmpty());
        const int loads = s.loads;
        EXPECT_EQ(s.confirm("anything"), s.env.context.texts().profile(c.title));
        ASSERT_TRUE(s.reloaded(loads));
        const auto shown = s.env.prompts.take();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text, s.env.context.texts().profile(c.message));
        EXPECT_EQ(shown[0].caption, s.env.context.texts().profile(66));
        EXPECT_TRUE(s.records().contains(QString::fromLatin1(c.stored)));
        EXPECT_TRUE(s.child<QLineEdit>("EditDescription")->text().isEmpty());
        // In TimeFrom order: between the two records there were.
        const db::DataSet& list = s.window.dataSet();
        const int last = list.recordCount() - 1;
        EXPECT_EQ(list.valueAt(last - 1, list.fieldIndex("LockDescription")).toString(), description);
        EXPECT_EQ(list.valueAt(last, list.fieldIndex("LockDescription")).toString(), "last");
        EXPECT_EQ(list.valueAt(last - 1, list.fieldIndex("UserInitials")).toString(), "ADM");
        s.window.hide();
    }
}

TEST(TFormLockShadowData, RefusalsKeepTheEntriesAndALoadFailureCloses) {
    SignOff s;
    s.env.prompts.allowMessages();
    ASSERT_TRUE(s.open(s.profile));
    // A user the database does not know, then a password the login does not
    // have: nothing is written, the entries stay.
    s.env.context.session().UserId = 99;
    s.child<QCheckBox>("CheckBoxLocked")->setChecked(false);
    s.enter("March", kStart, kStart.addDays(31));
    s.confirm("x");
    EXPECT_EQ(s.env.prompts.lastText(), s.env.context.texts().profile(65));
    s.env.context.session().UserId = 1;
    s.env.context.session().OnlineConnection.Password = "Tr4ce-me-not";
    s.child<QCheckBox>("CheckBoxLocked")->setChecked(true);
    s.confirm("Wrong-entry");
    EXPECT_EQ(s.env.prompts.lastText(), s.env.context.texts().profile(69));
    EXPECT_TRUE(s.records().isEmpty());
    EXPECT_EQ(s.child<QLineEdit>("EditDescription")->text(), "March");
    const int loads = s.loads;
    s.confirm("Tr4ce-me-not");
    ASSERT_TRUE(s.reloaded(loads));
    EXPECT_EQ(s.records(), "11March");
    const QString trace = s.env.trace.texts().join('\n');
    EXPECT_FALSE(trace.contains("Wrong-entry"));
    EXPECT_FALSE(trace.contains("Tr4ce"));
    s.window.hide();

    // A profile the database does not know: text 61 and the window closes.
    EXPECT_FALSE(s.open(4711));
    EXPECT_EQ(s.env.prompts.lastText(), s.env.context.texts().profile(61));
    EXPECT_FALSE(s.window.isVisible());
}
