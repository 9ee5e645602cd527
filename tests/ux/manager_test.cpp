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
#include "support/storedrecords.h"
#include "ux/controls/ux.control.button.h"
#include "ux/controls/ux.control.combobox.h"
#include "ux/controls/ux.control.form.h"
#include "ux/controls/ux.control.gridview.h"
#include "ux/controls/ux.control.label.h"
#include "ux/controls/ux.control.layer.h"
#include "ux/controls/ux.control.picturebox.h"
#include "ux/controls/ux.control.stacker.h"
#include "ux/controls/ux.tooltip.h"
#include "ux/ux.controlmanager.h"
#include "ux/ux.instance.h"
#include "uxdatawriter.h"
#include "uxrecords.h"

#include <cmath>
#include <cstring>
#include <string>
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

// Words of the repository that meant memory of the run that wrote it (delegates and their counts,
// literals, a grid's data set, a combo box's, a stacker's line array, a tool tip's owner, the
// screen and control pointers of an instance object and of the form list, a texture's device
// objects, a font's glyph table), damaged, are neither used nor freed: the load forgets them, and the next load's clear frees only what this run made;
// so too when the repository comes as the dependency of one without records of its own.
TEST_F(ManagerTest, RunTimeWordsOfADamagedRepositoryAreNeitherUsedNorFreed)
{
    constexpr u32 kGarbage = 0x5A5A5A5A;
    const u32 events = offsetof(UX::TControl, aEvent);
    const u32 show = events + UX::EVENT_SHOW * sizeof(UX::TEvent);
    const struct
    {
        const char* what;
        u32 nType, nIndex, nOffset;
        std::vector<u32> aWord;
    } cases[] = {
        // One bit flipped: 128 delegates in a list of two.
        {"an event list's count", 235, 1, show + sizeof(UX::TEventCallbackList), {0x80}},
        {"a button's click delegates", 230, 0, events, {2, kGarbage, kGarbage}},
        {"a label's literals", 235, 0, offsetof(UX::TControl, Text) + 4, {kGarbage}},
        {"a label's own literal", 235, 2, offsetof(UX::TLabel, Text) + 4, {kGarbage}},
        {"a grid's data set", 234, 0, offsetof(UX::TGridView, pDataSet), {kGarbage}},
        {"a grid's row delegates", 234, 0, offsetof(UX::TGridView, OnRowDataBind), {1, kGarbage}},
        {"a combo box's list data set", 232, 0, offsetof(UX::TComboBox, aListDataSet), {kGarbage, kGarbage}},
        {"a stacker's line array", 245, 0, offsetof(UX::TStacker, aLineCross), {8, 8, kGarbage}},
        {"a texture's device objects", TEXTURE_TYPE_ID, 0, offsetof(TTexture, m_pTexture), {kGarbage, kGarbage}},
        {"a texture's size", TEXTURE_TYPE_ID, 0, offsetof(TTexture, m_nByteSize), {kGarbage}},
        {"a texture's animation", TEXTURE_TYPE_ID, 0, offsetof(TTexture, m_nAnimation), {7}},
        {"a font's glyph table", TextureFontDecl().GetTypeId(), 0, TEXTURE_FONT_GLYPH_OFFSET, {kGarbage}},
        {"a tool tip's owner", UX::SIMPLE_TOOL_TIP_TYPE_ID, 0, offsetof(UX::TSimpleToolTip, Owner), {kGarbage}},
        {"a screen", UX::INSTANCE_OBJECT_TYPE_ID, 0, offsetof(UX::TInstanceObject, pInstance), {kGarbage}},
        {"a screen's control", UX::INSTANCE_OBJECT_TYPE_ID, 0, offsetof(UX::TInstanceObject, aEntry) + 4,
         {kGarbage}},
        {"a form of the form list", 0, 0, offsetof(UX::TFormList, aEntry) + 4, {kGarbage}},
    };
    TStoredRecords damaged(VESTAMOR_DATA_DIR "/ux.data");
    for (const auto& c : cases)
        for (u32 w = 0; w < c.aWord.size(); ++w)
            damaged.SetWord(damaged.Offset(c.nType, c.nIndex) + c.nOffset + 4 * w, c.aWord[w]);
    const std::string path = m_Folder.Path() + "/damaged.data";
    const u32 damagedId = REPOSITORY_OPTIONAL_ID + 70;
    damaged.SetWord(offsetof(TRepositoryHeader, nId), damagedId);
    damaged.Write(path);
    g_pResourceManager->Associate(damagedId, path.c_str());
    const std::string top = m_Folder.Path() + "/top.data";
    TRepositoryWriter writer(REPOSITORY_OPTIONAL_ID + 71, 0);
    writer.AddDependency(damagedId);
    ASSERT_TRUE(writer.Write(top.c_str(), nullptr, 0, false));

    // The loaded record's words, as the cluster holds them now.
    auto loaded = [](u32 type, u32 index, u32 offset) {
        u32 word;
        const u8* record = type == 0 ? reinterpret_cast<const u8*>(&Ux().GetFormList())
                                     : static_cast<const u8*>(TClusterHandle(index, type).GetObject());
        std::memcpy(&word, record + offset, 4);
        return word;
    };
    for (const std::string& repository : {path, top})
    {
        SCOPED_TRACE(repository);
        ASSERT_EQ(g_pResourceManager->LoadRepository(repository.c_str(), 0), 0);
        for (const auto& c : cases)
            for (u32 w = 0; w < c.aWord.size(); ++w)
                EXPECT_NE(loaded(c.nType, c.nIndex, c.nOffset + 4 * w), c.aWord[w]) << c.what << " word " << w;
        Frame();
        Draw();
        // The next load's clear: a stored delegate or literal freed would end the program here.
        Load();
    }
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
