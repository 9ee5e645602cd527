#include "uxrecords.h"

#include "core/cluster/cluster.h"
#include "morvane/ux/screens.h"
#include "morvane/ux/uxdemoscreen.h"
#include "repositorywriter.h"
#include "scenerepositories.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.picturebox.h"
#include "uxdatawriter.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace
{
constexpr u32 UX_REPOSITORY_ID = REPOSITORY_OPTIONAL_ID + 3;
constexpr i32 kFontPixels = 20;

struct TBox
{
    i32 x0, y0, x1, y1;
    bool Contains(i32 x, i32 y) const { return x >= x0 && x < x1 && y >= y0 && y < y1; }
};

// A frame of the given width around a fill, corners cut by one texel for a softer edge.
std::vector<u32> Framed(i32 size, i32 border, u32 frame, u32 fill)
{
    std::vector<u32> texels(static_cast<size_t>(size * size));
    for (i32 y = 0; y < size; ++y)
        for (i32 x = 0; x < size; ++x)
        {
            const bool corner = (x == 0 || x == size - 1) && (y == 0 || y == size - 1);
            const bool edge = x < border || y < border || x >= size - border || y >= size - border;
            texels[static_cast<size_t>(y * size + x)] = corner ? 0 : edge ? frame : fill;
        }
    return texels;
}

// Three horizontal parts: rounded caps around a band that darkens downwards.
std::vector<u32> Header(i32 width, i32 height)
{
    std::vector<u32> texels(static_cast<size_t>(width * height));
    const i32 cap = width / 3;
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
        {
            const i32 shade = 0x90 - y * 4;
            u32 texel = 0xFF000000u | static_cast<u32>(shade / 3) << 16 | static_cast<u32>(shade * 2 / 3) << 8 |
                        static_cast<u32>(shade);
            const i32 dx = x < cap ? cap - 1 - x : x >= width - cap ? x - (width - cap) : -1;
            if (dx >= 0 && (dx - cap / 2) * (dx - cap / 2) + (y - height / 2) * (y - height / 2) > cap * cap / 4 &&
                dx > cap / 2)
                texel = 0;
            texels[static_cast<size_t>(y * width + x)] = texel;
        }
    return texels;
}

// Two tones in a checker with a light diagonal, repeated over the area.
std::vector<u32> Tile(i32 size)
{
    std::vector<u32> texels(static_cast<size_t>(size * size));
    for (i32 y = 0; y < size; ++y)
        for (i32 x = 0; x < size; ++x)
            texels[static_cast<size_t>(y * size + x)] =
                x == y ? 0xFF5070A0 : ((x / (size / 2) + y / (size / 2)) % 2 ? 0xFF203040 : 0xFF2A3E52);
    return texels;
}

// Three horizontal bands.
std::vector<u32> Flag(i32 width, i32 height, u32 top, u32 middle, u32 bottom)
{
    std::vector<u32> texels(static_cast<size_t>(width * height));
    for (i32 y = 0; y < height; ++y)
        for (i32 x = 0; x < width; ++x)
            texels[static_cast<size_t>(y * width + x)] = y < height / 3 ? top : y < 2 * height / 3 ? middle : bottom;
    return texels;
}

void Place(UX::TControl* control, f32 x, f32 y, f32 width, f32 height)
{
    control->SetPosition(x, y);
    control->SetSize(width, height);
}

// Kept until the next level is written, after the cluster that listed them was cleared.
std::unique_ptr<TUxDataWriter> s_pLevelData;
} // namespace

