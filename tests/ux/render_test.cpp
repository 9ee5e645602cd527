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
#include "ux/ux.text.h"
#include "uxrecords.h"

#include <cmath>
#include <vector>

namespace
{
// Keeps the textured triangles and immediate rectangles asked of it.
class TRecordingCanvas : public TCanvasManager
{
public:
    struct TRectangle
    {
        f32 x1, y1, x2, y2;
    };

    TShader* SetShader(TTexture*, i32) override { return nullptr; }
    void DrawTexture(f32 x1, f32 y1, f32 x2, f32 y2, TShader*, const TColor&) override
    {
        aRectangle.push_back({x1, y1, x2, y2});
    }
    TFont SetFont(const TName&, i32) override { return {}; }
    TFont SetDefaultFont() override { return {}; }
    i32 GetTextWidth(const char*, i32) override { return 0; }
    void WriteRect(const f32[4], const TColor&, const char*, i32) override {}
    TCanvasVertex* AllocTexturedTriangles(i32 count, TTexture* texture) override
    {
        aBatch.push_back({texture, std::vector<TCanvasVertex>(static_cast<size_t>(count))});
        return aBatch.back().aVertex.data();
    }

    struct TBatch
    {
        TTexture* pTexture;
        std::vector<TCanvasVertex> aVertex;
    };
    std::vector<TBatch> aBatch;
    std::vector<TRectangle> aRectangle;
};

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

