// The categorization type choice: event or derate source categorization,
// every showing starting with events.

#include "CategorizationTestSupport.h"
#include "categorization/TFormSelectCategorizationType.h"

#include <gtest/gtest.h>
#include <QPushButton>
#include <QRadioButton>

using categorization_test::Environment;
using categorization_test::WhenShown;

TEST(TFormSelectCategorizationType, EveryShowingStartsWithEvents) {
    Environment env;
    TFormSelectCategorizationType dialog(env.context);
    auto* derate = dialog.findChild<QRadioButton*>("RadioButtonDerateSourceCategorization");
    auto* ok = dialog.findChild<QPushButton*>("ButtonOK");
    auto* cancel = dialog.findChild<QPushButton*>("ButtonCancel");
    ASSERT_TRUE(derate && ok && cancel);
    struct Case {
        bool derate;
        QPushButton* button;
        int result;
        int type;
    };
    const Case cases[] = {{true, ok, QDialog::Accepted, 2},
                          {false, ok, QDialog::Accepted, 1},
                          {true, cancel, QDialog::Rejected, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        WhenShown answer(dialog, [&] {
            if (c.derate) derate->click();
            c.button->click();
        });
        EXPECT_EQ(dialog.Execute(), c.result);
        if (c.result == QDialog::Accepted) EXPECT_EQ(dialog.CategorizationType(), c.type);
    }
}
