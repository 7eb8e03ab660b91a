// Linked with the table generated from testdata/forms.rc: texts that need
// quoting reach the program as written, and a dialog without controls
// compiles.
#include <gtest/gtest.h>

#include "resources/resource_ids.h"
#include "test_support.h"
#include "ui/layout/dialog_layout.h"

namespace {

TEST(FormsTable, HoldsTheScript) { expectTableMatchesScript(kDialogLayouts, FORMS_RC_PATH); }

TEST(FormsTable, TextsAndIdsSurviveTheCompiler) {
    const DialogLayout& main = kDialogLayouts[kMainDialog];
    EXPECT_STREQ(main.caption, "Say \"hi\", a back\\slash, a tab\there, ?\?= and ? marks");
    EXPECT_STREQ(main.fontFace, "MS Shell Dlg");
    ASSERT_EQ(main.controlCount, 6);
    EXPECT_STREQ(main.controls[0].text, "Ａ&&B");
    EXPECT_EQ(main.controls[0].id, IDC_STATIC_TEXT);
    EXPECT_EQ(main.controls[3].id, 104);
    EXPECT_EQ(main.controls[4].id, IDC_ITEM_FIRST + 2);
    EXPECT_EQ(main.controls[5].id, 10);
    EXPECT_STREQ(main.controls[5].text, "");

    EXPECT_STREQ(kDialogLayouts[kSoundDialog].caption, "");
    EXPECT_EQ(kDialogLayouts[kLogDialog].controls, nullptr);
    EXPECT_EQ(kDialogLayouts[kLogDialog].controlCount, 0);
}

}  // namespace
