// Screens and the fader: the registered demonstration screen bound to its loaded controls (Close
// hides the form, the slider's value shows in a label), the instance object's entries checked,
// registration numbers; the fader's fades and their ends.
#include "uxfixture.h"

#include "morvane/ux/uxdemoscreen.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/ux.instance.h"

#include <string>

namespace
{
using ScreenTest = UxTest;

struct TFinished
{
    void Hear(UX::TControl*, void*) { ++count; }
    int count = 0;
};
} // namespace

TEST_F(ScreenTest, TheDemonstrationScreenIsBoundToItsControlsAtLoad)
{
    UX::TInstance* screen = Ux().GetInstance(0);
    EXPECT_EQ(screen->GetRegistrationNumber(), 0);
    EXPECT_EQ(screen->GetClassName(), TName(UX_DEMO_NAME));
    UX::TControl* form = Form();
    ASSERT_EQ(screen->GetForm(), form);
    // The slider's value in its label.
    auto* slider = static_cast<UX::TSlider*>(Find("ux_demo_slider"));
    auto* value = static_cast<UX::TLabel*>(Find("ux_demo_slider_value"));
    EXPECT_EQ(std::u16string(value->Text.GetText()), u"30");
    form->Show(2);
    Frame();
    slider->SetValue(70);
    EXPECT_EQ(std::u16string(value->Text.GetText()), u"70");
    // The slider's parts are bound: its increase button steps it.
    slider->pRight->Event(UX::EVENT_CLICK).Invoke(slider->pRight, nullptr);
    EXPECT_EQ(slider->Value, 80);
    // Close hides the form.
    Click(Find("ux_demo_close"));
    Frames(39);
    EXPECT_FALSE(form->IsVisibleOnScreen());
    // ux_form_show does not load the tree a second time.
    EXPECT_EQ(Ux().PrepareForm(TName(UX_DEMO_NAME)), form);
    EXPECT_EQ(slider->pRight->Event(UX::EVENT_CLICK).aList[0].GetCount(), 1u);
}

// A null reference, a reference to anything but a loaded control, and entries beyond the 128 an
// object holds are reported as uninitialized controls; the screen binds what there is.
TEST_F(ScreenTest, BadEntriesOfAnInstanceObjectAreReported)
{
    UX::TInstanceObject* loaded = Ux().InstanceObjects()[0];
    UX::TInstanceObject object = *loaded;
    object.nCount = 3;
    object.aEntry[1] = {};
    // A style is no control.
    object.aEntry[2] = {g_pCluster->GetHandle(Ux().Styles()[0]), nullptr};
    UX::TInstance* screen = Ux().GetInstance(0);
    screen->Initialize(object);
    EXPECT_EQ(LoggedCount("UX::TInstance::Initialize(): error: uninitialized control"), 2u);
    EXPECT_EQ(screen->GetForm(), Form());

    object.nCount = static_cast<i32>(UX::INSTANCE_ENTRY_CAPACITY) + 1;
    screen->Initialize(object);
    EXPECT_TRUE(Logged("'UXDemo': 129 controls, 128 read"));
    object.nCount = -1;
    screen->Initialize(object);
    EXPECT_TRUE(Logged("'UXDemo': -1 controls, 0 read"));
    EXPECT_EQ(screen->GetForm(), nullptr);
    // Back to the loaded one.
    screen->Initialize(*loaded);
}

// A fade to black over a second is at half after half a second and ends black, telling its end;
// a fade from black ends idle.
TEST_F(ScreenTest, TheFaderFadesToAndFromBlackAndTellsEachEnd)
{
    UX::TFader& fader = Ux().GetFader();
    ASSERT_EQ(Ux().GetLayer(1)->aOverlay.GetCount(), 1u);
    EXPECT_EQ(Ux().GetLayer(1)->aOverlay[0], &fader);
    EXPECT_FALSE(fader.IsActive());
    TFinished finished;
    fader.OnFinished.AddHandler(0, &finished, &TFinished::Hear);
    // The frame time is smoothed over ten frames: steady from here on.
    Frames(10);
    fader.Start(UX::FADER_TO_BLACK);
    EXPECT_TRUE(fader.IsActive());
    Frames(30);
    EXPECT_NEAR(fader.Alpha(), 0.5f, 0.01f);
    Frames(31);
    Draw();
    EXPECT_EQ(fader.State, UX::FADER_BLACK);
    EXPECT_EQ(fader.Alpha(), 1.0f);
    EXPECT_EQ(finished.count, 1);
    Draw();
    EXPECT_EQ(finished.count, 1) << "black stays";
    fader.Start(UX::FADER_FROM_BLACK);
    Frames(15);
    EXPECT_NEAR(fader.Alpha(), 0.75f, 0.01f);
    Frames(46);
    Draw();
    EXPECT_EQ(fader.State, UX::FADER_IDLE);
    EXPECT_EQ(finished.count, 2);
    fader.OnFinished.Clear();
}
