// The demonstration form as the game shows it, at the two sizes the game is played in: faded in by
// ux_form_show, its first button normal, hovered, pressed, focused and disabled, the form halfway
// through its fade, the check box on, a tool tip shown, the screen half faded to black, the text
// boxes with a selection and scrolled, the form dragged and its modal confirmation, the settings
// tab with its resolution list dropped down.
#include "uxfixture.h"

#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/rendermanager.h"
#include "engine/system/command/commandmanager.h"
#include "platform/d3d9/golden.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.actions.h"

#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>

namespace
{
class DemoTest : public UxTest, public ::testing::WithParamInterface<std::pair<i32, i32>>
{
protected:
    void SetUp() override
    {
        // The saved games' times show in local time: the images are made in one zone.
        if (const char* zone = std::getenv("TZ"))
            savedZone = zone;
        setenv("TZ", "UTC", 1);
        tzset();
        UxTest::SetUp();
        SetLanguage("english");
        Resize(GetParam().first, GetParam().second);
        form = Form();
        button = Find("ux_demo_button_1");
    }

    void TearDown() override
    {
        UxTest::TearDown();
        if (savedZone.empty())
            unsetenv("TZ");
        else
            setenv("TZ", savedZone.c_str(), 1);
        tzset();
    }

    // The form shown by the command, its fade over.
    void ShowForm()
    {
        TCommandManager::Instance().ExecuteText("ux.form.show \"UXDemo\"");
        Frames(45);
    }


    std::string Golden(const char* state)
    {
        Draw(0xFF304050);
        const std::string name =
            std::string("uxdemo_") + state + "_" + std::to_string(Width()) + "x" + std::to_string(Height());
        return CompareWithGolden(name, BackBuffer(), Width(), Height());
    }

    UX::TControl* form = nullptr;
    UX::TControl* button = nullptr;
    std::string savedZone;
};

const std::pair<i32, i32> kSizes[] = {{1280, 720}, {1920, 1200}};
} // namespace

INSTANTIATE_TEST_SUITE_P(Sizes, DemoTest, ::testing::ValuesIn(kSizes));

// Each picture of the form: the steps that bring it about from the shown form, then its image.
TEST_P(DemoTest, EachStateMatchesItsGoldenImage)
{
    auto click = [](const char* name) {
        UX::TControl* control = Find(name);
        control->DoAction(control, UX::ClickAction(), 0);
    };
    struct TCase
    {
        const char* name;
        std::function<void()> steps;
        i32 frames;
        std::function<void()> check;
    };
    const TCase cases[] = {
        {"normal", [] {}, 0, [&] { EXPECT_EQ(button->nState, UX::STATE_NORMAL); }},
        {"hovered", [&] { MouseOn(button); }, 20, [&] { EXPECT_EQ(button->nState, UX::STATE_HOVER); }},
        {"pressed", [&] { MouseOn(button); Frame(); Button(true); }, 20,
         [&] { EXPECT_EQ(button->nState, UX::STATE_PRESSED); }},
        {"focused", [&] { Click(button); MouseTo(4.0f, 4.0f); }, 20,
         [&] { EXPECT_EQ(button->nState, UX::STATE_FOCUSED); }},
        {"disabled", [&] { button->Disable(); }, 20, [&] { EXPECT_EQ(button->nState, UX::STATE_DISABLED); }},
        // The check box on (the normal form shows it off, and the slider at 30 %).
        {"checked", [&] { click("ux_demo_check"); }, 20, [] {}},
        // The Apply button's tool tip, below it.
        {"tooltip", [&] { MouseOn(Find("ux_demo_apply")); }, 40, [] { ASSERT_TRUE(Ux().GetDefaultToolTip()->Shown); }},
        // Half way through a fade to black.
        {"fader", [] { Ux().GetFader().Start(UX::FADER_TO_BLACK); }, 30,
         [] { EXPECT_NEAR(Ux().GetFader().Alpha(), 0.5f, 0.01f); }},
        // The name box focused with a selection inside its text; the password box masked.
        {"textbox_selection",
         [&] {
             auto* name = static_cast<UX::TTextBox*>(Find("ux_demo_name"));
             auto* password = static_cast<UX::TTextBox*>(Find("ux_demo_password"));
             password->Text = u"secret";
             password->ResetCursor();
             name->Text = u"Morvane airfield";
             name->SetFocus();
             Frame();
             name->SelectionStart = 8;
             name->SelectionEnd = 12;
         },
         2, [] {}},
        // Dragged by its header towards the top left.
        {"dragged",
         [&] {
             f32 x, y;
             Centre(Find("ux_demo_header"), x, y);
             Drag(x, y, x - 150.0f, y - 60.0f);
             Frame();
             Button(false);
             Frame();
             MouseTo(2.0f, 2.0f);
         },
         20, [] {}},
        // Apply's modal confirmation over the form.
        {"modal", [&] { click("ux_demo_apply"); }, 45, [] { ASSERT_NE(Ux().GetModalForm(), nullptr); }},
    };
    for (const TCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        ShowForm();
        c.steps();
        Frames(c.frames);
        c.check();
        EXPECT_EQ(Golden(c.name), "");
        // The next case starts afresh, as a test of its own would.
        Ux().GetFader().Start(UX::FADER_IDLE);
        if (Ux().GetModalForm())
            Ux().GetModalForm()->Hide(1);
        TearDown();
        SetUp();
    }
}