void AddGameUxRecords(TUxDataWriter& data)
{
    data.AddFont(UX_FONT_NAME, UX_FONT_FILE, kFontPixels);
    UX::TLayer* layers[2] = {data.AddLayer(UX_LAYER_NAMES[0]), data.AddLayer(UX_LAYER_NAMES[1])};

    // The form fades in and out over half a second; it uses no other state.
    UX::TTransitionStyle* formStyle = data.AddStyle("ux_demo_form");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = formStyle->aTransition[state];
        block.TransitionTime = 0.5f;
        if (state != UX::STATE_NORMAL && state != UX::STATE_HIDDEN)
            block.nFlags |= UX::BLOCK_UNUSED;
    }
    formStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;

    // The buttons: one nine-slice image per state.
    struct TStateLook
    {
        const char* name;
        u32 frame;
        u32 fill;
    };
    const TStateLook looks[UX::STATE_COUNT] = {
        {"ux_demo_button_hidden", 0x007A9CC0, 0x003A5068},  {"ux_demo_button_focused", 0xFFF0C040, 0xFF3A5068},
        {"ux_demo_button_normal", 0xFF7A9CC0, 0xFF3A5068},  {"ux_demo_button_pressed", 0xFF7A9CC0, 0xFF1C2A3A},
        {"ux_demo_button_disabled", 0x80606870, 0x80303840}, {"ux_demo_button_hover", 0xFFB0D0F0, 0xFF4C6A8C},
    };
    UX::TTransitionStyle* buttonStyle = data.AddStyle("ux_demo_button");
    for (u32 state = 0; state < UX::STATE_COUNT; ++state)
    {
        UX::TStateBlock& block = buttonStyle->aTransition[state];
        block.Image = UX::TImage::Make(data.AddTexture(looks[state].name, 24, 24, Framed(24, 3, looks[state].frame,
                                                                                          looks[state].fill)),
                                       UX::IMAGE_NINE_SLICES);
        block.TransitionTime = 0.15f;
    }
    buttonStyle->aTransition[UX::STATE_HIDDEN].Color.a = 0.0f;

    UX::TTransitionStyle* titleStyle = data.AddStyle("ux_demo_title");
    for (UX::TStateBlock& block : titleStyle->aTransition)
    {
        block.Font = TName(UX_FONT_NAME, true);
        block.TextScale = 36.0f;
    }

    UX::TForm* form = data.AddControl<UX::TForm>(UX_DEMO_NAME, nullptr, "ux_demo_form");
    form->LayerIndex = 1;
    form->nAspectMode = 3;
    form->nEdgeFlags = UX::EDGE_CENTRE_HORIZONTALLY | UX::EDGE_CENTRE_VERTICALLY;
    form->fLeft = form->fTop = 0.5f;
    form->SetSize(960.0f, 600.0f);
    const UX::TImage panel = UX::TImage::Make(
        data.AddTexture("ux_demo_panel", 48, 48, Framed(48, 4, 0xFF5A8CC8, 0xE0182838)), UX::IMAGE_NINE_SLICES);
    form->SetBackgroundImage(&panel);
    data.AddFormToLayer(form, layers[1]);

    UX::TPictureBox* header = data.AddControl<UX::TPictureBox>("ux_demo_header", form);
    Place(header, 24.0f, 20.0f, 912.0f, 64.0f);
    const UX::TImage band =
        UX::TImage::Make(data.AddTexture("ux_demo_header", 48, 16, Header(48, 16)), UX::IMAGE_SLICES_HORIZONTAL);
    header->SetBackgroundImage(&band);
    UX::TLabel* title = data.AddControl<UX::TLabel>("ux_demo_title", header, "ux_demo_title");
    Place(title, 24.0f, 0.0f, 600.0f, 64.0f);
    title->Text.SetName(TName("ux_demo_title", true));

    UX::TPictureBox* flag = data.AddControl<UX::TPictureBox>("ux_demo_flag", header);
    Place(flag, 840.0f, 16.0f, 48.0f, 32.0f);
    UX::TImage flagImage = UX::TImage::Make(
        data.AddTexture(UX_DEMO_FLAG_VARIANTS[0], 24, 16, Flag(24, 16, 0xFFC8102E, 0xFFFFFFFF, 0xFF012169)));
    flagImage.ImageFlags |= UX::IMAGE_LANGUAGE_VARIANTS;
    data.AddTexture(UX_DEMO_FLAG_VARIANTS[1], 24, 16, Flag(24, 16, 0xFF000000, 0xFFDD0000, 0xFFFFCE00));
    flag->SetBackgroundImage(&flagImage);

    UX::TPictureBox* area = data.AddControl<UX::TPictureBox>("ux_demo_area", form);
    Place(area, 24.0f, 104.0f, 912.0f, 200.0f);
    const UX::TImage tile = UX::TImage::Make(data.AddTexture("ux_demo_tile", 16, 16, Tile(16)), UX::IMAGE_TILE);
    area->SetBackgroundImage(&tile);

    for (i32 i = 0; i < 6; ++i)
    {
        char name[32];
        std::snprintf(name, sizeof name, "ux_demo_button_%d", i + 1);
        UX::TButton* button = data.AddControl<UX::TButton>(name, form, "ux_demo_button");
        Place(button, 24.0f + static_cast<f32>(i % 3) * 308.0f, 328.0f + static_cast<f32>(i / 3) * 124.0f, 296.0f,
              108.0f);
        button->Text.SetName(TName(name, true));
    }
    // Stored hidden: ux_form_show brings it in.
    form->HideNow();
    data.AddInstanceObjects();
}

i32 AddUxRecords(TRepositoryWriter& writer, TClusterManager** managers, i32 count)
{
    RegisterGameScreens();
    s_pLevelData.reset();
    s_pLevelData = std::make_unique<TUxDataWriter>(writer);
    AddGameUxRecords(*s_pLevelData);
    return s_pLevelData->AppendManagers(managers, count, false);
}

bool WriteUxRepository(const char* path)
{
    RegisterGameScreens();
    g_pCluster->Clear();
    bool written = false;
    {
        TRepositoryWriter writer(UX_REPOSITORY_ID, 0);
        // The canvas draws with the shader repository's shaders.
        writer.AddDependency(SHADER_REPOSITORY_ID);
        TUxDataWriter data(writer);
        AddGameUxRecords(data);
        // The font's page is its used resource: the resource links travel with it.
        TClusterManager* managers[64];
        const i32 count = data.AppendManagers(managers, TRepositoryWriter::SceneManagers(managers), true);
        written = writer.Write(path, managers, count, false);
        g_pCluster->Clear();
    }
    return written;
}
