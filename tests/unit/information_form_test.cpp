// The duplicate prompt's layout and answers.

#include <gtest/gtest.h>

#include "base/form.h"
#include "settings/information_form.h"

namespace tarvex::settings {
namespace {

using base::ControlKind;
using base::Rect;

TEST(InformationForm, LayoutAt96Dpi) {
    const TfrmInformation form;
    EXPECT_EQ(form.caption, u"Information");
    EXPECT_EQ(form.clientWidth, 310);
    EXPECT_EQ(form.clientHeight, 149);
    EXPECT_EQ(form.fontPoints, 8);
    EXPECT_TRUE(form.fontName == u"MS Shell Dlg" || form.fontName == u"MS Sans Serif");
    ASSERT_EQ(form.ControlCount(), 3);

    const base::FormControl& label = form.Control("lblMessage");
    EXPECT_EQ(label.kind, ControlKind::Label);
    EXPECT_EQ(label.caption, u"lblMessage");
    EXPECT_EQ(form.ClientBounds(form.MessageLabel()), (Rect{16, 55, 281, 25}));
    EXPECT_TRUE(label.wordWrap);

    const base::FormControl& yes = form.Control(form.YesButton());
    EXPECT_EQ(yes.kind, ControlKind::Button);
    EXPECT_EQ(yes.caption, u"Yes");
    EXPECT_EQ(form.ClientBounds(form.YesButton()), (Rect{144, 112, 75, 25}));
    EXPECT_EQ(yes.modalResult, base::modal_result::Yes);
    const base::FormControl& no = form.Control(form.NoButton());
    EXPECT_EQ(no.caption, u"No");
    EXPECT_EQ(form.ClientBounds(form.NoButton()), (Rect{224, 112, 75, 25}));
    EXPECT_EQ(no.modalResult, base::modal_result::No);

    EXPECT_EQ(form.TabSequence(),
              (std::vector<int>{form.MessageLabel(), form.YesButton(), form.NoButton()}));
    EXPECT_EQ(form.FirstFocus(), form.YesButton()) << "Enter right after opening answers Yes";
}

} // namespace
} // namespace tarvex::settings
