#include "uirepository.h"

#include "engine/input/inputaction.h"
#include "engine/input/inputcursor.h"
#include "engine/input/inputmanager.h"
#include "fontraster.h"
#include "gamescreenimages.h"
#include "repositorywriter.h"
#include "ui/uimanager.h"
#include "ui/uitext.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace
{
constexpr i32 FONT_PIXELS = 28;
constexpr i32 STRIP_WIDTH = 320;
constexpr i32 STRIP_FRAME = 64;
constexpr i32 PANEL_SIZE = 32;
constexpr f32 PANEL_BORDER = 8.0f;
constexpr f32 BUTTON_BORDER = 6.0f;
constexpr i32 ARROW_SIZE = 24;

// The UI actions beyond the toolkit's thirteen, which the game's screens read, and the
// pointer button of the cursor.
const char* const SCREEN_ACTIONS[] = {"helptoggle2", "management", "sortgate",   "sorttask",
                                      "sorttime",    "toggle",     "optionnext", "optionprev"};
constexpr const char* POINTER_ACTION = "mouseselect";

// The fill of each visual state: normal, checked or focused, mouse over, pressed, focused in
// an inactive menu, disabled.
constexpr u32 STATE_FILL[UI_STATE_COUNT] = {0xE0203048, 0xF0C07018, 0xF0385878,
                                            0xF0E0A030, 0xE0605040, 0xC0404040};
constexpr u32 STATE_EDGE[UI_STATE_COUNT] = {0xFF6080A8, 0xFFFFD080, 0xFFA0C8F0,
                                            0xFFFFF0C0, 0xFFA09070, 0xFF707070};
const TColor STATE_TEXT[UI_STATE_COUNT] = {{0.92f, 0.94f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f},
                                           {1.0f, 1.0f, 1.0f, 1.0f},   {0.1f, 0.1f, 0.1f, 1.0f},
                                           {0.8f, 0.75f, 0.6f, 1.0f},  {0.55f, 0.55f, 0.55f, 1.0f}};

// Records that live outside the managers' own arrays.
struct TUIRecords
{
    std::deque<TUIIcon> aIcon;
    std::deque<TUIStyle> aStyle;
    std::deque<TTextureFont> aFont;
    TInputCursor Cursor{};
};

std::unique_ptr<TUIRecords> s_pRecords;

std::vector<u32> Fill(i32 width, i32 height, u32 argb)
{
    return std::vector<u32>(static_cast<size_t>(width * height), argb);
}

// A frame of a strip: a fill with a two-pixel edge and a light top half.
void Frame(std::vector<u32>& pixels, i32 width, i32 top, i32 height, u32 fill, u32 edge)
{
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
        {
            const bool border = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
            u32 argb = border ? edge : fill;
            if (!border && y < height / 2)
            {
                // A little lighter towards the top.
                const u32 lift = 0x00101010;
                argb += lift;
            }
            pixels[static_cast<size_t>((top + y) * width + x)] = argb;
        }
}

std::vector<u32> StateStrip(i32 width, i32 frame)
{
    std::vector<u32> pixels(static_cast<size_t>(width * frame * static_cast<i32>(UI_STATE_COUNT)));
    for (u32 s = 0; s < UI_STATE_COUNT; ++s)
        Frame(pixels, width, static_cast<i32>(s) * frame, frame, STATE_FILL[s], STATE_EDGE[s]);
    return pixels;
}

// An in-game button's pictogram over each state's frame.
std::vector<u32> PictureStrip(i32 picture)
{
    constexpr i32 S = HUD_PICTURE_SIZE;
    const std::vector<u32> ink = HudPicture(picture);
    std::vector<u32> pixels(static_cast<size_t>(S * S * static_cast<i32>(UI_STATE_COUNT)));
    for (u32 s = 0; s < UI_STATE_COUNT; ++s)
    {
        Frame(pixels, S, static_cast<i32>(s) * S, S, STATE_FILL[s], STATE_EDGE[s]);
        for (size_t i = 0; i < ink.size(); ++i)
            if (ink[i])
                pixels[static_cast<size_t>(s) * ink.size() + i] = ink[i];
    }
    return pixels;
}

// A triangle pointing in the direction (0 up, 1 down, 2 left, 3 right) on each state's frame.
std::vector<u32> ArrowStrip(u32 direction)
{
    std::vector<u32> pixels(static_cast<size_t>(ARROW_SIZE * ARROW_SIZE * static_cast<i32>(UI_STATE_COUNT)),
                            0);
    for (u32 s = 0; s < UI_STATE_COUNT; ++s)
    {
        Frame(pixels, ARROW_SIZE, static_cast<i32>(s) * ARROW_SIZE, ARROW_SIZE, STATE_FILL[s], STATE_EDGE[s]);
        for (i32 y = 0; y < ARROW_SIZE; ++y)
            for (i32 x = 0; x < ARROW_SIZE; ++x)
            {
                // Along: from the base (0) to the tip (1); across: distance from the middle.
                const f32 u = (static_cast<f32>(x) + 0.5f) / ARROW_SIZE;
                const f32 v = (static_cast<f32>(y) + 0.5f) / ARROW_SIZE;
                const f32 along = direction == 0   ? 1.0f - v
                                  : direction == 1 ? v
                                  : direction == 2 ? 1.0f - u
                                                   : u;
                const f32 across = std::fabs((direction < 2 ? u : v) - 0.5f);
                const f32 t = (along - 0.25f) / 0.5f;
                if (t >= 0.0f && t <= 1.0f && across <= 0.3f * (1.0f - t))
                    pixels[static_cast<size_t>((static_cast<i32>(s) * ARROW_SIZE + y) * ARROW_SIZE + x)] =
                        0xFFFFFFFF;
            }
    }
    return pixels;
}

std::vector<u32> Panel()
{
    std::vector<u32> pixels = Fill(PANEL_SIZE, PANEL_SIZE, 0xE8101828);
    for (i32 y = 0; y < PANEL_SIZE; ++y)
        for (i32 x = 0; x < PANEL_SIZE; ++x)
        {
            const i32 edge = std::min({x, y, PANEL_SIZE - 1 - x, PANEL_SIZE - 1 - y});
            if (edge < 2)
                pixels[static_cast<size_t>(y * PANEL_SIZE + x)] = 0xFF7090C0;
            else if (edge < 4)
                pixels[static_cast<size_t>(y * PANEL_SIZE + x)] = 0xF0304868;
        }
    return pixels;
}

// An arrow pointer: white with a black outline, the hot spot at its tip.
std::vector<u32> Cursor()
{
    constexpr i32 w = 16, h = 24;
    std::vector<u32> pixels = Fill(w, h, 0x00000000);
    for (i32 y = 0; y < h; ++y)
        for (i32 x = 0; x < w; ++x)
        {
            const bool inside = x <= y * 2 / 3 && y < 18;
            const bool edge = inside && (x == 0 || x == y * 2 / 3 || y == 17);
            if (inside)
                pixels[static_cast<size_t>(y * w + x)] = edge ? 0xFF000000 : 0xFFFFFFFF;
        }
    return pixels;
}

// A round emblem: a light ring on a dark disc.
std::vector<u32> TitleIcon()
{
    constexpr i32 size = 128;
    std::vector<u32> pixels = Fill(size, size, 0x00000000);
    for (i32 y = 0; y < size; ++y)
        for (i32 x = 0; x < size; ++x)
        {
            const f32 dx = static_cast<f32>(x) + 0.5f - size / 2.0f, dy = static_cast<f32>(y) + 0.5f - size / 2.0f;
            const f32 r = std::sqrt(dx * dx + dy * dy);
            if (r < 62.0f)
                pixels[static_cast<size_t>(y * size + x)] = r > 52.0f ? 0xFFE2F2FF : 0xE0203048;
        }
    return pixels;
}

// The title's band: a dark strip with a light underline.
std::vector<u32> TitleBand()
{
    constexpr i32 width = 512, height = 128;
    std::vector<u32> pixels = Fill(width, height, 0xC0102030);
    for (i32 y = height - 10; y < height - 4; ++y)
        for (i32 x = 0; x < width; ++x)
            pixels[static_cast<size_t>(y * width + x)] = 0xFFFFE328;
    return pixels;
}

TUIIcon& AddIcon(const char* name, TTexture* texture, i32 frames, i32 slicing, f32 border)
{
    TUIIcon& icon = s_pRecords->aIcon.emplace_back();
    icon.Name = TName(name, true);
    for (f32& b : icon.aBorder)
        b = border;
    for (u32 s = 0; s < UI_STATE_COUNT; ++s)
        icon.aFrame[s] = frames > 1 ? static_cast<i32>(s) : -1;
    icon.nFrameCount = frames > 1 ? frames : 0;
    icon.nSlicing = slicing;
    icon.pNormal = texture;
    if (frames <= 1)
        icon.pDown = icon.pMouseOver = icon.pDisabled = texture;
    return icon;
}

TUIStyle& AddStyle(const char* name, const char* font, f32 size, i32 alignH, const char* iconName)
{
    TUIStyle& style = s_pRecords->aStyle.emplace_back();
    style.Name = TName(name, true);
    style.nFlags = UI_STYLE_TEXT;
    style.Font = TName(font, true);
    style.fTextSize = size;
    style.nAlignH = alignH;
    style.nAlignV = UI_ALIGN_CENTRE;
    for (u32 s = 0; s < UI_STATE_COUNT; ++s)
        style.aState[s] = {{12.0f, 0.0f, 0.0f, 1.0f}, STATE_TEXT[s]};
    if (iconName)
        for (TUIIcon& icon : s_pRecords->aIcon)
            if (icon.Name == TName(iconName))
                style.pIcon = &icon;
    return style;
}

void AddFonts(TRepositoryWriter& writer)
{
    const std::vector<char16_t> codes = Latin1AndEuro();
    const std::pair<const char*, const char*> fonts[] = {
        {"ui_sans", UI_FONT_FILE}, {"ui_sans_bold", UI_BOLD_FONT_FILE}, {"ui_menu", UI_MENU_FONT_FILE}};
    for (const auto& [name, file] : fonts)
    {
        TRasterFont raster;
        if (!RasteriseFont(file, FONT_PIXELS, codes, raster))
            continue;
        AddTextureFont(writer, s_pRecords->aFont.emplace_back(), name, raster);
    }
}

void AddActionsAndCursor(TRepositoryWriter& writer)
{
    TInputManager& input = TInputManager::Instance();
    for (const char* name : UI_ACTION_NAMES)
        input.CreateAction(TName(name, true), 0);
    for (const char* name : SCREEN_ACTIONS)
        input.CreateAction(TName(name, true), 0);
    TInputCursor& cursor = s_pRecords->Cursor;
    cursor.Name = TName("Mouse", true);
    cursor.nFlags = INPUT_CURSOR_FOLLOWS_POINTER;
    cursor.nVisibility = 1;
    cursor.Position = TVector(0.0f, 0.0f, 0.0f, 1.0f);
    cursor.fSpeed = 1.0f;
    cursor.fExponent = 1.0f;
    cursor.pAction[0] = input.CreateAction(TName(POINTER_ACTION, true), 0);
    cursor.fImageWidth = 16.0f;
    cursor.fImageHeight = 24.0f;
    cursor.pTexture = AddTextureRecord(writer, "ui.cursor", 16, 24, Cursor());
    input.Cursors().Add(&cursor);
}
// The task list's and the management screen's images. The marker strip's frames follow the
// visual states the task cells draw it in (0 idle, 2 under way, 3 at work).
void AddGameScreenImages(TRepositoryWriter& writer)
{
    constexpr i32 F = GAME_STRIP_FRAME;
    TUIIcon& markers = AddIcon("Game UI Task Markers",
                               AddTextureRecord(writer, "ui.task.markers", F, F * 3, TaskMarkerStrip()), 3,
                               UI_SLICE_PLAIN, 0.0f);
    const i32 markerFrames[UI_STATE_COUNT] = {0, 0, 1, 2, 0, 0};
    std::copy(std::begin(markerFrames), std::end(markerFrames), markers.aFrame);
    // The pin's second frame is its checked look; the close button lights under the pointer.
    TUIIcon& pin = AddIcon("Game UI Gate Task List Pin", AddTextureRecord(writer, "ui.task.pin", F, F * 2, PinStrip()),
                           2, UI_SLICE_PLAIN, 0.0f);
    const i32 pinFrames[UI_STATE_COUNT] = {0, 1, 0, 1, 0, 0};
    std::copy(std::begin(pinFrames), std::end(pinFrames), pin.aFrame);
    TUIIcon& close = AddIcon("Game UI Popup Window Close",
                             AddTextureRecord(writer, "ui.popup.close", F, F * 2, CloseStrip()), 2, UI_SLICE_PLAIN,
                             0.0f);
    const i32 closeFrames[UI_STATE_COUNT] = {0, 0, 1, 1, 0, 0};
    std::copy(std::begin(closeFrames), std::end(closeFrames), close.aFrame);
    AddIcon("Game UI Management AI Level", AddTextureRecord(writer, "ui.ai.level", F, F * 3, AILevelStrip()), 3,
            UI_SLICE_PLAIN, 0.0f);
    AddIcon("Game UI Task Exclamation", AddTextureRecord(writer, "ui.task.exclamation", F, F * 3, ExclamationStrip()),
            3, UI_SLICE_PLAIN, 0.0f);
    AddTextureRecord(writer, "Task List Attention Icon", GAME_ATTENTION_SIZE, GAME_ATTENTION_SIZE * 2,
                     AttentionStrip());
    AddTextureRecord(writer, "Task List Selection Overlay", 4, 4, Fill(4, 4, 0x50FFE328));
    AddTextureRecord(writer, "Task List Alert Overlay", 4, 4, Fill(4, 4, 0x70C20000));
    AddTextureRecord(writer, "Texture Game UI Management Selected Cell", 4, 4, Fill(4, 4, 0x60FFE328));
    char name[64];
    for (i32 image = 0; image < HELP_IMAGE_COUNT; ++image)
    {
        std::snprintf(name, sizeof name, "Help Image %d", image);
        AddTextureRecord(writer, name, HELP_IMAGE_SIZE, HELP_IMAGE_SIZE, HelpPicture(image));
    }
    for (i32 kind = 0; kind < VEHICLE_PICTURE_COUNT; ++kind)
    {
        std::snprintf(name, sizeof name, "Texture Vehicle Small %d", kind);
        AddTextureRecord(writer, name, VEHICLE_SMALL_WIDTH, VEHICLE_SMALL_HEIGHT,
                         VehiclePicture(kind, VEHICLE_SMALL_WIDTH, VEHICLE_SMALL_HEIGHT));
        std::snprintf(name, sizeof name, "Texture Vehicle Big %d", kind);
        AddTextureRecord(writer, name, VEHICLE_BIG_WIDTH, VEHICLE_BIG_HEIGHT,
                         VehiclePicture(kind, VEHICLE_BIG_WIDTH, VEHICLE_BIG_HEIGHT));
    }
}
} // namespace

