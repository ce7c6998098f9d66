// The manage-category-set dialog on its own: it edits a copy, and hands it
// over only on OK (its list rules: CategorySetOrderTest); the one-line text
// dialog: the characters that would break the save lists never get in,
// typed or pasted; OK and Escape.

#include "CategorizationTestSupport.h"
#include "categorization/TFormManageCategorySet.h"
#include "categorization/TFormRenameCategorySet.h"

#include <gtest/gtest.h>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

using categorization::CategorySetOrderEntry;
using namespace categorization_test;

namespace {

std::vector<CategorySetOrderEntry> threeSets() {
    return {{1, 8, 1, true, "Contractual"}, {2, 6, 2, true, "Technical"}, {3, 4, 3, false, "Owner"}};
}

QStringList titles(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
    return out;
}

}  // namespace

TEST(TFormManageCategorySet, EditsACopyUntilOk) {
    Environment env;
    TFormRenameCategorySet rename(env.context);
    TFormManageCategorySet dialog(env.context, rename);
    auto* list = dialog.findChild<QListWidget*>("CheckListBoxCategorySet");
    auto* up = dialog.findChild<QToolButton*>("BitBtnUp");
    auto* down = dialog.findChild<QToolButton*>("BitBtnDown");
    auto* renameButton = dialog.findChild<QPushButton*>("ButtonRename");
    ASSERT_TRUE(list && up && down && renameButton);

    // Cancel: the caller's sets stay as they were.
    std::vector<CategorySetOrderEntry> entries = threeSets();
    WhenShown cancel(dialog, [&] {
        list->setCurrentRow(2);
        QTest::mouseClick(up, Qt::LeftButton);
        list->item(0)->setCheckState(Qt::Checked);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute(entries));
    EXPECT_TRUE(cancel.fired());
    EXPECT_EQ(entries[2].sortOrder, 3);
    EXPECT_EQ(entries[0].title, "Contractual");

    // OK: the moves, marks and titles come back.
    WhenShown edit(dialog, [&] {
        // A refused switch shows its mark again.
        list->item(0)->setCheckState(Qt::Unchecked);
        EXPECT_EQ(list->item(0)->checkState(), Qt::Checked);
        list->item(2)->setCheckState(Qt::Checked);
        list->item(1)->setCheckState(Qt::Unchecked);
        list->setCurrentRow(1);
        EXPECT_FALSE(up->isEnabled());  // the buttons follow the selection
        QTest::mouseClick(down, Qt::LeftButton);
        EXPECT_EQ(titles(list), (QStringList{"Contractual", "Owner", "Technical"}));
        EXPECT_EQ(list->currentRow(), 2);
        EXPECT_TRUE(up->isEnabled());

        // An empty title is accepted as it is.
        WhenShown empty(rename, [&] {
            rename.edit()->clear();
            rename.accept();
        });
        QTest::mouseClick(renameButton, Qt::LeftButton);
        EXPECT_TRUE(empty.fired());
        EXPECT_EQ(list->item(2)->text(), "");
        EXPECT_EQ(list->currentRow(), 2);
        dialog.findChild<QPushButton*>("OkButton")->click();
    });
    ASSERT_TRUE(dialog.Execute(entries));
    EXPECT_TRUE(edit.fired());
    EXPECT_EQ(entries[1].sortOrder, 3);
    EXPECT_FALSE(entries[1].enabled);
    EXPECT_EQ(entries[1].title, "");
    EXPECT_EQ(entries[2].sortOrder, 2);
    EXPECT_TRUE(entries[2].enabled);
    EXPECT_TRUE(entries[0].enabled);
}

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
