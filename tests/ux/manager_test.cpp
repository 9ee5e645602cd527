// The UX manager and the loaded data: the written repository in the control managers with every
// link resolved, stale words and damaged values of stored records, run-time words of a damaged
// repository, broken trees, the form list block and the instance count.
#include "uxfixture.h"

#include "engine/localization/localization.h"
#include "engine/render/texture.h"
#include "engine/render/texturefont.h"
#include "engine/system/scenetypes.h"
#include "engine/system/command/commandmanager.h"
#include "morvane/ux/uxdemoscreen.h"
#include "repositorywriter.h"
#include "support/scratchfolder.h"
#include "support/storedrecords.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.checkbox.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.radiobutton.h"
#include "ux/controls/ux.control.selector.h"
#include "ux/controls/ux.control.slider.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.control.tab.h"
#include "ux/controls/ux.control.tabcontrol.h"
#include "ux/controls/ux.control.textbox.h"
#include "ux/controls/ux.control.trackbar.h"
#include "ux/controls/ux.control.vscroller.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.controlmanager.h"
#include "ux/ux.instance.h"
#include "uxdatawriter.h"
#include "uxrecords.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

// Stored offsets of the control classes are read.
#pragma GCC diagnostic ignored "-Winvalid-offsetof"

namespace
{
struct TSink
{
    void Handle(UX::TControl*, void*) {}
};

using ManagerTest = UxTest;

// Words of a stored UX type that meant memory of the run that wrote the image: count words,
// stride bytes apart (type 0: the form list, the UX manager's data block).
struct TRunTimeRun
{
    u32 nType, nOffset, nCount, nStride;
};

// The type ids of the control classes.
std::vector<u32> ControlTypes()
{
    std::vector<u32> types;
    UX::TUXManager& ux = UX::TUXManager::Instance();
    for (u32 m = 0; m < ux.GetControlManagerCount(); ++m)
    {
        UX::TControl* first = nullptr;
        i32 count = 0;
        const TClusterTypeDecl* decl = nullptr;
        ux.GetControlManager(m)->GetArrayInfo(first, count, decl);
        types.push_back(decl->GetTypeId());
    }
    return types;
}

// Every stored UX type's run-time words: those of the base in every control class, then each
// type's own.
std::vector<TRunTimeRun> RunTimeWords()
{
    constexpr u32 kEventWords = sizeof(UX::TEvent) / 4;
    // A text's literal word follows its key.
    constexpr u32 kItemTexts = offsetof(UX::TItemCollection, aText) + 4 + 4;
    auto word = [](u32 type, u32 offset) { return TRunTimeRun{type, offset, 1, 4}; };
    auto events = [](u32 type, u32 offset, u32 count) { return TRunTimeRun{type, offset, count * kEventWords, 4}; };
    auto texts = [](u32 type, u32 offset) {
        return TRunTimeRun{type, offset + kItemTexts, UX::ITEM_CAPACITY, sizeof(UX::TLocalization)};
    };
    std::vector<TRunTimeRun> runs;
    for (u32 type : ControlTypes())
    {
        runs.push_back(word(type, offsetof(UX::TControl, Text) + 4));
        runs.push_back(events(type, offsetof(UX::TControl, aEvent), UX::EVENT_COUNT));
        runs.push_back(word(type, offsetof(UX::TControl, Base.Image.pTexture)));
        runs.push_back(word(type, offsetof(UX::TControl, Computed.Image.pTexture)));
    }
    for (u32 type : {UX::CHECK_BOX_TYPE_ID, UX::RADIO_BUTTON_TYPE_ID, UX::TAB_TYPE_ID})
    {
        runs.push_back(events(type, offsetof(UX::TCheckBox, OnChange), 1));
        runs.push_back(word(type, offsetof(UX::TCheckBox, Text) + 4));
    }
    const TRunTimeRun own[] = {
        {UX::LAYER_TYPE_ID, offsetof(UX::TLayer, aOverlay), 1 + UX::LAYER_OVERLAY_CAPACITY, 4},
        word(UX::BUTTON_TYPE_ID, offsetof(UX::TButton, Text) + 4),
        word(UX::LABEL_TYPE_ID, offsetof(UX::TLabel, Text) + 4),
        texts(UX::COMBO_BOX_TYPE_ID, offsetof(UX::TComboBox, Items)),
        {UX::COMBO_BOX_TYPE_ID, offsetof(UX::TComboBox, aListDataSet), UX::COMBO_DATA_SET_ROOM / 4, 4},
        events(UX::COMBO_BOX_TYPE_ID, offsetof(UX::TComboBox, OnChange), 1),
        texts(UX::SELECTOR_TYPE_ID, offsetof(UX::TSelector, Items)),
        events(UX::SELECTOR_TYPE_ID, offsetof(UX::TSelector, OnChange), 1),
        word(UX::GRID_VIEW_TYPE_ID, offsetof(UX::TGridView, pDataSet)),
        word(UX::GRID_VIEW_TYPE_ID, offsetof(UX::TGridView, SavedBackground.pTexture)),
        events(UX::GRID_VIEW_TYPE_ID, offsetof(UX::TGridView, OnRowDataBind), 3),
        events(UX::SLIDER_TYPE_ID, offsetof(UX::TSlider, OnChange), 1),
        events(UX::TRACK_BAR_TYPE_ID, offsetof(UX::TTrackBar, OnChange), 1),
        events(UX::VSCROLLER_TYPE_ID, offsetof(UX::TVScroller, OnScroll), 1),
        events(UX::TAB_CONTROL_TYPE_ID, offsetof(UX::TTabControl, OnTabChange), 1),
        events(UX::TEXT_BOX_TYPE_ID, offsetof(UX::TTextBox, OnTextChange), 3),
        {UX::STACKER_TYPE_ID, offsetof(UX::TStacker, aLineCross), 3 * sizeof(DArray<f32>) / 4, 4},
        events(UX::STACKER_TYPE_ID, offsetof(UX::TStacker, OnItemClick), 1),
        word(UX::INSTANCE_OBJECT_TYPE_ID, offsetof(UX::TInstanceObject, pInstance)),
        {UX::INSTANCE_OBJECT_TYPE_ID, offsetof(UX::TInstanceObject, aEntry) + 4, UX::INSTANCE_ENTRY_CAPACITY,
         sizeof(UX::TInstanceEntry)},
        word(UX::SIMPLE_TOOL_TIP_TYPE_ID, offsetof(UX::TSimpleToolTip, Owner)),
        {0, offsetof(UX::TFormList, aEntry) + 4, UX::FORM_LIST_CAPACITY, sizeof(UX::TFormListEntry)},
    };
    runs.insert(runs.end(), std::begin(own), std::end(own));
    return runs;
}

// A word of a stored record, and the value the damage gave it.
struct TStoredWord
{
    u32 nType, nIndex, nOffset, nValue;
};

// The word as the loaded record holds it.
u32 LoadedWord(const TStoredWord& word)
{
    u32 value;
    const u8* record = word.nType == 0 ? reinterpret_cast<const u8*>(&UX::TUXManager::Instance().GetFormList())
                                       : static_cast<const u8*>(TClusterHandle(word.nIndex, word.nType).GetObject());
    std::memcpy(&value, record + word.nOffset, 4);
    return value;
}

// Every link of a loaded control lands on a loaded control or on nothing.
void ExpectTreeResolved(UX::TControl* control)
{
    for (UX::TControl* link : {control->pParent, control->lChild.pFirst, control->lChild.pLast, control->pNext,
                               control->pPrev})
        EXPECT_TRUE(!link || UX::TUXManager::Instance().IsLoadedControl(link)) << control->GetNameText();
    if (control->StyleName.IsValid())
    {
        EXPECT_NE(control->pStyle, nullptr) << control->GetNameText();
    }
    for (const UX::TImage& image : control->aTransitionImage)
        EXPECT_EQ(image.TexWidth != 0, image.pTexture != nullptr) << control->GetNameText();
    EXPECT_EQ(control->BackgroundImage.TexWidth != 0, control->BackgroundImage.pTexture != nullptr)
        << control->GetNameText();
}
} // namespace

