// The options window: its rows at each screen's shape, the controls loaded from the console
// variables and written back with their kinds, the Video tab's modes and Apply.
#include "menufixture.h"

#include "engine/render/device.h"
#include "engine/system/command/variable.h"
#include "ui/uimenu.h"
#include "ui/uislider.h"
#include "ui/uistyle.h"

#include <fstream>
#include <sstream>

namespace
{
class OptionsWindowTest : public MenuTest
{
protected:
    void OpenOptions()
    {
        Menu().OnOptions(nullptr);
        MenuFrames(10);
    }
    static TUIItem* Window() { return Menu().GetOptionsWindow(); }
    static TUIItem* Item(const char* name) { return Window()->FindItem(TName(name)); }
    static TUISlider& Slider(const char* name) { return *static_cast<TUISlider*>(Item(name)); }
    static void ShowTab(const char* button) { Menu().SelectTab(Item(button)); }
    static TUIMenu& Footer(const char* page) { return *static_cast<TUIMenu*>(Item(page)->FindItem(TName("FooterMenu"))); }
    static void Press(TUIItem* button)
    {
        u32 select = 1;
        static_cast<TUIButton*>(button)->Click(select);
    }
};
} // namespace

// At each screen's shape each row lies below the tab button's frame, as wide as its page, its
// caption ending left of its control, which stays inside the row, on every tab; the Video tab
// matches its golden image.
TEST_F(OptionsWindowTest, EachRowLiesBelowTheTabsWithItsCaptionLeftOfItsControl)
{
    Start();
    Set("device_detaillevel", "3");
    Set("game_gamma", "5");
    OpenOptions();
    MenuFrames(10);
    EXPECT_EQ(RenderGolden("options_video_1280x720", 1280, 720), "");
    const struct
    {
        const char* pButton;
        const char* pDialog;
    } tabs[] = {{"TabButtonVideo", "DialogVideo"}, {"TabButtonAudio", "DialogAudio"},
                {"TabButtonControls", "DialogControls"}};
    for (const auto& [width, height] : {std::pair{1024, 768}, std::pair{1280, 800}, std::pair{1920, 1200}})
        for (const auto& tab : tabs)
        {
            SCOPED_TRACE(std::to_string(width) + " " + tab.pButton);
            Resize(width, height);
            ShowTab(tab.pButton);
            MenuFrames(5);
            const TUIItem* button = Item(tab.pButton);
            const TUIStyle* style = button->GetStyle();
            const f32 frame = style && style->pIcon ? style->pIcon->aBorder[UI_RULE_BOTTOM] : 0.0f;
            const TUIRect page = Item(tab.pDialog)->GetParent()->GetAbsoluteRect();
            for (TUIItem* row : Item(tab.pDialog)->GetChildren())
            {
                const TUIRect box = row->GetAbsoluteRect();
                EXPECT_GE(box.fTop, button->GetAbsoluteRect().fBottom + frame) << row->m_Name.GetText();
                EXPECT_NEAR(box.fRight - box.fLeft, page.fRight - page.fLeft, 0.5f) << row->m_Name.GetText();
                ASSERT_EQ(row->GetChildren().size(), 1u) << row->m_Name.GetText();
                const TUIRect control = row->GetChildren()[0]->GetAbsoluteRect();
                EXPECT_LE(box.fLeft + row->m_Caption.GetExtent().fWidth, control.fLeft) << row->m_Name.GetText();
                EXPECT_LE(control.fRight, box.fRight + 0.5f) << row->m_Name.GetText();
            }
        }
}

