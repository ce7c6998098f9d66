// The categorization type choice: event or derate source categorization.

#include "CategorizationTestSupport.h"
#include "categorization/TFormSelectCategorizationType.h"

#include <gtest/gtest.h>
#include <QPushButton>
#include <QRadioButton>

using categorization_test::Environment;
using categorization_test::WhenShown;

TEST(TFormSelectCategorizationType, ResultsAndCaptions) {
    Environment env;
    TFormSelectCategorizationType dialog(env.context);
    auto* event = dialog.findChild<QRadioButton*>("RadioButtonEventCategorization");
    auto* derate = dialog.findChild<QRadioButton*>("RadioButtonDerateSourceCategorization");
    auto* ok = dialog.findChild<QPushButton*>("ButtonOK");
    auto* cancel = dialog.findChild<QPushButton*>("ButtonCancel");
    ASSERT_TRUE(event && derate && ok && cancel);

    {
        WhenShown choose(dialog, [&] {
            text::TextTables& texts = env.context.texts();
            EXPECT_EQ(dialog.windowTitle(), texts.profile(510));
            EXPECT_EQ(event->text(), texts.profile(511));
            EXPECT_EQ(derate->text(), texts.profile(512));
            EXPECT_EQ(ok->text(), texts.profile(50));
            EXPECT_EQ(cancel->text(), texts.profile(51));
            EXPECT_TRUE(event->isChecked());
            derate->click();
            ok->click();
        });
        EXPECT_EQ(dialog.Execute(), QDialog::Accepted);
        EXPECT_EQ(dialog.CategorizationType(), 2);
    }
    // Every showing starts with the event choice.
    {
        WhenShown accept(dialog, [&] { ok->click(); });
        EXPECT_EQ(dialog.Execute(), QDialog::Accepted);
        EXPECT_EQ(dialog.CategorizationType(), 1);
    }
    {
        WhenShown leave(dialog, [&] {
            derate->click();
            cancel->click();
        });
        EXPECT_EQ(dialog.Execute(), QDialog::Rejected);
    }
}