TEST_F(ManagerTest, TheWrittenRepositoryLoadsIntoTheControlManagersWithEveryLinkResolved)
{
    EXPECT_EQ(Ux().GetControlManagerCount(), 26u);
    EXPECT_EQ(UX::TLayer::Manager().GetCount(), 2);
    // The demonstration, its confirmation, the lists of its resolution box and of its licence
    // date's year, month and day, the message box, the four account screens and the lists of
    // the create and update screens' birth dates, the credits, help and the vehicle task dialog.
    EXPECT_EQ(UX::TForm::Manager().GetCount(), 20);
    // Every loaded control is in a layer's tree, with its links resolved.
    for (u32 m = 0; m < Ux().GetControlManagerCount(); ++m)
    {
        UX::TControlManager* manager = Ux().GetControlManager(m);
        for (i32 i = 0; i < manager->GetCount(); ++i)
        {
            UX::TControl* control = manager->GetInstance(i);
            ExpectTreeResolved(control);
            UX::TControl* root = control;
            while (root->pParent)
                root = root->pParent;
            EXPECT_TRUE(root == Ux().GetLayer(0) || root == Ux().GetLayer(1)) << control->GetNameText();
        }
    }
    UX::TControl* form = Form();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->pParent, Ux().GetLayer(1));
    // The layer lists the forms on screen only: none while the form and the tool tip's label
    // are hidden.
    EXPECT_EQ(Ux().GetLayer(1)->aControl.GetCount(), 0u);
    ASSERT_NE(Ux().GetDefaultToolTip(), nullptr);
    EXPECT_EQ(Ux().GetDefaultToolTip()->pLabel->pParent, Ux().GetLayer(1));
    EXPECT_EQ(form->BackgroundImage.Mode, UX::IMAGE_NINE_SLICES);
    EXPECT_EQ(Ux().GetLayer(1)->Base.Rect, (UX::TRect{0.0f, 0.0f, 1280.0f, 720.0f})) << "the back buffer's";
    // The form list: the forms whose keys are served, not the drop-down lists.
    ASSERT_EQ(Ux().GetFormList().nCount, 10);
    EXPECT_EQ(Ux().ResolveForm(0), form);
    EXPECT_EQ(Ux().ResolveForm(1), Ux().PrepareForm(TName(UX_DEMO_CONFIRM_NAME, true)));
}

