// Forms and layers: one layer entry per form on screen and the 64th the last, the modal form and
// its stack with both warnings, a drag stopped at the back buffer's edge, Tab and Shift+Tab over
// the tab stops, and stored forms checked at load.
#include "uxfixture.h"

#include "morvane/ux/uxdemoscreen.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.layer.h"


namespace
{
class FormsTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        form = static_cast<UX::TForm*>(Form());
        confirm = static_cast<UX::TForm*>(Ux().PrepareForm(TName(UX_DEMO_CONFIRM_NAME, true)));
        ASSERT_NE(confirm, nullptr);
        layer = Ux().GetLayer(1);
    }
    void TearDown() override
    {
        if (confirm)
            confirm->Hide(1);
        if (form)
            form->Hide(1);
        UxTest::TearDown();
    }

    UX::TForm* form = nullptr;
    UX::TForm* confirm = nullptr;
    UX::TLayer* layer = nullptr;
};
} // namespace

// Shown forms join their layer once each, the active one on top; hidden ones leave it.
TEST_F(FormsTest, ALayerListsEachFormOnScreenOnceTheActiveOneOnTop)
{
    EXPECT_FALSE(layer->Holds(form));
    form->Show(2);
    ASSERT_EQ(layer->aControl.GetCount(), 1u);
    EXPECT_EQ(layer->aControl[0], form);
    EXPECT_EQ(UX::TForm::s_pActiveForm, form);
    layer->Add(form);
    EXPECT_EQ(layer->aControl.GetCount(), 1u) << "one entry per form";
    layer->BringToFront(form);
    EXPECT_EQ(layer->aControl.GetCount(), 1u) << "the top form stays";
    confirm->Show(2);
    ASSERT_EQ(layer->aControl.GetCount(), 2u);
    EXPECT_EQ(layer->aControl[1], confirm);
    EXPECT_EQ(layer->lChild.pLast, confirm) << "drawn last";
    EXPECT_EQ(UX::TForm::s_pActiveForm, confirm);
    EXPECT_FALSE(form->nFlags & UX::CONTROL_ACTIVE) << "the active form before it is deactivated";
    form->Activate();
    EXPECT_EQ(layer->aControl[1], form) << "brought to the front";
    confirm->Hide(1);
    ASSERT_EQ(layer->aControl.GetCount(), 1u);
    EXPECT_EQ(layer->aControl[0], form);
    // Hidden forms do not join; a rebuild drops a form that went from the screen.
    layer->Add(confirm);
    EXPECT_FALSE(layer->Holds(confirm));
    form->nFlags &= ~UX::CONTROL_VISIBLE;
    layer->Rebuild();
    EXPECT_EQ(layer->aControl.GetCount(), 0u);
    form->nFlags |= UX::CONTROL_VISIBLE;
}

TEST_F(FormsTest, ASixtyFifthLayerEntryIsRefused)
{
    UX::TForm forms[UX::LAYER_CONTROL_CAPACITY + 1];
    for (UX::TForm& each : forms)
    {
        each.Name = TName("filler", true);
        layer->Add(&each);
    }
    EXPECT_EQ(layer->aControl.GetCount(), UX::LAYER_CONTROL_CAPACITY);
    EXPECT_TRUE(Logged("the layer holds 64 forms: 'filler' refused"));
    for (UX::TForm& each : forms)
    {
        layer->Remove(&each);
        layer->RemoveChild(&each);
    }
}

// A second modal form warns and becomes the modal form; hiding the first warns and leaves the
// second modal; hiding the second gives the modal back to the one below it.
TEST_F(FormsTest, ModalFormsStackWithTheirWarnings)
{
    UX::TForm second;
    second.Name = TName("second_modal", true);
    second.FormFlags = UX::FORM_MODAL;
    second.LayerIndex = 1;
    second.nFlags &= ~UX::CONTROL_VISIBLE;
    layer->AddChild(&second);
    form->Show(2);
    confirm->Show(2);
    EXPECT_EQ(Ux().GetModalForm(), confirm);
    second.Show(2);
    EXPECT_EQ(Ux().GetModalForm(), &second);
    EXPECT_TRUE(Logged("UX::TForm::OnShow(): warning: 'second_modal' another modal window already opened ('UXDemoConfirm')"));
    second.Hide(1);
    EXPECT_EQ(Ux().GetModalForm(), confirm) << "the modal back to the one below";
    second.Show(2);
    confirm->Hide(1);
    EXPECT_TRUE(Logged("UX::TForm::OnHide(): warning: 'UXDemoConfirm' another modal window to control"));
    EXPECT_EQ(Ux().GetModalForm(), &second);
    second.Hide(1);
    EXPECT_EQ(Ux().GetModalForm(), nullptr) << "the hidden one does not take it back";
    EXPECT_EQ(Ux().GetModalDepth(), 0u);
    layer->RemoveChild(&second);
}