    // The corners of the quads of the last batch: (x0, y0, x1, y1, u0, v0, u1, v1) each.
    std::vector<std::vector<f32>> Quads() const
    {
        std::vector<std::vector<f32>> quads;
        const std::vector<TCanvasVertex>& v = canvas.aBatch.back().aVertex;
        for (size_t q = 0; q + 5 < v.size(); q += 6)
            quads.push_back({v[q].x, v[q].y, v[q + 2].x, v[q + 2].y, v[q].u, v[q].v, v[q + 2].u, v[q + 2].v});
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
    ASSERT_EQ(canvas.aBatch.size(), 1u);
    EXPECT_EQ(canvas.aBatch[0].pTexture, texture);
    EXPECT_EQ(Quads()[0], (std::vector<f32>{9.5f, 4.5f, 10.5f, 5.5f, 0.0f, 0.0f, 1.0f, 1.0f}));
    image.Draw(10.0f, 5.0f, 100.7f, 20.0f, 1.0f, 1.0f, kTint);
    EXPECT_EQ(Quads()[0], (std::vector<f32>{9.5f, 4.5f, 109.5f, 24.5f, 0.0f, 0.0f, 1.0f, 1.0f}));
    UX::TImage none = image;
    none.pTexture = nullptr;
    none.Draw(0.0f, 0.0f, 10.0f, 10.0f, 1.0f, 1.0f, kTint);
    image.Draw(0.0f, 0.0f, 0.0f, 10.0f, 1.0f, 1.0f, kTint);
    EXPECT_EQ(canvas.aBatch.size(), 2u) << "no texture or no width: nothing";
}

TEST_F(RenderTest, SlicesKeepTheirEdgesAndNineSlicesSmallerThanTheirCornersHalveThem)
{
    UX::TImage three = UX::TImage::Make(texture, UX::IMAGE_SLICES_HORIZONTAL);
    three.Draw(0.5f, 0.5f, 200.0f, 30.0f, 1.0f, 1.0f, kTint);
    std::vector<std::vector<f32>> q = Quads();
    ASSERT_EQ(q.size(), 3u);
    const f32 third = 1.0f / 3.0f;
    EXPECT_EQ(q[0], (std::vector<f32>{0.0f, 0.0f, 64.0f / 3.0f, 29.5f, 0.0f, 0.0f, third, 1.0f}));
    EXPECT_FLOAT_EQ(q[1][2], 199.5f - 64.0f / 3.0f);
    EXPECT_FLOAT_EQ(q[2][4], 2.0f * third);

    UX::TImage nine = UX::TImage::Make(texture, UX::IMAGE_NINE_SLICES);
    nine.Draw(10.5f, 10.5f, 20.0f, 20.0f, 1.0f, 1.0f, kTint);
    q = Quads();
    ASSERT_EQ(q.size(), 9u);
    // Each corner takes half of the rectangle (19.5 pixels once on whole pixels); the middle has
    // no room left.
    EXPECT_EQ(q[0], (std::vector<f32>{10.0f, 10.0f, 19.75f, 19.75f, 0.0f, 0.0f, third, third}));
    EXPECT_EQ(q[8][0], 19.75f);
    EXPECT_EQ(q[8][2], 29.5f);
    EXPECT_EQ(q[4][0], q[4][2]);
}

TEST_F(RenderTest, TilesRepeatTheTextureOverTheRectangle)
{
    UX::TImage tile = UX::TImage::Make(texture, UX::IMAGE_TILE);
    tile.Draw(0.5f, 0.5f, 200.0f, 100.0f, 1.0f, 1.0f, kTint);
    EXPECT_FLOAT_EQ(Quads()[0][6], 3.125f);
    EXPECT_FLOAT_EQ(Quads()[0][7], 1.5625f);
    tile.Draw(0.5f, 0.5f, 200.0f, 100.0f, 0.5f, 2.0f, kTint);
    EXPECT_FLOAT_EQ(Quads()[0][6], 6.25f);
    EXPECT_FLOAT_EQ(Quads()[0][7], 0.78125f);
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
    canvas.aBatch.clear();
    button->Render();
    ASSERT_EQ(canvas.aBatch.size(), 2u);
    EXPECT_EQ(canvas.aBatch[0].pTexture, button->aTransitionImage[UX::STATE_NORMAL].pTexture);
    EXPECT_EQ(canvas.aBatch[1].pTexture, button->aTransitionImage[UX::STATE_FOCUSED].pTexture);
    const u32 alpha = static_cast<u32>(std::sin(0.7853982f) * 255.0f);
    EXPECT_EQ(canvas.aBatch[0].aVertex[0].nColor >> 24, alpha);
    EXPECT_EQ(canvas.aBatch[1].aVertex[0].nColor >> 24, alpha);

    button->aTransitionImage[UX::STATE_FOCUSED] = button->aTransitionImage[UX::STATE_NORMAL];
    canvas.aBatch.clear();
    button->Render();
    EXPECT_EQ(canvas.aBatch.size(), 1u);
    EXPECT_EQ(canvas.aBatch[0].aVertex[0].nColor >> 24, 255u);
}

TEST_F(RenderTest, ControlsOutsideTheClipAreNotDrawnUnlessUnclipped)
{
    UX::TControl* form = Form();
    form->Show(2);
    Frames(2);
    g_pDeviceManager->SetScissorRect(0, 0, 100, 100);
    g_pDeviceManager->SetScissorTest(1);
    canvas.aBatch.clear();
    form->Render();
    EXPECT_TRUE(canvas.aBatch.empty()) << "the form and its children lie outside";
    form->nFlags |= UX::CONTROL_UNCLIPPED;
    form->Render();
    EXPECT_FALSE(canvas.aBatch.empty());
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

TEST_F(RenderTest, TextsDrawWithTheFontOfTheirBlockAndNothingWithoutOne)
{
    UX::TStateBlock block = UX::TStateBlock::Default();
    block.TextScale = 20.0f;
    EXPECT_EQ(UX::MeasureTextWidth(block, u"Text"), 0.0f) << "no font";
    UX::DrawText(0.0f, 0.0f, 100.0f, 30.0f, block, u"Text");
    EXPECT_TRUE(canvas.aBatch.empty());
    block.Font = TName(UX_FONT_NAME, true);
    EXPECT_EQ(UX::MeasureTextWidth(block, u""), 0.0f);
    const f32 width = UX::MeasureTextWidth(block, u"Text");
    EXPECT_GT(width, 20.0f);
    block.ScaleY = 2.0f;
    EXPECT_FLOAT_EQ(UX::MeasureTextWidth(block, u"Text"), 2.0f * width) << "the size is the text scale times sy";
    UX::DrawText(0.0f, 0.0f, 100.0f, 30.0f, block, u"Text");
    ASSERT_EQ(canvas.aBatch.size(), 1u);
    EXPECT_EQ(canvas.aBatch[0].aVertex.size(), 4u * 6u);
    UX::TLocalization empty;
    UX::DrawLocalization(0.0f, 0.0f, 100.0f, 30.0f, block, empty);
    EXPECT_EQ(canvas.aBatch.size(), 1u) << "an empty text draws nothing";

    UX::TControl* title = Find("ux_demo_title");
    Form()->Show(2);
    Frames(2);
    const UX::TControl::TTextExtent extent = title->MeasureText(u"Text", UX::STATE_NORMAL);
    EXPECT_FLOAT_EQ(extent.fWidth, UX::MeasureTextWidth(*title->StyleBlock(UX::STATE_NORMAL), u"Text"));
    EXPECT_EQ(title->MeasureText(u"", UX::STATE_NORMAL).fWidth, 0.0f);
}

TEST_F(RenderTest, TheCursorIsDrawnAtThePointerLessItsHotSpot)
{
    TInputCursor cursor = {};
    cursor.pTexture = texture;
    cursor.fHotSpotX = 3.0f;
    cursor.fHotSpotY = 4.0f;
    MouseTo(100.0f, 50.0f);
    cursor.Draw();
    ASSERT_EQ(canvas.aRectangle.size(), 1u);
    EXPECT_EQ(canvas.aRectangle[0].x1, 97.0f);
    EXPECT_EQ(canvas.aRectangle[0].y1, 46.0f);
    EXPECT_EQ(canvas.aRectangle[0].x2, 161.0f) << "the texture's size without an image size";
    cursor.fImageWidth = 16.0f;
    cursor.fImageHeight = 8.0f;
    cursor.Draw();
    EXPECT_EQ(canvas.aRectangle[1].x2, 113.0f);
    EXPECT_EQ(canvas.aRectangle[1].y2, 54.0f);
    cursor.Show(false, true);
    cursor.Draw();
    EXPECT_EQ(canvas.aRectangle.size(), 2u) << "a hidden cursor is not drawn";
}