// Pointer words of the image meant storage of the run that wrote it: texts' literals and delegates
// are forgotten at the load, not freed or called.
TEST_F(ManagerTest, StaleWordsOfLoadedRecordsAreForgotten)
{
    TSink sink;
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        UX::TButton* button = data.AddControl<UX::TButton>("stale", layer);
        button->Text.SetText(u"literal");
        button->TControl::Text.SetText(u"base literal");
        button->Event(UX::EVENT_CLICK).AddHandler(0, &sink, &TSink::Handle);
        button->Event(UX::EVENT_SHOW).AddHandler(1, &sink, &TSink::Handle);
    });
    ASSERT_EQ(UX::TButton::Manager().GetCount(), 1);
    UX::TButton* button = UX::TButton::Manager().Get(0);
    EXPECT_EQ(button->Text.GetHolder(), nullptr);
    EXPECT_EQ(button->TControl::Text.GetHolder(), nullptr);
    for (const UX::TEvent& event : button->aEvent)
        EXPECT_FALSE(event.HasHandler());
    button->Event(UX::EVENT_CLICK).Invoke(button, nullptr);
}

// Every run-time word of every stored UX type (delegates and their counts, literals, the state
// blocks' textures, a layer's overlays, a grid's data set and saved background, a combo box's
// list data set, a stacker's line arrays, a tool tip's owner, the screen and control pointers of
// an instance object and of the form list), in the first and the last record of its type, set to
// a wild value, and a texture's and a font's words, are neither used nor freed: the load forgets
// them before anything reads them, the form shown draws, and the next load's clear frees only
// what this run made; so too when the repository comes as the dependency of one without records
// of its own.
TEST_F(ManagerTest, RunTimeWordsOfADamagedRepositoryAreNeitherUsedNorFreed)
{
    constexpr u32 kWild = 0xDEADBEEF;
    TStoredRecords damaged(VESTAMOR_DATA_DIR "/ux.data");
    std::vector<TStoredWord> words;
    for (const TRunTimeRun& run : RunTimeWords())
    {
        ASSERT_TRUE(run.nType == 0 || damaged.Count(run.nType) > 0) << "type " << run.nType << " is stored";
        const u32 last = run.nType == 0 ? 0 : damaged.Count(run.nType) - 1;
        for (u32 index : {0u, last})
            for (u32 w = 0; w < run.nCount; ++w)
                words.push_back({run.nType, index, run.nOffset + w * run.nStride, kWild});
    }
    // One bit flipped: 128 delegates in a list of two; a texture's and a font's run-time words.
    const u32 show = offsetof(UX::TControl, aEvent) + UX::EVENT_SHOW * sizeof(UX::TEvent);
    words.push_back({UX::LABEL_TYPE_ID, 1, show + sizeof(UX::TEventCallbackList), 0x80});
    for (u32 offset : {offsetof(TTexture, m_pTexture), offsetof(TTexture, m_pTexture) + 4, offsetof(TTexture, m_nByteSize)})
        words.push_back({TEXTURE_TYPE_ID, 0, offset, kWild});
    words.push_back({TEXTURE_TYPE_ID, 0, offsetof(TTexture, m_nAnimation), 7});
    words.push_back({TextureFontDecl().GetTypeId(), 0, TEXTURE_FONT_GLYPH_OFFSET, kWild});
    for (const TStoredWord& word : words)
        damaged.SetWord(damaged.Offset(word.nType, word.nIndex) + word.nOffset, word.nValue);

    const std::string path = m_Folder.Path() + "/damaged.data";
    const u32 damagedId = REPOSITORY_OPTIONAL_ID + 70;
    damaged.SetWord(offsetof(TRepositoryHeader, nId), damagedId);
    damaged.Write(path);
    g_pResourceManager->Associate(damagedId, path.c_str());
    const std::string top = m_Folder.Path() + "/top.data";
    TRepositoryWriter writer(REPOSITORY_OPTIONAL_ID + 71, 0);
    writer.AddDependency(damagedId);
    ASSERT_TRUE(writer.Write(top.c_str(), nullptr, 0, false));

    for (const std::string& repository : {path, top})
    {
        SCOPED_TRACE(repository);
        ASSERT_EQ(g_pResourceManager->LoadRepository(repository.c_str(), 0), 0);
        for (const TStoredWord& word : words)
            EXPECT_NE(LoadedWord(word), word.nValue)
                << "type " << word.nType << " record " << word.nIndex << " offset " << word.nOffset;
        Frame();
        TCommandManager::Instance().ExecuteText("ux.form.show \"UXDemo\"");
        Frames(40);
        Draw();
        // The next load's clear: a stored delegate or literal freed would end the program here.
        Load();
    }
}