// Dragged by its header the form follows the mouse and stops with its right side at the back
// buffer's edge; hidden mid-drag, it is shown again where it was left, still.
TEST_F(FormsTest, ADragStopsAtTheBackBuffersEdge)
{
    form->Show(2);
    Frames(2);
    UX::TControl* header = Find("ux_demo_header");
    f32 x, y;
    Centre(header, x, y);
    const f32 left = form->Computed.Rect.x;
    Drag(x, y, x + 50.0f, y + 20.0f);
    EXPECT_EQ(form->Dragging, 1);
    Frame();
    EXPECT_NEAR(form->Computed.Rect.x, left + 50.0f, 1.0f);
    MouseTo(x + 2000.0f, y);
    Frames(2);
    EXPECT_NEAR(form->Computed.Rect.x + form->Computed.Rect.width, static_cast<f32>(Width()), 1.0f);
    Button(false);
    Frame();
    EXPECT_EQ(form->Dragging, 0);
    Centre(header, x, y);
    Drag(x, y, x, y);
    form->Hide(1);
    form->Show(2);
    const f32 shown = form->Computed.Rect.x;
    MouseTo(x - 100.0f, y);
    Frames(2);
    EXPECT_FLOAT_EQ(form->Computed.Rect.x, shown);
    Button(false);
    // A press between the controls drags nothing.
    Centre(Find("ux_demo_body"), x, y);
    Drag(x, y + 80.0f, x, y + 80.0f);
    EXPECT_EQ(form->Dragging, 0);
    Button(false);
    Frame();
}

// Tab from nothing focuses the first tab stop, Shift+Tab the last below 1000; both step from the
// focused control; a focus outside the form is left alone.
TEST_F(FormsTest, TabAndShiftTabStepTheFocusThroughTheForm)
{
    form->Show(2);
    Frames(2);
    ASSERT_EQ(Ux().GetFocus(), nullptr);
    // Tab indices from 1000 on are past Shift+Tab's start.
    UX::TControl* close = Find("ux_demo_close");
    const i32 closeIndex = close->nTabIndex;
    close->nTabIndex = UX::FORM_LAST_TAB_STOP;
    Type(15, '\t', INPUT_KEY_SHIFT);
    Frame();
    UX::TControl* last = form->FindPrevTabStop(UX::FORM_LAST_TAB_STOP);
    ASSERT_NE(last, nullptr);
    EXPECT_NE(last, close);
    EXPECT_EQ(Ux().GetFocus(), last);
    close->nTabIndex = closeIndex;
    Ux().SetFocus(nullptr);
    Frame();
    Type(15, '\t');
    Frame();
    UX::TControl* first = form->FindNextTabStop(-1);
    EXPECT_EQ(Ux().GetFocus(), first);
    Type(15, '\t');
    Frame();
    EXPECT_EQ(Ux().GetFocus(), form->FindNextTabStop(first->nTabIndex));
    Type(15, '\t', INPUT_KEY_SHIFT);
    Frame();
    EXPECT_EQ(Ux().GetFocus(), first);
    Ux().SetFocus(nullptr);
}

TEST_F(FormsTest, StoredFormsAreCheckedAtLoad)
{
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer0 = data.AddLayer("layer0");
        data.AddLayer("layer1");
        UX::TForm* stored = data.AddControl<UX::TForm>("far_layer", nullptr);
        stored->LayerIndex = 7;
        stored->Dragging = 1;
        data.AddFormToLayer(stored, layer0);
    });
    form = confirm = nullptr;
    UX::TForm* stored = UX::TForm::Manager().Get(0);
    EXPECT_EQ(stored->LayerIndex, 1u);
    EXPECT_EQ(stored->Dragging, 0);
    EXPECT_TRUE(Logged("'far_layer': layer index 7 outside 0 .. 1: 1 kept"));
    // Shown, it joins the layer it names.
    EXPECT_TRUE(Ux().GetLayer(1)->Holds(stored));
    EXPECT_EQ(stored->nActionBindingCount, 2) << "Tab and Shift+Tab";
}
