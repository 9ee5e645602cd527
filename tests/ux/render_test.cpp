// Drawing: images cut and placed on pixels, cross-fades during transitions, culling and the clip
// stages against the device's scissor, the text routines, and the input cursor, recorded from
// what reaches the canvas.
#include "uxfixture.h"

#include "core/math/vector.h"
#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/texture.h"
#include "engine/system/command/commandmanager.h"
#include "support/recordingcanvas.h"
#include "ux/controls/ux.control.button.h"
#include "ux/ux.text.h"
#include "uxrecords.h"

#include <cmath>
#include <vector>

namespace
{
class RenderTest : public UxTest
{
protected:
    void SetUp() override
    {
        UxTest::SetUp();
        m_pOld = g_pCanvasManager;
        g_pCanvasManager = &canvas;
        texture = SolidTexture("ux_test_64", 64, 0xFFFFFFFF);
    }
    void TearDown() override
    {
        g_pCanvasManager = m_pOld;
        g_pDeviceManager->SetScissorTest(0);
        UxTest::TearDown();
    }

    // The corners of the quads drawn since the canvas was last cleared: (x0, y0, x1, y1, u0, v0,
    // u1, v1) each.
    std::vector<std::vector<f32>> Quads() const
    {
        std::vector<std::vector<f32>> quads;
        for (u32 q = 0; q < canvas.Quads(); ++q)
        {
            const TCanvasVertex& a = canvas.TopLeft(q);
            const TCanvasVertex& b = canvas.BottomRight(q);
            quads.push_back({a.x, a.y, b.x, b.y, a.u, a.v, b.u, b.v});
        }
        return quads;
    }

    TRecordingCanvas canvas;
    TTexture* texture = nullptr;

private:
    TCanvasManager* m_pOld = nullptr;
};

const TColor kTint = {1.0f, 1.0f, 1.0f, 1.0f};

struct TScissorProbe
{
    void BeforeRender(UX::TControl*, void*) { aSeen.push_back(g_pDeviceManager->GetScissorTest() ? 'B' : 'b'); }
    void Render(UX::TControl*, void*) { aSeen.push_back(g_pDeviceManager->GetScissorTest() ? 'R' : 'r'); }
    void AfterRender(UX::TControl*, void*) { aSeen.push_back(g_pDeviceManager->GetScissorTest() ? 'A' : 'a'); }
    std::string aSeen;
};

struct TDrawProbe : UX::TControl
{
    void Draw() override { aSeen.push_back(g_pDeviceManager->GetScissorTest() ? 'D' : 'd'); }
    std::string aSeen;
};
} // namespace

TEST_F(RenderTest, ImagesCoverWholePixelsAndAtLeastOne)
{
    const UX::TImage image = UX::TImage::Make(texture);
    image.Draw(10.0f, 5.0f, 0.3f, 0.3f, 1.0f, 1.0f, kTint);
    ASSERT_EQ(canvas.textures.size(), 1u);
    EXPECT_EQ(canvas.textures[0], texture);
    EXPECT_EQ(Quads()[0], (std::vector<f32>{9.5f, 4.5f, 10.5f, 5.5f, 0.0f, 0.0f, 1.0f, 1.0f}));
    canvas.Clear();
    image.Draw(10.0f, 5.0f, 100.7f, 20.0f, 1.0f, 1.0f, kTint);
    EXPECT_EQ(Quads()[0], (std::vector<f32>{9.5f, 4.5f, 109.5f, 24.5f, 0.0f, 0.0f, 1.0f, 1.0f}));
    UX::TImage none = image;
    none.pTexture = nullptr;
    none.Draw(0.0f, 0.0f, 10.0f, 10.0f, 1.0f, 1.0f, kTint);
    image.Draw(0.0f, 0.0f, 0.0f, 10.0f, 1.0f, 1.0f, kTint);
    EXPECT_EQ(canvas.textures.size(), 1u) << "no texture or no width: nothing";
}

// Halfway through a transition between two images both are drawn, each with its alpha times
// sin(pi/4) = cos(pi/4); two identical images of equal colours are drawn once.
TEST_F(RenderTest, TransitionsCrossFadeTheirImages)
{
    UX::TControl* form = Form();
    form->Show(2);
    Frames(2);
    UX::TControl* button = Find("ux_demo_button_1");
    button->SetState(UX::STATE_FOCUSED, 0, 0);
    button->fTransitionRemaining = button->fTransitionDuration * 0.5f;
    // Images only: the button's text is left out.
    static_cast<UX::TButton*>(button)->Text.SetText(nullptr);
    canvas.Clear();
    button->Render();
    ASSERT_EQ(canvas.textures.size(), 2u);
    EXPECT_EQ(canvas.textures[0], button->aTransitionImage[UX::STATE_NORMAL].pTexture);
    EXPECT_EQ(canvas.textures[1], button->aTransitionImage[UX::STATE_FOCUSED].pTexture);
    const u32 alpha = static_cast<u32>(std::sin(0.7853982f) * 255.0f);
    EXPECT_EQ(canvas.TopLeft(0).nColor >> 24, alpha);
    EXPECT_EQ(canvas.TopLeft(9).nColor >> 24, alpha);

    button->aTransitionImage[UX::STATE_FOCUSED] = button->aTransitionImage[UX::STATE_NORMAL];
    canvas.Clear();
    button->Render();
    EXPECT_EQ(canvas.textures.size(), 1u);
    EXPECT_EQ(canvas.TopLeft(0).nColor >> 24, 255u);
}