// The shipped repository with bit 7 of byte 2,045,232 flipped, which fell on a label's count of
// delegates (record 299, the second list of its OnVisibilityChange: 128 delegates in a list of
// two), loaded by "resource.load" from a player's start-up script, before the UX hears of loads,
// then the level's load, which clears the cluster: the count is never read, no delegate called or
// freed, and the game runs to its end.
TEST_F(ManagerTest, AFlippedDelegateCountLoadedByTheGamesScriptIsNeverUsed)
{
    constexpr u32 kNamedByte = 2045232;
    const u32 visibility = offsetof(UX::TControl, aEvent) + UX::EVENT_VISIBILITY_CHANGE * sizeof(UX::TEvent);
    TStoredRecords flipped(VESTAMOR_DATA_DIR "/ux.data");
    ASSERT_GT(flipped.Count(UX::LABEL_TYPE_ID), 299u);
    ASSERT_GT(flipped.bytes.size(), kNamedByte);
    // The count, found by its record whatever the file's layout; the named byte too while it
    // falls on a run-time word of its record.
    std::vector<u32> flips = {flipped.Offset(UX::LABEL_TYPE_ID, 299) + visibility + sizeof(UX::TEventCallbackList)};
    const std::vector<TRunTimeRun> runs = RunTimeWords();
    for (const TRunTimeRun& run : runs)
        for (u32 w = 0; w < run.nCount && run.nType != 0; ++w)
            for (u32 index = 0; index < flipped.Count(run.nType); ++index)
            {
                const u32 at = flipped.Offset(run.nType, index) + run.nOffset + w * run.nStride;
                if (kNamedByte >= at && kNamedByte < at + 4 && at != flips[0])
                    flips.push_back(kNamedByte);
            }
    for (u32 at : flips)
        flipped.bytes[at] ^= 0x80;

    // The game as a player has it, in a scratch folder: the sources' start-up scripts, the
    // build's repositories with the damaged one, the player's settings script in the user folder.
    TScratchFolder game("uxgame");
    std::filesystem::copy(MORVANE_DATA_PATH, game.Path() + "/work", std::filesystem::copy_options::recursive);
    std::filesystem::copy(MORVANE_LANGUAGE_PATH, game.Path() + "/work/data", std::filesystem::copy_options::recursive);
    flipped.Write(game.Path() + "/work/data/ux.data");
    game.WriteFile("home/My Games/Brevicorn/system/settings.icom",
                   game.ReadFile("work/system/settings.icom") + "\nresource.load \"data/ux.data\"\n");
    std::filesystem::create_directories(game.Path() + "/runtime");
    // Headless, its window closed on its fifth frame; the limit is for a hang.
    const std::string command = "cd '" + game.Path() + "/work' && HOME='" + game.Path() +
                                "/home' XDG_DOCUMENTS_DIR= TMPDIR='" + game.Path() + "' XDG_RUNTIME_DIR='" +
                                game.Path() + "/runtime' VESTAMOR_HEADLESS=1 VESTAMOR_HEADLESS_FRAMES=5 timeout 200 '" +
                                MORVANESIM_PATH + "' >/dev/null 2>'" + game.Path() + "/stderr'";
    const int status = std::system(command.c_str());
    const std::string errors = game.ReadFile("stderr");
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << errors;
    EXPECT_EQ(errors.find("runtime error"), std::string::npos) << errors;
    const std::string log = game.ReadFile("home/My Games/Brevicorn/system.log");
    const size_t repository = log.find("TResourceManager::LoadRepository(): 'data/ux.data'");
    ASSERT_NE(repository, std::string::npos) << log;
    EXPECT_NE(log.find("TResourceManager::LoadRepository(): 'data/morvane.data'", repository), std::string::npos)
        << "the level's load clears the cluster after it";
    EXPECT_NE(log.find("WinMain(): the end"), std::string::npos);
}

