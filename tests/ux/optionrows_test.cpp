// The game's option rows: each row's wiring (the inner control focused by the mouse, the caption
// following its activation), key input rows not taking the focus while one of their list
// listens, the date row's lists and SetDate; missing parts told at load.
#include "uxfixture.h"

#include "morvane/ux/datecontrol.h"
#include "morvane/ux/extendedcheckbox.h"
#include "morvane/ux/extendedkeyinput.h"
#include "morvane/ux/extendedlabel.h"
#include "morvane/ux/extendedselector.h"
#include "morvane/ux/extendedslider.h"
#include "morvane/ux/extendedtextbox.h"
#include "morvane/ux/extendedtrackbar.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.textbox.h"

#include <string>

namespace
{
// A form of layer 1 holding a row of every kind (two key input rows), each with its parts.
void WriteRows(TUxDataWriter& data)
{
    data.AddLayer("layer0");
    UX::TLayer* layer = data.AddLayer("layer1");
    auto* form = data.AddControl<UX::TForm>("rows", nullptr);
    form->LayerIndex = 1;
    form->SetSize(1200.0f, 1000.0f);
    data.AddFormToLayer(form, layer);
    f32 y = 0.0f;
    auto row = [&](auto* control) {
        control->SetPosition(0.0f, y);
        control->SetSize(1000.0f, 60.0f);
        y += 70.0f;
        control->pLabel = data.AddControl<UX::TLabel>(nullptr, control);
        control->pLabel->SetSize(300.0f, 60.0f);
        return control;
    };
    auto part = [&](auto* control, f32 x) {
        control->SetPosition(x, 0.0f);
        control->SetSize(200.0f, 60.0f);
        control->nFlags |= UX::CONTROL_FOCUSABLE;
        return control;
    };
    auto* check = row(data.AddControl<UX::TExtendedCheckBox>("row_check", form));
    check->pCheckBox = part(data.AddControl<UX::TCheckBox>("row_check_box", check), 400.0f);
    auto* selector = row(data.AddControl<UX::TExtendedSelector>("row_selector", form));
    selector->pSelector = part(data.AddControl<UX::TSelector>("row_selector_inner", selector), 400.0f);
    auto* label = row(data.AddControl<UX::TExtendedLabel>("row_label", form));
    label->pValue = part(data.AddControl<UX::TLabel>("row_label_value", label), 400.0f);
    auto* text = row(data.AddControl<UX::TExtendedTextBox>("row_text", form));
    text->pTextBox = part(data.AddControl<UX::TTextBox>("row_text_box", text), 400.0f);
    for (const char* name : {"row_keys_1", "row_keys_2"})
    {
        auto* keys = row(data.AddControl<UX::TExtendedKeyInput>(name, form));
        keys->pButtonPrimary = part(data.AddControl<UX::TCheckBox>((std::string(name) + "_a").c_str(), keys), 400.0f);
        keys->pButtonSecondary =
            part(data.AddControl<UX::TCheckBox>((std::string(name) + "_b").c_str(), keys), 700.0f);
    }
    auto* track = row(data.AddControl<UX::TExtendedTrackBar>("row_track", form));
    track->pLeft = part(data.AddControl<UX::TButton>("row_track_left", track), 400.0f);
    track->pRight = part(data.AddControl<UX::TButton>("row_track_right", track), 800.0f);
    track->pTrackbar = part(data.AddControl<UX::TTrackBar>("row_track_bar", track), 600.0f);
    track->pTrackbar->Value = 0;
    auto* date = row(data.AddControl<UX::TDateControl>("row_date", form));
    const char* lists[3] = {"row_year", "row_month", "row_day"};
    UX::TComboBox* combos[3];
    for (int i = 0; i < 3; ++i)
    {
        combos[i] = part(data.AddControl<UX::TComboBox>(lists[i], date), 400.0f + 200.0f * static_cast<f32>(i));
        combos[i]->SetSize(180.0f, 40.0f);
    }
    date->pYear = combos[0];
    date->pMonth = combos[1];
    date->pDay = combos[2];
}

class OptionRowsTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        LoadWritten(WriteRows);
        Ux().PrepareForm(TName("rows", true))->Show(2);
        Frame();
    }
    template <class T> T* Row(const char* name) { return static_cast<T*>(Named(name)); }
    static bool Highlighted(const UX::TOptionRow* row) { return row->pLabel->nFlags & UX::CONTROL_FOCUSED; }
    static void Enter(UX::TControl* control) { control->Event(UX::EVENT_MOUSE_ENTER).Invoke(control, nullptr); }
};
} // namespace