TEST_F(OptionsWindowTest, ControlsLoadFromTheVariablesAndWriteBackWithTheirKinds)
{
    Start();
    Set("device_mouse_sensitivity", "7");
    Set("device_invert_axis", "1");
    Set("game_autostartaitask", "0");
    OpenOptions();
    ShowTab("TabButtonControls");
    MenuFrames(5);
    // The slider's change ran once with the loaded value: the integer is now a float.
    EXPECT_FLOAT_EQ(Slider("MouseSensitivitySlider").GetValue(), 7.0f);
    EXPECT_EQ(Variable("device_mouse_sensitivity")->GetValue().nType, VALUE_FLOAT);
    EXPECT_FLOAT_EQ(Variable("device_mouse_sensitivity")->GetValue().fFloat, 7.0f);
    EXPECT_STREQ(Slider("MouseSensitivitySlider").m_Caption.GetText(), "7");
    TUIItem* invert = Item("InvertAxisCheckBox");
    TUIItem* autoStart = Item("AutoStartAITasksCheckBox");
    EXPECT_TRUE(invert->m_nFlags & UI_CHECKED);
    EXPECT_STREQ(invert->m_Caption.GetText(), "YES");
    EXPECT_FALSE(autoStart->m_nFlags & UI_CHECKED);
    EXPECT_STREQ(autoStart->m_Caption.GetText(), "NO");

    // A click toggles, captions and writes an integer.
    Press(invert);
    EXPECT_STREQ(invert->m_Caption.GetText(), "NO");
    EXPECT_EQ(Variable("device_invert_axis")->GetValue().nType, VALUE_INT);
    EXPECT_EQ(Variable("device_invert_axis")->GetValue().nInt, 0);
    Press(autoStart);
    EXPECT_EQ(Variable("game_autostartaitask")->GetValue().nInt, 1);
    // Stepping down the slider writes at once; it stops at 1.
    Slider("MouseSensitivitySlider").SetValueAndNotify(1.0f);
    Slider("MouseSensitivitySlider").StepDown();
    EXPECT_FLOAT_EQ(Variable("device_mouse_sensitivity")->GetValue().fFloat, 1.0f);

    // A name where a number belongs (as a damaged settings script might leave it): the lowest
    // value and a checked box.
    Slider("MouseSensitivitySlider").SetValueAndNotify(5.0f);
    for (const char* name : {"device_mouse_sensitivity", "device_invert_axis"})
        const_cast<TVariableValue&>(Variable(name)->GetValue()).SetName(TName("sideways", true));
    ShowTab("TabButtonAudio");
    MenuFrames(5);
    ShowTab("TabButtonControls");
    MenuFrames(5);
    EXPECT_FLOAT_EQ(Slider("MouseSensitivitySlider").GetValue(), 1.0f) << "-1 clamped to the minimum";
    EXPECT_FLOAT_EQ(Variable("device_mouse_sensitivity")->GetValue().fFloat, 1.0f);
    EXPECT_TRUE(Item("InvertAxisCheckBox")->m_nFlags & UI_CHECKED);
    Set("device_mouse_sensitivity", "5");
    Variable("device_invert_axis")->SetInt(0);

    // Each volume slider writes its own variable, the last row too, and is labelled up to 11.
    ShowTab("TabButtonAudio");
    MenuFrames(5);
    const std::pair<const char*, const char*> volumes[] = {{"TotalVolumeSlider", "device_audio_mainvolume"},
                                                           {"MusicVolumeSlider", "device_audio_musicvolume"},
                                                           {"EffectsVolumeSlider", "device_audio_effectsvolume"},
                                                           {"AmbientVolumeSlider", "device_audio_ambientvolume"}};
    for (size_t i = 0; i < std::size(volumes); ++i)
        Slider(volumes[i].first).SetValueAndNotify(static_cast<f32>(i + 2));
    for (size_t i = 0; i < std::size(volumes); ++i)
    {
        EXPECT_FLOAT_EQ(Variable(volumes[i].second)->GetValue().ToFloat(), static_cast<f32>(i + 2)) << volumes[i].second;
        const TUISlider& slider = Slider(volumes[i].first);
        EXPECT_STREQ(slider.GetLabel(slider.GetLabelCount() - 1), "11") << volumes[i].first;
    }
}