TEST_F(ManagerTest, DamagedValuesOfStoredControlsAreResetWithTheirNames)
{
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        UX::TControl* bad = data.AddControl<UX::TPictureBox>("damaged", layer);
        // The first values refused on each side.
        bad->nState = UX::STATE_COUNT;
        bad->nTargetState = UX::STATE_NONE + 1;
        bad->nAspectMode = UX::ASPECT_MODE_COUNT;
        bad->nClipStage = UX::CLIP_STAGE_COUNT;
        bad->nActionBindingCount = UX::ACTION_BINDING_COUNT + 1;
        bad->fTransitionRemaining = -3.0f;
        UX::TControl* scoped = data.AddControl<UX::TPictureBox>("scoped", layer);
        scoped->AddActionBinding(TName("act", true), "a", UX::SCOPE_ALWAYS);
        scoped->aActionBinding[0].nScope = UX::SCOPE_COUNT;
        UX::TControl* negative = data.AddControl<UX::TPictureBox>("negative", layer);
        negative->nActionBindingCount = -1;
        negative->fTransitionDuration = std::nanf("");
    });
    UX::TControl* bad = UX::TPictureBox::Manager().Get(0);
    EXPECT_EQ(bad->nState, UX::STATE_NORMAL);
    EXPECT_EQ(bad->nTargetState, UX::STATE_NONE);
    EXPECT_EQ(bad->nAspectMode, 0u);
    EXPECT_EQ(bad->nClipStage, UX::CLIP_BEFORE_CHILDREN);
    EXPECT_EQ(bad->nActionBindingCount, 0);
    EXPECT_EQ(bad->fTransitionRemaining, 0.0f);
    EXPECT_EQ(UX::TPictureBox::Manager().Get(1)->nActionBindingCount, 0);
    for (const char* what : {"state", "aspect mode", "clip stage", "action binding count", "transition time"})
        EXPECT_TRUE(Logged(std::string("'damaged': ") + what + " reset")) << what;
    EXPECT_TRUE(Logged("'scoped': action binding scope reset"));
    EXPECT_TRUE(Logged("'negative': action binding count reset"));
    EXPECT_TRUE(Logged("'negative': transition time reset"));
    // The last one accepted on each side stays.
    LoadWritten([&](TUxDataWriter& data) {
        UX::TControl* edge = data.AddControl<UX::TPictureBox>("edge", nullptr);
        edge->nState = UX::STATE_HOVER;
        edge->nTargetState = UX::STATE_NONE;
        edge->aActionBinding[0].nScope = UX::SCOPE_ALWAYS;
        edge->nAspectMode = 7;
        edge->nClipStage = UX::CLIP_AFTER_CHILDREN;
        edge->nActionBindingCount = 8;
    });
    UX::TControl* edge = UX::TPictureBox::Manager().Get(0);
    EXPECT_EQ(edge->nState, UX::STATE_HOVER);
    EXPECT_EQ(edge->nAspectMode, 7u);
    EXPECT_EQ(edge->nClipStage, UX::CLIP_AFTER_CHILDREN);
    EXPECT_EQ(edge->nActionBindingCount, 8);
}