TEST_F(RenderTest, ControlsOutsideTheClipAreNotDrawnUnlessUnclipped)
{
    UX::TControl* form = Form();
    form->Show(2);
    Frames(2);
    g_pDeviceManager->SetScissorRect(0, 0, 100, 100);
    g_pDeviceManager->SetScissorTest(1);
    canvas.Clear();
    form->Render();
    EXPECT_TRUE(canvas.textures.empty()) << "the form and its children lie outside";
    form->nFlags |= UX::CONTROL_UNCLIPPED;
    form->Render();
    EXPECT_FALSE(canvas.textures.empty());
    EXPECT_TRUE(g_pDeviceManager->GetScissorTest()) << "the clip state is put back";
}

// Stage 0 clips everything from the background on; stage 2 the control's Draw and its children;
// stage 4 only OnAfterRender.
TEST_F(RenderTest, ClipStagesChooseWhatTheClipCovers)
{
    UX::TControl* form = Form();
    form->Show(2);
    TDrawProbe probe;
    TDrawProbe child;
    probe.AddChild(&child);
    form->AddChild(&probe);
    probe.SetSize(100.0f, 100.0f);
    probe.nFlags |= UX::CONTROL_CLIPS;
    TScissorProbe events;
    probe.Event(UX::EVENT_BEFORE_RENDER).AddHandler(0, &events, &TScissorProbe::BeforeRender);
    probe.Event(UX::EVENT_RENDER).AddHandler(0, &events, &TScissorProbe::Render);
    probe.Event(UX::EVENT_AFTER_RENDER).AddHandler(0, &events, &TScissorProbe::AfterRender);
    Frames(2);
    const std::pair<u32, const char*> stages[] = {{0, "BRDDA"}, {1, "bRDDA"}, {2, "brDDA"}, {3, "brdDA"}, {4, "brddA"}};
    for (const auto& [stage, expected] : stages)
    {
        probe.nClipStage = stage;
        events.aSeen.clear();
        probe.aSeen.clear();
        child.aSeen.clear();
        probe.Render();
        EXPECT_EQ(events.aSeen.substr(0, 2) + probe.aSeen + child.aSeen + events.aSeen.substr(2), expected) << stage;
        EXPECT_FALSE(g_pDeviceManager->GetScissorTest());
    }
    // The clip is the box, its top and bottom kept inside the clip around it.
    g_pDeviceManager->SetScissorRect(0, static_cast<i32>(probe.BoxRect.y) + 10, 2000, 2000);
    g_pDeviceManager->SetScissorTest(1);
    probe.nClipStage = UX::CLIP_AFTER_CHILDREN;
    struct TRectProbe
    {
        void AfterRender(UX::TControl*, void*) { rect = g_pDeviceManager->GetScissorRect(); }
        TVector rect;
    } rectProbe;
    probe.Event(UX::EVENT_AFTER_RENDER).AddHandler(1, &rectProbe, &TRectProbe::AfterRender);
    probe.Render();
    EXPECT_EQ(rectProbe.rect.x, static_cast<f32>(static_cast<i32>(probe.BoxRect.x)));
    EXPECT_EQ(rectProbe.rect.y, static_cast<f32>(static_cast<i32>(probe.BoxRect.y) + 10));
    probe.RemoveChild(&child);
    form->RemoveChild(&probe);
}

// The UX draws the cursor "Mouse" of the loaded data on top of its layers, where the pointer is.
TEST_F(RenderTest, TheMouseCursorIsDrawnOnTopAtThePointer)
{
    TInputCursor cursor = {};
    cursor.Name = TName("Mouse", true);
    cursor.nFlags = INPUT_CURSOR_FOLLOWS_POINTER;
    cursor.pTexture = texture;
    cursor.fImageWidth = 16.0f;
    cursor.fImageHeight = 24.0f;
    cursor.fHotSpotX = 3.0f;
    cursor.fHotSpotY = 4.0f;
    TInputManager::Instance().Cursors().Add(&cursor);
    // The load's steps again (without reading the data), as a load of the cursor's data runs them.
    Ux().OnClusterUnload();
    Ux().OnClusterLoad();
    ASSERT_EQ(Ux().GetCursor(), &cursor);
    MouseTo(100.0f, 50.0f);
    Form()->Show(2);
    Frames(2);
    canvas.Clear();
    Draw();
    ASSERT_FALSE(canvas.textures.empty());
    EXPECT_EQ(canvas.textures.back(), texture) << "drawn last";
    const u32 last = canvas.Quads() - 1;
    EXPECT_EQ(canvas.TopLeft(last).x, 97.0f);
    EXPECT_EQ(canvas.TopLeft(last).y, 46.0f);
    EXPECT_EQ(canvas.BottomRight(last).x, 113.0f);
    // Drawn once a frame: the UX claims it from the managers drawn before it (the UI) while it
    // draws, and lets it go when it draws nothing.
    const int other = 0;
    EXPECT_FALSE(TInputManager::Instance().DrawsCursor(&other));
    TCommandManager::Instance().ExecuteText("set ux.show 0");
    Frame();
    EXPECT_TRUE(TInputManager::Instance().DrawsCursor(&other));
    TCommandManager::Instance().ExecuteText("set ux.show 1");
    Frame();
    EXPECT_FALSE(TInputManager::Instance().DrawsCursor(&other));
    TInputManager::Instance().SetActiveCursor(nullptr);
    TInputManager::Instance().Cursors().SetCount(TInputManager::Instance().Cursors().GetCount() - 1);
    Ux().OnClusterUnload();
    Ux().OnClusterLoad();
}