TEST_F(OptionsWindowTest, TheWindowsSizeIsListedSelectedAndApplyChangesTheModeAndDetailLevel)
{
    Start();
    Set("game_gamma", "5");
    OpenOptions();
    TDeviceManager& device = *g_pDeviceManager;
    const std::string size = std::to_string(device.GetVideoWidth()) + "x" + std::to_string(device.GetVideoHeight());
    const u32 aspect = TGameMenuManager::ClassifyAspectRatio(static_cast<f32>(device.GetVideoWidth()),
                                                             static_cast<f32>(device.GetVideoHeight()));
    EXPECT_FLOAT_EQ(Slider("AspectRatioSlider").GetValue(), static_cast<f32>(aspect));
    TUISlider& resolution = Slider("ResolutionSlider");
    ASSERT_GE(resolution.GetLabelCount(), 1u);
    EXPECT_EQ(resolution.GetLabel(static_cast<u32>(resolution.GetValue())), size);
    // The gamma slider wrote the gamma back as a float once.
    EXPECT_EQ(Variable("game_gamma")->GetValue().nType, VALUE_FLOAT);
    // Another class starts its list from its first entry, whichever entry was chosen.
    const u32 count = TGameMenuManager::GetVideoModeCount(aspect);
    const u32 other = count > 1 ? count - 1 : 0;
    ASSERT_GT(other, 0u);
    resolution.SetValue(static_cast<f32>(other));
    Slider("AspectRatioSlider").SetValueAndNotify(aspect == ASPECT_4_3 ? 1.0f : 0.0f);
    ASSERT_GT(resolution.GetLabelCount(), 1u);
    EXPECT_FLOAT_EQ(resolution.GetValue(), 0.0f);
    Slider("AspectRatioSlider").SetValueAndNotify(static_cast<f32>(aspect));
    // Apply sets the mode chosen, full screen as its box says, the detail level as a float.
    resolution.SetValue(static_cast<f32>(other));
    Slider("DetailLevelSlider").SetValue(2.0f);
    Press(Item("FullScreenCheckBox"));
    Press(Footer("TabVideo").GetChildren()[1]);
    EXPECT_EQ(std::to_string(device.GetVideoWidth()) + "x" + std::to_string(device.GetVideoHeight()),
              std::string(resolution.GetLabel(other)));
    EXPECT_EQ(Variable("device_windowed")->GetValue().ToInt(), 0) << "full screen";
    EXPECT_EQ(Variable("device_detaillevel")->GetValue().nType, VALUE_FLOAT);
    EXPECT_EQ(Variable("device_detaillevel")->GetValue().ToInt(), 2);
    // What Apply set is saved where the next start reads it.
    const auto saved = [this](const char* file) {
        std::ifstream stream(m_Folder.Path() + "/user/system/" + file);
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    };
    std::string chosen = resolution.GetLabel(other);
    chosen[chosen.find('x')] = ' ';
    EXPECT_NE(saved("device.icom").find("set device.size " + chosen), std::string::npos)
        << saved("device.icom");
    EXPECT_NE(saved("device.icom").find("set device.detaillevel 2.000000\n"), std::string::npos);
    EXPECT_NE(saved("device.icom").find("set device.windowed 0\n"), std::string::npos);
    EXPECT_NE(saved("settings.icom").find("set game.gamma 5.000000\n"), std::string::npos)
        << saved("settings.icom");
    // And back to the window's own size.
    for (u32 i = 0; i < count; ++i)
        if (resolution.GetLabel(i) == size)
            resolution.SetValue(static_cast<f32>(i));
    Press(Item("FullScreenCheckBox"));
    Set("device_windowed", "1");
    Press(Footer("TabVideo").GetChildren()[1]);
    EXPECT_EQ(std::to_string(device.GetVideoWidth()) + "x" + std::to_string(device.GetVideoHeight()), size);
    Set("device_detaillevel", "3");
}