TEST_F(ManagerTest, TreeLinksThatDoNotPairUpOrCycleAreCut)
{
    LoadWritten([&](TUxDataWriter& data) {
        UX::TLayer* layer = data.AddLayer("layer");
        UX::TControl* a = data.AddControl<UX::TPictureBox>("a", layer);
        UX::TControl* stray = data.AddControl<UX::TPictureBox>("stray", nullptr);
        // The stray names a parent whose list does not hold it.
        stray->pParent = a;
        UX::TControl* x = data.AddControl<UX::TPictureBox>("x", nullptr);
        UX::TControl* y = data.AddControl<UX::TPictureBox>("y", x);
        // x and y are each other's parent.
        y->AddChild(x);
        x->pParent = y;
        // A parent link to a style, which is no control.
        UX::TControl* odd = data.AddControl<UX::TPictureBox>("odd", nullptr);
        odd->pParent = reinterpret_cast<UX::TControl*>(data.AddStyle("style"));
        // A child count that does not match the list; a tool tip's label that is no label.
        layer->nChildCount = 5;
        data.AddToolTip()->pLabel = a;
    });
    auto named = [](const char* name) {
        UX::TControlManagerTemplate<UX::TPictureBox>& boxes = UX::TPictureBox::Manager();
        for (i32 i = 0; i < boxes.GetCount(); ++i)
            if (boxes.Get(i)->Name == TName(name))
                return static_cast<UX::TControl*>(boxes.Get(i));
        return static_cast<UX::TControl*>(nullptr);
    };
    EXPECT_EQ(named("stray")->pParent, nullptr);
    EXPECT_TRUE(Logged("'stray': a parent link that does not pair up cut"));
    EXPECT_EQ(named("odd")->pParent, nullptr);
    EXPECT_TRUE(Logged("'odd': a link to no control cut"));
    EXPECT_EQ(UX::TLayer::Manager().Get(0)->nChildCount, 1);
    // Walking up from either of the pair ends at a root.
    for (const char* name : {"x", "y"})
    {
        i32 steps = 0;
        for (UX::TControl* c = named(name); c && steps < 10; c = c->pParent)
            ++steps;
        EXPECT_LT(steps, 10) << name;
    }
    EXPECT_TRUE(Logged("a cycle of parents cut"));
    EXPECT_EQ(Ux().GetDefaultToolTip()->pLabel, nullptr);
    EXPECT_TRUE(Logged("a tool tip's label is no loaded label: cut"));
}

