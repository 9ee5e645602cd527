// A test screen drawn with the level's icons, styles and fonts on the software device: a window
// with a title, a menu with its focus, an edit while editing, a grid with its scroll bar and a
// slider with ticks, on a 1920 x 1200 design root at 1280 x 720 and 1920 x 1200.
#include "uifixture.h"

#include "engine/render/texturemanager.h"
#include "ui/uibutton.h"
#include "ui/uiedit.h"
#include "ui/uigrid.h"
#include "ui/uilabel.h"
#include "ui/uimenu.h"
#include "ui/uislider.h"
#include "ui/uiwindow.h"

#include <cstdio>

#include <tuple>

namespace
{
class UIScreenTest : public UITest
{
protected:
    void Build()
    {
        TUIItem* root = MakeRoot<TUIItem>("TUITabControl", "UIBase", 0.0f, 0.0f);
        root->SetDesignSize(1920.0f, 1200.0f, 1.0f, 0);
        root->SetInsets(0.0f);

        auto* window = static_cast<TUIWindow*>(root->CreateChild("TUIWindow", "TestWindow"));
        window->SetSize(1400.0f, 900.0f);
        window->SetLeft(UI_PLACE_FRACTION, 0.5f);
        window->SetTop(UI_PLACE_FRACTION, 0.5f);
        window->SetStyle("UIWindowStyle");
        window->m_pFrame = g_pTextureManager->FindTexture(TName("ui.panel"));
        window->m_fTitleHeight = 64.0f;
        window->m_TitleColor = {0.6f, 0.8f, 1.0f, 1.0f};
        window->SetCaption("Options");

        auto* menu = static_cast<TUIMenu*>(window->CreateChild("TUIMenu", "TestMenu"));
        menu->SetPosition(0.0f, 0.0f);
        menu->m_nAlign = UI_ALIGN_NEAR;
        menu->m_fRowGap = 12.0f;
        for (const char* caption : {"New game", "Load game", "Options", "Quit"})
            menu->AddButton(caption, "MenuButtonStyle", 0);
        menu->UpdateLayout();
        menu->Activate();
        menu->SetFocus(1);

        auto* edit = static_cast<TUIEdit*>(window->CreateChild("TUIEdit", "TestEdit"));
        edit->SetStyle("UIEditStyle");
        edit->SetPosition(460.0f, 0.0f);
        edit->SetText(u"pilot_42");
        edit->BeginEdit();
        auto* password = static_cast<TUIEdit*>(window->CreateChild("TUIEdit", "TestPassword"));
        password->SetStyle("UIEditStyle");
        password->SetPosition(460.0f, 70.0f);
        password->m_nPassword = 1;
        password->SetText(u"secret");

        m_pGrid = static_cast<TUIGrid*>(window->CreateChild("TUIGrid", "TestGrid"));
        m_pGrid->SetPosition(460.0f, 160.0f);
        m_pGrid->SetSize(560.0f, 240.0f);
        m_pGrid->SetColumnCount(2);
        m_pGrid->SetColumnWidth(0, 320.0f);
        m_pGrid->SetColumnWidth(1, 200.0f);
        m_pGrid->SetRowHeight(48.0f);
        TUISlider* bar = TUISlider::Create(m_pGrid, "TestGridBar", 32.0f, 240.0f, "UI Slider Track",
                                           "UI Arrow Up", "UI Arrow Down", "UI Slider Thumb", 1.0f, 10.0f,
                                           0.0f, false, UI_THUMB_CLIP, nullptr);
        bar->m_fButtonSize = 32.0f;
        bar->m_fTrackInset = 32.0f;
        bar->SetFromRight(0.0f);
        m_pGrid->SetScrollBar(bar);
        m_pGrid->OnDrawCell.Add([this](TUIItem*, const void* args) {
            const auto& cell = *static_cast<const TUIGridCell*>(args);
            TTexture* white = g_pUIManager->GetWhiteTexture();
            const u32 fill = cell.nSelected ? 0xC0C07018 : (cell.nRow % 2 ? 0x60304860 : 0x60203040);
            UIDrawRect(
                {cell.fX + 1.0f, cell.fY + 1.0f, cell.fX + cell.fWidth - 1.0f, cell.fY + cell.fHeight - 1.0f},
                fill, white);
            char text[32];
            std::snprintf(text, sizeof text, cell.nColumn == 0 ? "Gate %d" : "%d min", cell.nRow + 1);
            char16_t wide[32];
            for (u32 i = 0; i < 32; ++i)
                wide[i] = static_cast<unsigned char>(text[i]);
            m_Cell.m_fSize = 24.0f;
            m_Cell.DrawText({cell.fX, cell.fY, cell.fX + cell.fWidth, cell.fY + cell.fHeight}, wide, 1.0f);
            return 0;
        });
        m_pGrid->SetRowCount(10, true);
        m_pGrid->SelectRow(6, true);

        TUISlider* slider =
            TUISlider::Create(window, "TestSlider", 560.0f, 40.0f, "UI Slider Track", "UI Arrow Left",
                              "UI Arrow Right", "UI Slider Thumb", 1.0f, 10.0f, 4.0f, true, UI_THUMB_CLIP,
                              g_pTextureManager->FindTexture(TName("ui.slider.tick")));
        slider->m_fButtonSize = 40.0f;
        slider->m_fTrackInset = 44.0f;
        slider->SetMinimumOne(true);
        for (const char* label : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10"})
            slider->AddLabel(label);
        slider->m_Caption.m_fSize = 24.0f;
        slider->m_Caption.m_nAlignH = UI_ALIGN_CENTRE;
        slider->SetPosition(460.0f, 440.0f);
        slider->UpdateLayout();
        root->UpdateLayout();
    }

    TUIGrid* m_pGrid = nullptr;
    TUIText m_Cell;
};

TEST_F(UIScreenTest, TheTestScreenMatchesItsGoldenImagesAt1280By720And1920By1200)
{
    for (const auto& [name, width, height] : {std::tuple{"ui_screen_1280x720", 1280, 720}, {"ui_screen_1920x1200", 1920, 1200}})
    {
        Build();
        Frame(0.0f);
        EXPECT_EQ(m_pGrid->GetScrollRow(), 2) << "row 6 made the last visible one";
        EXPECT_EQ(RenderGolden(name, width, height), "");
        g_pUIManager->FinalizeManager();
    }
}
} // namespace
