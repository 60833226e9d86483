// The simulated desktop answers forms and message boxes for the user and records them.

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/form.h"
#include "settings/information_form.h"
#include "sim/desktop/desktop.h"

namespace tarvex::sim {
namespace {

using base::modal_result::Cancel;
using base::modal_result::No;
using base::modal_result::Yes;
using settings::TfrmInformation;

// A form whose OnShow sets its label and whose Help button ends nothing.
class ShowingForm : public base::Form {
public:
    ShowingForm() {
        caption = u"Showing";
        base::FormControl label;
        label.name = "lblState";
        label.caption = u"created";
        AddControl(std::move(label));
        base::FormControl help;
        help.name = "btnHelp";
        help.kind = base::ControlKind::Button;
        help.caption = u"Help";
        AddControl(std::move(help));
    }
    int resultOnShow = base::modal_result::None;
    int helpClicks = 0;

protected:
    void OnShow() override {
        SetCaption(0, u"shown");
        SetModalResult(resultOnShow);
    }
    void OnClick(int index) override { helpClicks += index == 1; }
};

base::HResult CodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const base::Error& error) {
        return error.Code();
    }
    return base::hr::Ok;
}

TEST(SimDesktopForms, UnansweredFormIsClosedWithItsCloseBox) {
    SimDesktop desktop;
    TfrmInformation prompt;
    EXPECT_EQ(desktop.ShowModal(prompt), Cancel);
    EXPECT_EQ(prompt.ModalResult(), Cancel);
    ASSERT_EQ(desktop.ShownForms().size(), 1u);
    EXPECT_EQ(desktop.ShownForms()[0].result, Cancel);
}

TEST(SimDesktopForms, ClickingAButtonAnswersWithItsResult) {
    SimDesktop desktop;
    desktop.SetModalHandler(ClickButton(u"Yes"));
    TfrmInformation prompt;
    EXPECT_EQ(desktop.ShowModal(prompt), Yes);
    desktop.SetModalHandler(ClickButton(u"No"));
    EXPECT_EQ(desktop.ShowModal(prompt), No) << "a form shown again starts without a result";
    desktop.SetModalHandler(CloseBox());
    EXPECT_EQ(desktop.ShowModal(prompt), Cancel);
}

TEST(SimDesktopForms, AClickThatEndsTheFormWinsOverTheReturnedValue) {
    SimDesktop desktop;
    desktop.SetModalHandler([](base::Form& form) {
        form.UserClick(form.IndexOf("btnNo"));
        form.UserClick(form.IndexOf("btnYes")); // the dialog is gone: ignored
        return Cancel;
    });
    TfrmInformation prompt;
    EXPECT_EQ(desktop.ShowModal(prompt), No);
}

TEST(SimDesktopForms, RecordsWhatTheFormShowedWhenItOpenedAndItsOwner) {
    SimDesktop desktop;
    desktop.SetOwnerWindow(0x1234);
    desktop.SetModalHandler([&](base::Form& form) {
        desktop.SetOwnerWindow(0x9999);
        static_cast<TfrmInformation&>(form).SetMessage(u"changed while open");
        return Cancel;
    });
    TfrmInformation prompt;
    prompt.SetMessage(u"Entered value is duplicate of cell B3. Go to cell B3?");
    desktop.ShowModal(prompt);
    ASSERT_EQ(desktop.ShownForms().size(), 1u);
    const ShownForm& shown = desktop.ShownForms()[0];
    EXPECT_EQ(shown.caption, u"Information");
    EXPECT_EQ(shown.controlCaptions,
              (std::vector<std::u16string>{u"Entered value is duplicate of cell B3. Go to cell B3?",
                                           u"Yes", u"No"}));
    EXPECT_EQ(shown.owner, 0x1234u);

    desktop.SetModalHandler(CloseBox());
    ShowingForm showing;
    desktop.ShowModal(showing);
    EXPECT_EQ(desktop.ShownForms()[1].controlCaptions[0], u"shown") << "recorded after OnShow";
    desktop.ClearRecords();
    EXPECT_TRUE(desktop.ShownForms().empty());
}

