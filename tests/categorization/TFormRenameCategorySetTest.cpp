// The one-line text dialog: the characters that would break the save lists
// never get in, typed or pasted; OK and Escape.

#include "CategorizationTestSupport.h"
#include "categorization/TFormRenameCategorySet.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace categorization_test;

TEST(TFormRenameCategorySet, RefusedCharactersNeverGetIn) {
    Environment env;
    TFormRenameCategorySet dialog(env.context);
    QLineEdit* edit = dialog.edit();

    WhenShown typing(dialog, [&] {
        // Offered without what typing cannot enter either.
        EXPECT_EQ(edit->text(), "Old title");
        EXPECT_EQ(edit->selectedText(), "Old title");
        QTest::keyClicks(edit, "A'b;c,d\"e f");
        EXPECT_EQ(edit->text(), "Abcde f");

        // Pasted text is cleaned, and the cursor stays behind what was pasted.
        QGuiApplication::clipboard()->setText("x;y,'z\"");
        edit->setCursorPosition(1);
        edit->paste();
        EXPECT_EQ(edit->text(), "Axyzbcde f");
        EXPECT_EQ(edit->cursorPosition(), 4);
        QTest::keyClicks(edit, "!");
        EXPECT_EQ(edit->text(), "Axyz!bcde f");
        QTest::keyClick(edit, Qt::Key_Return);  // OK is the default button
    });
    const auto entered = dialog.ask("Label shown", "Old, title");
    ASSERT_TRUE(typing.fired());
    ASSERT_TRUE(entered);
    EXPECT_EQ(*entered, "Axyz!bcde f");

    // Untrimmed and unchanged: the caller decides; at most 100 characters.
    WhenShown longText(dialog, [&] {
        edit->selectAll();
        QTest::keyClicks(edit, QString(" ") + QString(120, u'q'));
        dialog.findChild<QPushButton*>("OkButton")->click();
    });
    const auto clipped = dialog.ask("Label", "");
    ASSERT_TRUE(clipped);
    EXPECT_EQ(clipped->size(), 100);
    EXPECT_TRUE(clipped->startsWith(" q"));

    // Escape cancels.
    WhenShown escape(dialog, [&] {
        QTest::keyClicks(edit, "changed");
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.ask("Label", "kept"));
    EXPECT_TRUE(escape.fired());
}
