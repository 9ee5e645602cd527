#include "uxrecords.h"

#include "core/cluster/cluster.h"
#include "morvane/ux/screens.h"
#include "repositorywriter.h"
#include "scenerepositories.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/ux.manager.h"
#include "ux/controls/ux.tooltip.h"
#include "uxcreditsrecords.h"
#include "uxdatawriter.h"
#include "uxaccountrecords.h"
#include "uxdemorecords.h"
#include "uxhelprecords.h"
#include "uxmessageboxrecords.h"
#include "uxtextures.h"
#include "uxvehicletaskrecords.h"

#include <memory>

namespace
{
constexpr u32 UX_REPOSITORY_ID = REPOSITORY_OPTIONAL_ID + 3;
constexpr i32 kFontPixels = 20;
constexpr f32 kToolTipTextSize = 22.0f;

// The tool tip's label: a small framed box over everything on layer 1, hidden, deaf to the mouse.
void AddToolTipLabel(TUxDataWriter& data, UX::TLayer* layer, UX::TSimpleToolTip* toolTip)
{
    UX::TTransitionStyle* style = data.AddStyle("ux_tooltip");
    const UX::TImage box = UX::TImage::Make(
        data.AddTexture("ux_tooltip", 16, 16, UxTextures::Framed(16, 2, 0xFFE0C060, 0xF0202830)),
        UX::IMAGE_NINE_SLICES);
    for (UX::TStateBlock& block : style->aTransition)
    {
        block.Image = box;
        block.Font = TName(UX_FONT_NAME, true);
        block.TextScale = kToolTipTextSize;
        // Centred both ways.
        block.TextSetting = 1;
        block.TransitionTime = 0.0f;
    }
    UX::TLabel* label = data.AddControl<UX::TLabel>(UX_TOOL_TIP_LABEL, nullptr, "ux_tooltip");
    label->nFlags |= UX::CONTROL_IGNORES_MOUSE;
    label->SetSize(20.0f, 30.0f);
    data.AddFormToLayer(label, layer, false);
    label->HideNow();
    toolTip->pLabel = label;
}

// Kept until the next level is written, after the cluster that listed them was cleared.
std::unique_ptr<TUxDataWriter> s_pLevelData;
} // namespace

void AddGameUxRecords(TUxDataWriter& data)
{
    data.AddFont(UX_FONT_NAME, UX_FONT_FILE, kFontPixels);
    UX::TLayer* layers[2] = {data.AddLayer(UX_LAYER_NAMES[0]), data.AddLayer(UX_LAYER_NAMES[1])};
    data.AddTexture(UX::WHITE_TEXTURE_NAME, 4, 4, UxTextures::Solid(4, 4, 0xFFFFFFFF));
    UX::TSimpleToolTip* toolTip = data.AddToolTip();
    AddDemoForm(data, layers[1], toolTip);
    AddMessageBoxForm(data, layers[1]);
    AddAccountForms(data, layers[0]);
    AddCreditsForm(data, layers[1]);
    AddHelpForm(data, layers[1]);
    AddVehicleTaskForm(data, layers[0]);
    AddToolTipLabel(data, layers[1], toolTip);
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
