// Layout: aspect modes against the reference screen at the sizes the game runs in, and edge
// anchors.
#include "uxfixture.h"

#include <algorithm>
#include <cmath>

namespace
{
class LayoutTest : public UxTest
{
protected:
    // A root of the back buffer's size (a layer) and a child of 960 x 600 under it.
    void Build(u32 aspectMode)
    {
        root.Base.Rect = {0.0f, 0.0f, static_cast<f32>(Width()), static_cast<f32>(Height())};
        child.nAspectMode = aspectMode;
        child.SetSize(960.0f, 600.0f);
        root.AddChild(&child);
        root.UpdateLayout(1);
    }
    void TearDown() override
    {
        root.RemoveChild(&child);
        UxTest::TearDown();
    }

    UX::TControl root;
    UX::TControl child;
};

f32 Expected(u32 mode, f32 w, f32 h)
{
    switch (mode)
    {
    case 1:
        return w / 1920.0f;
    case 2:
        return h / 1200.0f;
    case 3:
        return std::min(w / 1920.0f, h / 1200.0f);
    case 4:
        return w / 960.0f;
    case 5:
        return h / 600.0f;
    case 6:
        return std::max(w / 960.0f, h / 600.0f);
    case 7:
        return w < 1280.0f ? w / 1280.0f : 1.0f;
    default:
        return 1.0f;
    }
}
} // namespace

TEST_F(LayoutTest, EachAspectModeScalesAgainstTheScreen)
{
    const i32 sizes[][2] = {{1920, 1200}, {1280, 720}, {1024, 640}};
    for (const auto& size : sizes)
    {
        Resize(size[0], size[1]);
        for (u32 mode = 0; mode < UX::ASPECT_MODE_COUNT; ++mode)
        {
            Build(mode);
            const f32 scale = Expected(mode, static_cast<f32>(size[0]), static_cast<f32>(size[1]));
            EXPECT_NEAR(child.Computed.ScaleX, scale, 1e-5f) << size[0] << " mode " << mode;
            EXPECT_NEAR(child.Computed.ScaleY, scale, 1e-5f) << size[0] << " mode " << mode;
            EXPECT_NEAR(child.Computed.Rect.width, 960.0f * scale, 1e-2f) << size[0] << " mode " << mode;
            EXPECT_NEAR(child.BoxRect.height, 600.0f * scale, 1e-2f) << size[0] << " mode " << mode;
        }
    }
}

// A zero size or scale would divide by zero: the scale stays as it was.
TEST_F(LayoutTest, AspectModesThatWouldDivideByZeroKeepTheScale)
{
    child.SetSize(0.0f, 0.0f);
    root.Base.Rect = {0.0f, 0.0f, 1280.0f, 720.0f};
    root.AddChild(&child);
    for (u32 mode : {4u, 5u, 6u})
    {
        child.nAspectMode = mode;
        root.UpdateLayout(1);
        EXPECT_EQ(child.Computed.ScaleX, 1.0f) << mode;
        EXPECT_EQ(child.Computed.ScaleY, 1.0f) << mode;
    }
    root.Base.ScaleY = 0.0f;
    for (u32 mode = 1; mode < UX::ASPECT_MODE_COUNT; ++mode)
    {
        child.nAspectMode = mode;
        root.UpdateLayout(1);
        EXPECT_TRUE(std::isfinite(child.Computed.ScaleX) && std::isfinite(child.Computed.ScaleY)) << mode;
        EXPECT_EQ(child.Computed.ScaleY, 0.0f) << mode;
    }
}

TEST_F(LayoutTest, EdgesStretchCentreAndAnchorToTheFarSide)
{
    root.Base.Rect = {0.0f, 0.0f, 1000.0f, 500.0f};
    root.AddChild(&child);
    child.SetSize(100.0f, 100.0f);
    child.SetLeft(10.0f);
    child.SetRight(-10.0f);
    root.UpdateLayout(1);
    EXPECT_EQ(child.Computed.Rect.x, 10.0f);
    EXPECT_EQ(child.Computed.Rect.width, 980.0f);
    root.Base.Rect.width = 800.0f;
    root.UpdateLayout(1);
    EXPECT_EQ(child.Computed.Rect.width, 780.0f) << "both edges stretch with the parent";

    child.nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY;
    child.fLeft = child.fTop = 0.5f;
    root.UpdateLayout(1);
    EXPECT_EQ(child.Computed.Rect.x, 350.0f);
    EXPECT_EQ(child.Computed.Rect.y, 200.0f);

    child.nEdgeFlags = UX::SIDE_RIGHT | UX::SIDE_BOTTOM;
    child.fRight = -20.0f;
    child.fBottom = -30.0f;
    root.UpdateLayout(1);
    EXPECT_EQ(child.Computed.Rect.x, 680.0f);
    EXPECT_EQ(child.Computed.Rect.y, 370.0f);
}