TEST(VideoModes, DeviceModesGoToTheListsOfTheirAspectClasses)
{
    const std::vector<TVector> modes = {{800.0f, 599.0f, 0.0f, 1.0f},   {800.0f, 600.0f, 0.0f, 1.0f},
                                        {1680.0f, 1050.0f, 0.0f, 1.0f}, {1920.0f, 1080.0f, 0.0f, 1.0f},
                                        {1024.0f, 768.0f, 0.0f, 1.0f},  {1280.0f, 1024.0f, 0.0f, 1.0f},
                                        {640.0f, 0.0f, 0.0f, 1.0f}};
    // Ratios between the modes': the 0.01 band around 16:10 on both sides, and none of the three.
    for (const auto& [ratio, expected] : {std::pair{1.6099f, ASPECT_16_10}, {1.6101f, ASPECT_OTHER},
                                          {1.78f, ASPECT_16_9}, {1.5f, ASPECT_OTHER}})
        EXPECT_EQ(TGameMenuManager::ClassifyAspectRatio(ratio, 1.0f), expected) << ratio;
    u32 aspect = 99;
    EXPECT_EQ(TGameMenuManager::_BuildVideoModes(modes.data(), 7, 1024, 768, true, aspect), 1);
    EXPECT_EQ(aspect, static_cast<u32>(ASPECT_4_3));
    // 599 high and 0 high are skipped, 600 is listed.
    EXPECT_EQ(TGameMenuManager::GetVideoModeCount(ASPECT_4_3), 2u);
    EXPECT_FLOAT_EQ(TGameMenuManager::GetVideoMode(ASPECT_4_3, 0)->y, 600.0f);
    EXPECT_EQ(TGameMenuManager::GetVideoModeCount(ASPECT_16_9), 1u);
    EXPECT_EQ(TGameMenuManager::GetVideoModeCount(ASPECT_16_10), 1u);
    EXPECT_EQ(TGameMenuManager::GetVideoModeCount(ASPECT_OTHER), 1u);

    EXPECT_EQ(TGameMenuManager::_BuildVideoModes(modes.data(), 7, 1680, 1050, false, aspect), 0);
    EXPECT_EQ(aspect, static_cast<u32>(ASPECT_16_10));
    // A window of a size no mode has: its size is added to its class and chosen.
    EXPECT_EQ(TGameMenuManager::_BuildVideoModes(modes.data(), 7, 1000, 700, false, aspect), 1);
    EXPECT_EQ(aspect, static_cast<u32>(ASPECT_OTHER));
    EXPECT_FLOAT_EQ(TGameMenuManager::GetVideoMode(ASPECT_OTHER, 1)->x, 1000.0f);
    // Full screen in such a size falls to the first 4:3 mode.
    EXPECT_EQ(TGameMenuManager::_BuildVideoModes(modes.data(), 7, 1000, 700, true, aspect), 0);
    EXPECT_EQ(aspect, static_cast<u32>(ASPECT_4_3));
    EXPECT_EQ(TGameMenuManager::GetVideoModeCount(ASPECT_OTHER), 1u);

    // A class holds as many modes as a slider has labels; the rest are not offered.
    std::vector<TVector> many;
    for (u32 i = 0; i < UI_SLIDER_LABEL_CAPACITY + 2; ++i)
        many.push_back({800.0f + 4.0f * i, 600.0f + 3.0f * i, 0.0f, 1.0f});
    const auto windowOf = [&](const TVector& mode) {
        return TGameMenuManager::_BuildVideoModes(many.data(), static_cast<u32>(many.size()),
                                                  static_cast<i32>(mode.x), static_cast<i32>(mode.y), false,
                                                  aspect);
    };
    EXPECT_EQ(windowOf(many.back()), 0);
    EXPECT_EQ(TGameMenuManager::GetVideoModeCount(ASPECT_4_3), UI_SLIDER_LABEL_CAPACITY);
    EXPECT_EQ(windowOf(many[UI_SLIDER_LABEL_CAPACITY - 1]), static_cast<i32>(UI_SLIDER_LABEL_CAPACITY) - 1);
}