// The inner control takes the focus when the mouse enters it (or the row), and the caption shows
// its focused state while it is active.
TEST_F(OptionRowsTest, InnerControlsTakeTheFocusAndTheCaptionFollows)
{
    auto* check = Row<UX::TExtendedCheckBox>("row_check");
    Enter(check->pCheckBox);
    EXPECT_EQ(Ux().GetFocus(), check->pCheckBox);
    EXPECT_TRUE(Highlighted(check));
    auto* selector = Row<UX::TExtendedSelector>("row_selector");
    selector->OnMouseEnter(nullptr);
    EXPECT_EQ(Ux().GetFocus(), selector->pSelector);
    EXPECT_TRUE(Highlighted(selector));
    EXPECT_FALSE(Highlighted(check));
    // The text box's enter does nothing; its activation still lights the caption.
    auto* text = Row<UX::TExtendedTextBox>("row_text");
    Enter(text->pTextBox);
    EXPECT_EQ(Ux().GetFocus(), selector->pSelector);
    text->pTextBox->SetFocus();
    EXPECT_TRUE(Highlighted(text));
    auto* track = Row<UX::TExtendedTrackBar>("row_track");
    track->OnMouseEnter(nullptr);
    EXPECT_EQ(Ux().GetFocus(), track->pTrackbar);
    EXPECT_FALSE(Highlighted(text));
}

// While a key button of the list is checked (waiting for a key), entering other key buttons does
// not move the focus.
TEST_F(OptionRowsTest, KeyRowsKeepTheFocusWhileOneListens)
{
    auto* first = Row<UX::TExtendedKeyInput>("row_keys_1");
    auto* second = Row<UX::TExtendedKeyInput>("row_keys_2");
    Enter(second->pButtonSecondary);
    EXPECT_EQ(Ux().GetFocus(), second->pButtonSecondary);
    EXPECT_TRUE(Highlighted(second));
    first->OnMouseEnter(nullptr);
    EXPECT_EQ(Ux().GetFocus(), first->pButtonPrimary);
    first->pButtonPrimary->SetChecked(1, 1);
    EXPECT_TRUE(second->IsListening());
    Enter(second->pButtonPrimary);
    second->OnMouseEnter(nullptr);
    EXPECT_EQ(Ux().GetFocus(), first->pButtonPrimary);
    first->pButtonPrimary->SetChecked(0, 1);
    Enter(second->pButtonPrimary);
    EXPECT_EQ(Ux().GetFocus(), second->pButtonPrimary);
}

// The date row's lists: this year back 99 years, 12 months, always 31 days; SetDate with this
// year chooses the first year; dates outside the lists choose the nearest entries.
TEST_F(OptionRowsTest, TheDateRowListsAndSetDate)
{
    auto* date = Row<UX::TDateControl>("row_date");
    const i32 year = UX::TDateControl::CurrentYear();
    ASSERT_EQ(date->pYear->Items.GetCount(), 100u);
    EXPECT_EQ(std::u16string(date->pYear->Items.GetText(0).GetText()), [&] {
        std::u16string text;
        for (char c : std::to_string(year))
            text += static_cast<char16_t>(c);
        return text;
    }());
    EXPECT_EQ(date->pMonth->Items.GetCount(), 12u);
    EXPECT_EQ(date->pDay->Items.GetCount(), 31u);
    EXPECT_EQ(std::u16string(date->pDay->Items.GetText(30).GetText()), u"31");
    date->SetDate({static_cast<i16>(year - 20), 2, 0, 30, {}});
    EXPECT_EQ(date->GetYear(), year - 20);
    EXPECT_EQ(date->pMonth->SelectedIndex, 1);
    EXPECT_EQ(date->pDay->SelectedIndex, 29);
    date->SetDate({static_cast<i16>(year), 1, 0, 1, {}});
    EXPECT_EQ(date->pYear->SelectedIndex, 0);
    EXPECT_EQ(date->GetYear(), year);
    date->SetDate({static_cast<i16>(year - 150), 0, 0, 0, {}});
    EXPECT_EQ(date->pYear->SelectedIndex, 99);
    EXPECT_EQ(date->pMonth->SelectedIndex, 0);
    EXPECT_EQ(date->pDay->SelectedIndex, 0);
    // The lists are centred in the row.
    EXPECT_NEAR(date->pDay->Computed.Rect.y + date->pDay->Computed.Rect.height / 2.0f,
                date->Computed.Rect.y + date->Computed.Rect.height / 2.0f, 1.0f);
}

// Missing parts are told with the row's name, and their wiring is skipped.
TEST_F(OptionRowsTest, MissingPartsAreToldAtLoad)
{
    LoadWritten([](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        data.AddControl<UX::TExtendedTrackBar>("bare_track", layer);
        auto* check = data.AddControl<UX::TExtendedCheckBox>("bare_check", layer);
        check->pLabel = data.AddControl<UX::TLabel>(nullptr, check);
        data.AddControl<UX::TDateControl>("bare_date", layer);
    });
    EXPECT_TRUE(Logged("'bare_track': no track bar: its work is skipped"));
    EXPECT_TRUE(Logged("'bare_track': no caption: its work is skipped"));
    EXPECT_TRUE(Logged("'bare_check': no check box: its work is skipped"));
    EXPECT_FALSE(Logged("'bare_check': no caption"));
    // Their wiring is skipped: the mouse on them does nothing.
    UX::TExtendedCheckBox::Manager().Get(0)->OnMouseEnter(nullptr);
    EXPECT_TRUE(Logged("'bare_date': no year list: its work is skipped"));
}