TEST(SimDesktopForms, FormsShownFromAnAnswerAreRecordedInOrder) {
    SimDesktop desktop;
    desktop.SetModalHandler([&](base::Form& form) {
        if (form.caption == u"Information") {
            ShowingForm inner;
            desktop.ShowModal(inner);
            form.UserClick(form.IndexOf("btnYes"));
        }
        return Cancel;
    });
    TfrmInformation prompt;
    EXPECT_EQ(desktop.ShowModal(prompt), Yes);
    ASSERT_EQ(desktop.ShownForms().size(), 2u);
    EXPECT_EQ(desktop.ShownForms()[0].caption, u"Information");
    EXPECT_EQ(desktop.ShownForms()[0].result, Yes);
    EXPECT_EQ(desktop.ShownForms()[1].caption, u"Showing");
    EXPECT_EQ(desktop.ShownForms()[1].result, Cancel);
}

TEST(SimDesktopForms, AResultSetByOnShowEndsItWithoutAnAnswer) {
    SimDesktop desktop;
    int answers = 0;
    desktop.SetModalHandler([&](base::Form&) { return ++answers, Cancel; });
    ShowingForm form;
    form.resultOnShow = base::modal_result::Ok;
    EXPECT_EQ(desktop.ShowModal(form), base::modal_result::Ok);
    EXPECT_EQ(answers, 0);
}

TEST(SimDesktopForms, AnswersThatCannotBeGivenFailLoudly) {
    SimDesktop desktop;
    TfrmInformation prompt;
    desktop.SetModalHandler(ClickButton(u"Maybe"));
    EXPECT_EQ(CodeOf([&] { desktop.ShowModal(prompt); }), base::hr::InvalidArg);

    prompt.SetEnabled(prompt.YesButton(), false);
    desktop.SetModalHandler(ClickButton(u"Yes"));
    EXPECT_EQ(CodeOf([&] { desktop.ShowModal(prompt); }), base::hr::InvalidArg)
        << "a disabled button cannot be clicked";

    ShowingForm form;
    desktop.SetModalHandler(ClickButton(u"Help"));
    EXPECT_EQ(CodeOf([&] { desktop.ShowModal(form); }), base::hr::Unexpected)
        << "Help ends nothing: the form would stay open for ever";
    EXPECT_EQ(form.helpClicks, 1);
    EXPECT_EQ(desktop.ShownForms().back().result, base::modal_result::None);
}

TEST(SimDesktopMessages, UnansweredBoxesAreDismissedAsTheirCloseBoxWould) {
    SimDesktop desktop;
    desktop.SetOwnerWindow(0x42);
    using namespace host::message_box;
    EXPECT_EQ(desktop.ShowMessage(u"text", u"Tarvex", Ok | IconError), 1);
    EXPECT_EQ(desktop.ShowMessage(u"text", u"Tarvex", OkCancel), 2);
    EXPECT_EQ(desktop.ShowMessage(u"text", u"Tarvex", 3 /* Yes, No, Cancel */), 2);
    EXPECT_EQ(CodeOf([&] { desktop.ShowMessage(u"text", u"Tarvex", YesNo); }), base::hr::Unexpected)
        << "a Yes/No box has no close box: someone must answer";
    ASSERT_EQ(desktop.ShownMessages().size(), 4u);
    const ShownMessage& first = desktop.ShownMessages()[0];
    EXPECT_EQ(first.text, u"text");
    EXPECT_EQ(first.caption, u"Tarvex");
    EXPECT_EQ(first.style, Ok | IconError);
    EXPECT_EQ(first.owner, 0x42u);
    EXPECT_EQ(first.result, 1);
}

TEST(SimDesktopMessages, HandlerAnswersWithButtonsTheBoxHas) {
    SimDesktop desktop;
    std::vector<std::u16string> seen;
    desktop.SetMessageHandler([&](const ShownMessage& message) {
        seen.push_back(message.text);
        return 6;
    });
    EXPECT_EQ(desktop.ShowMessage(u"Go?", u"Tarvex", host::message_box::YesNo), 6);
    EXPECT_EQ(CodeOf([&] { desktop.ShowMessage(u"Done", u"Tarvex", host::message_box::Ok); }),
              base::hr::InvalidArg)
        << "an OK box has no Yes button";
    EXPECT_EQ(seen, (std::vector<std::u16string>{u"Go?", u"Done"}));
    EXPECT_EQ(desktop.ShownMessages()[0].result, 6);
}

} // namespace
} // namespace tarvex::sim
