// Drawing: images placed on pixels, cross-fades during transitions and culling against the
// device's scissor, recorded from what reaches the canvas.
#include "uxfixture.h"

#include "engine/render/canvasmanager.h"
#include "engine/render/device.h"
#include "engine/render/texture.h"
#include "support/recordingcanvas.h"
#include "ux/controls/ux.control.button.h"

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