// The name box focused with a text too long for it, scrolled to the caret at its end (the caret
// blinks by the test's own clock: a test of its own).
TEST_P(DemoTest, TextBoxScrolled)
{
    ShowForm();
    auto* name = static_cast<UX::TTextBox*>(Find("ux_demo_name"));
    name->Text = u"Ground operations of the aerodrome, gate by gate";
    name->SetFocus();
    Frames(2);
    Draw();
    EXPECT_EQ(Golden("textbox_scrolled"), "");
}

// A quarter of a second into the half-second fade.
TEST_P(DemoTest, MidTransition)
{
    TCommandManager::Instance().ExecuteText("ux.form.show \"UXDemo\"");
    Frames(19);
    ASSERT_EQ(form->nTargetState, UX::STATE_NORMAL);
    const f32 done = 1.0f - form->fTransitionRemaining / form->fTransitionDuration;
    EXPECT_GT(done, 0.4f);
    EXPECT_LT(done, 0.6f);
    EXPECT_EQ(Golden("midtransition"), "");
}

// The settings tab: the resolution list dropped from its combo box (opened by a click on its
// button), the first mode chosen, the quality selector at "Medium detail".
TEST_P(DemoTest, ComboOpen)
{
    ShowForm();
    UX::TControl* tab = Find("ux_demo_tab_2");
    tab->DoAction(tab, UX::ClickAction(), 0);
    Frames(20);
    auto* combo = static_cast<UX::TComboBox*>(Find("ux_demo_resolution"));
    ASSERT_EQ(combo->Items.GetCount(), 6u);
    EXPECT_EQ(static_cast<UX::TSelector*>(Find("ux_demo_quality"))->SelectedIndex, 1);
    Click(combo->pDrop);
    Frames(29);
    ASSERT_TRUE(combo->IsDropped());
    EXPECT_EQ(combo->GetList()->VisibleRows, 6);
    EXPECT_EQ(Golden("combo_open"), "");
    combo->ToggleDrop();
}

// A batch the canvas draws early (the next image has another texture) lands where its images
// lie, whatever an immediate rectangle drawn before it left in the screen transform.
TEST_F(UxTest, ImagesDrawnBetweenTexturesAndAfterAnImmediateRectangleLandInPlace)
{
    TTexture* red = SolidTexture("ux_test_red", 8, 0xFFFF0000);
    TTexture* green = SolidTexture("ux_test_green", 8, 0xFF00FF00);
    g_pDeviceManager->BeginScene();
    g_pDeviceManager->SetBackBufferTarget(1);
    g_pDeviceManager->Clear(DEVICE_CLEAR_TARGET, 0xFF000000, 1.0f, 0);
    g_pRenderManager->m_nInRender = 1;
    g_pCanvasManager->DrawTexture(0.0f, 0.0f, 10.0f, 10.0f, g_pCanvasManager->SetShader(red, 1),
                                  TColor{1.0f, 1.0f, 1.0f, 0.5f});
    const TColor white{1.0f, 1.0f, 1.0f, 1.0f};
    UX::TImage::Make(red).Draw(100.0f, 100.0f, 50.0f, 50.0f, 1.0f, 1.0f, white);
    UX::TImage::Make(green).Draw(200.0f, 100.0f, 50.0f, 50.0f, 1.0f, 1.0f, white);
    g_pCanvasManager->Flush();
    g_pRenderManager->m_nInRender = 0;
    g_pDeviceManager->EndScene();
    const std::vector<std::uint32_t> pixels = BackBuffer();
    EXPECT_EQ(pixels[static_cast<size_t>(125 * Width() + 125)], 0xFFFF0000u);
    EXPECT_EQ(pixels[static_cast<size_t>(125 * Width() + 225)], 0xFF00FF00u);
}
