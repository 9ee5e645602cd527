// The demonstration form as the game shows it: ux_form_show fades it in over the frame, and its
// six buttons show their six states.
#include "uxfixture.h"

#include "platform/d3d9/golden.h"

namespace
{
class DemoTest : public UxTest
{
};
} // namespace

TEST_F(DemoTest, TheShownFormMatchesTheGoldenImage)
{
    UX::TControl* form = Form();
    form->Show(0);
    Frames(40);
    Draw();
    EXPECT_EQ(CompareWithGolden("uxdemo_normal_1280x720", BackBuffer(), Width(), Height()), "");
}