TEST_F(ManagerTest, AFormListBlockOfAnotherSizeIsRefusedAndItsPointersForgotten)
{
    std::vector<u8> block(sizeof(UX::TFormList) - 4, 0);
    EXPECT_EQ(Ux().SetData(0, block.data(), static_cast<i32>(block.size())), 1);
    EXPECT_TRUE(Logged("a form list of 2048 bytes is refused (2052 expected)"));
    EXPECT_EQ(Ux().ResolveForm(0), Form()) << "the list loaded before stays";

    UX::TFormList list = Ux().GetFormList();
    list.aEntry[0].pControl = reinterpret_cast<UX::TControl*>(0x1234);
    EXPECT_EQ(Ux().SetData(0, &list, sizeof list), 0);
    EXPECT_EQ(Ux().GetFormList().aEntry[0].pControl, nullptr);
    EXPECT_EQ(Ux().ResolveForm(0), Form());
    list.nCount = 257;
    EXPECT_EQ(Ux().SetData(0, &list, sizeof list), 0);
    EXPECT_EQ(Ux().GetFormList().nCount, 0);
    EXPECT_TRUE(Logged("257 forms in the form list: none kept"));
}

// Loaded instance objects take the registered screens in order: a level written before a later
// screen was registered loads with that screen unbound; more objects than screens end the program.
TEST_F(ManagerTest, LoadedInstanceObjectsBindTheScreensInOrderAndNoMoreThanAreRegistered)
{
    struct TLaterScreen : UX::TInstance
    {
        TLaterScreen() : UX::TInstance("TLaterScreen") {}
    };
    // Registered once for the program, after the game's screens.
    static TLaterScreen s_Later;
    const u32 registered = Ux().GetInstanceCount();
    ASSERT_GE(registered, 2u);
    const struct
    {
        u32 nObjects;
    } cases[] = {{0}, {registered - 1}, {registered}};
    for (const auto& c : cases)
    {
        LoadWritten([&](TUxDataWriter& data) {
            AddGameUxRecords(data);
            Ux().InstanceObjects().SetCount(static_cast<i32>(c.nObjects));
        });
        ASSERT_EQ(Ux().GetInstanceObjectCount(), c.nObjects);
        EXPECT_EQ(Ux().GetInstance(0)->GetForm() != nullptr, c.nObjects > 0) << c.nObjects;
        EXPECT_EQ(s_Later.GetForm(), nullptr) << "no form of its own";
    }
    Load();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(Ux().SetArray(UX::INSTANCE_OBJECT_TYPE_ID, nullptr, static_cast<i32>(registered + 1)),
                 "invalid instance count " + std::to_string(registered + 1) + " \\(should be " +
                     std::to_string(registered) + "\\)");
}