i32 AddUIRecords(TRepositoryWriter& writer, TClusterManager** managers, i32 count)
{
    s_pRecords = std::make_unique<TUIRecords>();
    // Plain textures the screens and the toolkit look up by name.
    AddTextureRecord(writer, "ui.white", 4, 4, Fill(4, 4, 0xFFFFFFFF));
    AddTextureRecord(writer, "Texture White", 4, 4, Fill(4, 4, 0xFFFFFFFF));
    AddTextureRecord(writer, "ui.black", 4, 4, Fill(4, 4, 0xFF000000));
    AddTextureRecord(writer, "ui.darken", 4, 4, Fill(4, 4, 0x80000000));
    AddTextureRecord(writer, "Texture Darken Background", 4, 4, Fill(4, 4, 0xA0000000));
    AddTextureRecord(writer, "ui.slider.tick", 3, 12, Fill(3, 12, 0xFFE0E8F0));
    // The main menu's title: an emblem and the title's lettering per language.
    AddTextureRecord(writer, "ui.main.title.icon", 128, 128, TitleIcon());
    for (const char* language : {"ui.main.title.English", "ui.main.title.Deutsch"})
        AddTextureRecord(writer, language, 512, 128, TitleBand());
    TTexture* strip = AddTextureRecord(writer, "ui.button", STRIP_WIDTH, STRIP_FRAME * 6,
                                       StateStrip(STRIP_WIDTH, STRIP_FRAME));
    TTexture* panel = AddTextureRecord(writer, "ui.panel", PANEL_SIZE, PANEL_SIZE, Panel());
    TTexture* track = AddTextureRecord(writer, "ui.slider.track", 16, 16, Fill(16, 16, 0xC0101820));
    TTexture* thumb = AddTextureRecord(writer, "ui.slider.thumb", 16, 16, Fill(16, 16, 0xF06888B8));
    TTexture* arrows[4];
    const char* arrowNames[4] = {"ui.arrow.up", "ui.arrow.down", "ui.arrow.left", "ui.arrow.right"};
    for (u32 d = 0; d < 4; ++d)
        arrows[d] = AddTextureRecord(writer, arrowNames[d], ARROW_SIZE, ARROW_SIZE * 6, ArrowStrip(d));

    // The toolkit's own icons, then those the screens name.
    AddIcon("UI Button", strip, 6, UI_SLICE_NINE, BUTTON_BORDER);
    AddIcon("UI Panel", panel, 0, UI_SLICE_NINE, PANEL_BORDER);
    AddIcon("UI Slider Track", track, 0, UI_SLICE_PLAIN, 0.0f);
    AddIcon("UI Slider Thumb", thumb, 0, UI_SLICE_PLAIN, 0.0f);
    const char* const arrowIcons[4][3] = {
        {"UI Arrow Up", "Main Menu Arrow Up", "Game UI Task Slider Up"},
        {"UI Arrow Down", "Main Menu Arrow Down", "Game UI Task Slider Down"},
        {"UI Arrow Left", "Arrow Left", nullptr},
        {"UI Arrow Right", "Arrow Right", nullptr}};
    for (u32 d = 0; d < 4; ++d)
        for (const char* name : arrowIcons[d])
            if (name)
                AddIcon(name, arrows[d], 6, UI_SLICE_PLAIN, 0.0f);
    for (const char* name :
         {"Game UI Popup Window", "Game UI Task Background", "Game UI Management Background",
          "Game UI Title Bar", "Game UI Status Bar", "MainMenuBackground", "MainMenuFlightBoard"})
        AddIcon(name, panel, 0, UI_SLICE_NINE, PANEL_BORDER);
    for (const char* name : {"Game UI Task Slider Bar", "Main Menu Slider Background"})
        AddIcon(name, track, 0, UI_SLICE_PLAIN, 0.0f);
    AddIcon("Main Menu Slider Button", thumb, 0, UI_SLICE_PLAIN, 0.0f);
    const char* const hudIcons[HUD_PICTURE_COUNT][2] = {
        {"Game UI Button Management", "ui.hud.management"}, {"Game UI Button Tower", "ui.hud.tower"},
        {"Game UI Button Van", "ui.hud.van"},               {"Game UI Icon Landing", "ui.hud.landing"},
        {"Game UI Icon Takeoff", "ui.hud.takeoff"}};
    for (i32 i = 0; i < HUD_PICTURE_COUNT; ++i)
        AddIcon(hudIcons[i][0],
                AddTextureRecord(writer, hudIcons[i][1], HUD_PICTURE_SIZE, HUD_PICTURE_SIZE * 6, PictureStrip(i)), 6,
                UI_SLICE_PLAIN, 0.0f);
    AddGameScreenImages(writer);

    // Styles: buttons on the six-state strip, texts without an icon.
    AddStyle("MenuButtonStyle", "ui_menu", 30.0f, UI_ALIGN_CENTRE, "UI Button");
    // The game's name on the main menu's title band.
    AddStyle("MenuTitleStyle", "ui_menu", 60.0f, UI_ALIGN_CENTRE, nullptr);
    for (const char* name :
         {"DialogButtonStyle", "TabButtonStyle", "FooterMenuStyle", "FooterMenuBackStyle",
          "TaskPopupButtonStyle", "ManagementFooterButtonStyle",
          "DialogCheckBoxStyle", "TaskListFooterStyle", "UIButtonStyle"})
        AddStyle(name, "ui_sans", 24.0f, UI_ALIGN_CENTRE, "UI Button");
    for (const char* name : {"DialogTitleStyle", "PopupHeaderStyle", "ManagementHeaderStyle",
                             "TaskHeaderStyle", "HeaderLabel", "SavingStyle"})
        AddStyle(name, "ui_sans_bold", 30.0f, UI_ALIGN_CENTRE, nullptr);
    for (const char* name :
         {"DialogTextStyle", "DialogItemStyle", "DialogLeftLabel", "ManagementStatusStyle",
          "ManagementEuroStyle", "ManagementCellNextPriceStyle", "UILabelStyle", "UITooltipStyle"})
        AddStyle(name, "ui_sans", 22.0f, UI_ALIGN_NEAR, nullptr);
    // The in-game popups' rows lie 15 to 20 apart.
    AddStyle("PopupTextStyle", "ui_sans", 16.0f, UI_ALIGN_NEAR, nullptr);
    // The gate menu's entries: their texts over the status bar, the screen draws their light.
    TUIStyle& gate = AddStyle("GateSelectionItemStyle", "ui_sans_bold", 28.0f, UI_ALIGN_CENTRE, nullptr);
    gate.nFlags |= UI_STYLE_FIXED_SIZE;
    gate.aFixedSize[0] = 201.0f;
    gate.aFixedSize[1] = 80.0f;
    TUIStyle& edit = AddStyle("UIEditStyle", "ui_sans", 22.0f, UI_ALIGN_NEAR, nullptr);
    edit.nFlags |= UI_STYLE_FIXED_SIZE;
    edit.aFixedSize[0] = 360.0f;
    edit.aFixedSize[1] = 44.0f;
    TUIStyle& window = AddStyle("UIWindowStyle", "ui_sans_bold", 28.0f, UI_ALIGN_CENTRE, nullptr);
    window.nFlags |= UI_STYLE_CHILD_OFFSET | UI_STYLE_INNER_MARGINS;
    window.aChildOffset[0] = 24.0f;
    window.aChildOffset[1] = 64.0f;
    window.aInnerMargin[0] = window.aInnerMargin[2] = 24.0f;
    window.aInnerMargin[1] = 64.0f;
    window.aInnerMargin[3] = 24.0f;
    // The title in the title bar.
    window.nAlignV = UI_ALIGN_NEAR;
    for (TUIStyleState& state : window.aState)
        state.aMargin[1] = 14.0f;

    TUIManager& ui = *g_pUIManager;
    DArray<TUIIcon*>& icons = *ui.Icons();
    DArray<TUIStyle*>& styles = *ui.Styles();
    for (TUIIcon& icon : s_pRecords->aIcon)
        icons.Add(&icon);
    for (TUIStyle& style : s_pRecords->aStyle)
        styles.Add(&style);
    AddFonts(writer);
    AddActionsAndCursor(writer);
    managers[count++] = g_pUIManager;
    managers[count++] = &TInputManager::Instance();
    return count;
}
