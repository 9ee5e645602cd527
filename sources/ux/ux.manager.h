#pragma once
// TUXManager ("UX"): ties loaded UX data to the running program and drives the controls. It
// owns the loaded styles, instance objects and tool tips and the form list (its cluster data
// block), knows every control manager, and each frame routes the input (focus, hover, capture,
// the pressed control, the modal form, key actions; ux.manager.input.cpp), updates the trees of
// the layers and draws layers 0 and 1 through the canvas (ux.manager.render.cpp, with the font
// cache that binds font pages into "Shader_UX").
#include "core/cluster/clusterhandle.h"
#include "core/cluster/clustermethods.h"
#include "core/system/templates/darray.h"
#include "core/system/templates/sarray.h"
#include "core/system/templates/sset.h"
#include "engine/input/inputevent.h"
#include "engine/input/inputfocus.h"
#include "engine/input/inputmethods.h"
#include "engine/localization/localizationmethods.h"
#include "engine/render/devicemethods.h"
#include "engine/system/manager.h"
#include "engine/system/resourcemethods.h"
#include "ux/controls/ux.fader.h"
#include "ux/ux.control.h"

class TDxShader;
class TInput;
class TInputCursor;
class TTexture;
class TTextureFont;

namespace UX
{
class TControlManager;
class TInstance;
class TLayer;
class TSimpleToolTip;
struct TInstanceObject;

// The id of the manager's data block in images: no one gives the UX manager one, so it takes the
// number of the form type, as the block lists forms.
constexpr i32 UX_MANAGER_ID = 233;
constexpr u32 FORM_LIST_CAPACITY = 256;
constexpr u32 INPUT_QUEUE_CAPACITY = 16;
constexpr u32 FONT_CACHE_CAPACITY = 32;
constexpr u32 FONT_PAGE_SLOTS = 6;
// The first texture slot of "Shader_UX" that holds a font page.
constexpr u32 FONT_FIRST_SLOT = 6;
constexpr u32 UX_FOCUS_LAYER = 4;
// The layers that take the mouse and are drawn.
constexpr u32 DRAWN_LAYER_COUNT = 2;
// The white texture of the UX data that filled rectangles tint.
inline constexpr const char* WHITE_TEXTURE_NAME = "ux_white";
// The width below which aspect mode 7 scales down.
constexpr f32 UX_REFERENCE_WIDTH = 1280.0f;
constexpr f32 UX_REFERENCE_HEIGHT = 800.0f;

struct TFormListEntry
{
    TClusterHandle Handle;
    TControl* pControl;
};

// The manager's cluster data block: the forms whose key bindings are served.
struct TFormList
{
    i32 nCount;
    TFormListEntry aEntry[FORM_LIST_CAPACITY];
};

static_assert(sizeof(TFormList) == 2052);

class TUXManager : public TManager,
                   public TClusterMethods,
                   public TInputFocus,
                   public TResourceMethods,
                   public TDeviceMethods,
                   public TInputMethods,
                   public TLocalizationMethods
{
public:
    // A font asked for while drawing: its requests in the frame and its first bound page
    // (-1: not bound).
    struct TFontCache
    {
        TTextureFont* pFont;
        u32 nRequests;
        i32 nFirstPage;
    };
    typedef SSet<TMapKey<TName, TFontCache>, FONT_CACHE_CAPACITY, TName, 1> TFontCacheSet;

    // The one instance, built on first use (the control managers register with it while the
    // program starts).
    static TUXManager& Instance();
    ~TUXManager() override;

    // Registers the listener interfaces; the input focus on layer 4.
    void BeginManager() override;
    // What loaded controls were given (texts, handlers) goes before the program ends.
    void FinalizeManager() override { OnClusterUnload(); }
    // The captured control is dropped once it is no longer on screen or on a topmost form.
    void UpdateManager(f32 step) override;
    void RenderManager() override;

    // Styles (228), instance objects (226, checked against the registered screens) and tool
    // tips (249).
    i32 SetArray(u32 typeId, void* data, i32 count) override;
    // The form list.
    i32 GetDataCount() override { return 1; }
    i32 GetDataSize() override { return sizeof(TFormList); }
    i32 GetData(i32 index, void*& data, i32& size) override;
    i32 SetData(i32 index, const void* data, i32 size) override;

    // TClusterMethods.
    void OnClusterLoad() override;
    void OnClusterUnload() override;
    // TInputFocus.
    bool WantsInput() override;
    i32 OnFocusGain() override;
    void OnFocusLost() override;
    void UpdateFocus(f32 step) override;
    // TDeviceMethods: the layers follow the back buffer.
    void OnDeviceChange() override;
    // TInputMethods: the frame's events and the frame input step.
    void OnInputEvent(const TInputEvent& event) override;
    void OnInputTick() override;
    // TLocalizationMethods.
    void OnLanguageChange(int previous) override;

    TTransitionStyle* FindStyle(const TName& name) const;
    // Appends a screen and gives it the next registration number.
    void RegisterInstance(TInstance* instance);
    u32 GetInstanceCount() const { return static_cast<u32>(m_aInstance.GetCount()); }
    TInstance* GetInstance(u32 index) const { return m_aInstance[static_cast<i32>(index)]; }
    // While suspended, screens built register nothing.
    void SetRegistrationSuspended(bool suspended) { m_bRegistrationSuspended = suspended; }
    bool IsRegistrationSuspended() const { return m_bRegistrationSuspended; }
    u32 GetInstanceObjectCount() const { return static_cast<u32>(m_aInstanceObject.GetCount()); }
    // Shows the first control of the loaded instance object of the screen's class name, in
    // forced mode; 1 when there is none.
    i32 ShowForm(const TName& name);
    void RegisterControlManager(TControlManager* manager);
    u32 GetControlManagerCount() const { return static_cast<u32>(m_aControlManager.GetCount()); }
    TControlManager* GetControlManager(u32 index) const { return m_aControlManager[static_cast<i32>(index)]; }
    TControlManager* FindControlManager(const TName& className) const;

    // The loaded form of the name (ux_form_show, ux_form_hide); its tree is loaded the first
    // time after a cluster load. Null when there is none.
    TControl* PrepareForm(const TName& name);

    void SetFocus(TControl* control);
    TControl* GetFocus() const { return m_pFocus; }
    void SetCapture(TControl* control) { m_pCapture = control; }
    TControl* GetCapture() const { return m_pCapture; }
    void SetModalForm(TControl* form) { m_pModalForm = form; }
    TControl* GetModalForm() const { return m_pModalForm; }
    // Modal forms open one over another: the form opened becomes the modal form; the modal form
    // closed gives the modal back to the one below it. A form closed while another is modal
    // only leaves the stack.
    void OpenModalForm(TControl* form);
    void CloseModalForm(TControl* form);
    u32 GetModalDepth() const { return static_cast<u32>(m_aModalForm.GetCount()); }
    void SetPressed(TControl* control) { m_pPressed = control; }
    TControl* GetPressed() const { return m_pPressed; }
    // The control's form is on screen and one of the topmost forms of the frame's input step.
    bool IsOnTopForm(TControl* control);
    // Refreshes the language variants of every control's images and the font aliases.
    void UpdateLocalization();

    // Layer i: the i-th loaded layer; null beyond them.
    TLayer* GetLayer(u32 index) const;
    u32 GetLayerCount() const;
    // Layers 0 and 1 rebuilt: forms no longer on screen leave them; they cover the back buffer.
    void RebuildLayers();

    // A request of the font while drawing: the index of its first bound page, -1 when it is
    // not bound (or, for a 33rd font of the frame, not cached).
    i32 RequestFont(const TName& font);
    const TFontCacheSet& GetRequestedFonts() const { return m_Requested; }
    const TFontCacheSet& GetBoundFonts() const { return m_Bound; }
    // Binds the pages of the fonts requested most in the last frame (at most six pages).
    void BindFonts();

    // The variable ux_show: 0 draws nothing.
    static bool IsShown();

    const TMouse& GetMouse() const { return m_Mouse; }
    u32 GetMouseResult() const { return m_nMouseResult; }
    u32 GetDragState() const { return m_nDragState; }
    u32 GetQueuedEventCount() const { return m_aQueue.GetCount(); }
    u32 GetFrameEventCount() const { return m_aFrameEvent.GetCount(); }
    f32 GetReferenceWidth() const { return m_fReferenceWidth; }
    const TFormList& GetFormList() const { return m_FormList; }
    // The form of an entry, resolved on first use; null when it cannot be.
    TControl* ResolveForm(u32 index);
    TInputCursor* GetCursor() const { return m_pCursor; }
    // The full-screen fade, an overlay of layer 1.
    TFader& GetFader() { return m_Fader; }
    // A rectangle (pixels, corners) of one colour: the white texture of the UX data tinted, one
    // quad of the canvas's textured batch; nothing without the texture.
    void FillRect(f32 x0, f32 y0, f32 x1, f32 y1, const TColor& colour) const;
    // The first loaded tool tip (null without one); the UX advances it each frame.
    TSimpleToolTip* GetDefaultToolTip() const { return m_pDefaultToolTip; }
    bool IsLoadedToolTip(const void* address) const;

    // The arrays the cluster fills, which the data writer fills with records made at run time.
    DArray<TTransitionStyle*>& Styles() { return m_aStyle; }
    DArray<TInstanceObject*>& InstanceObjects() { return m_aInstanceObject; }
    DArray<TSimpleToolTip*>& ToolTips() { return m_aToolTip; }
    TFormList& FormList() { return m_FormList; }

    // Every loaded control, by its address (tree checks at load).
    bool IsLoadedControl(const void* address) const;

private:
    // Runs the visitor over every instance of every control manager.
    template <class F> void ForEachControl(F visit) const;
    // Loaded controls: stale words, values and tree links checked.
    void CheckLoadedControls();
    // Every loaded screen bound to its controls; their forms count as prepared.
    void InitializeInstances();
    void CheckLoadedTrees();
    // Key actions of the frame's events over the form list (input step 3); the count of
    // dispatches no one claimed, and whether one of them scrolled.
    void DispatchKeyActions(u32& unclaimed, bool& scrolled);
    bool MatchesFrameEvent(const TInputKey& key) const;
    static void ClearHoverMarks(TControl* control);
    void ReadButtons();
    // The buttons' press edges of the frame are cleared: readers after the UX do not see them.
    void ClearPresses();

    DArray<TControlManager*> m_aControlManager;
    DArray<TTransitionStyle*> m_aStyle;
    DArray<TInstanceObject*> m_aInstanceObject;
    DArray<TSimpleToolTip*> m_aToolTip;
    DArray<TInstance*> m_aInstance;
    bool m_bRegistrationSuspended;
    TSimpleToolTip* m_pDefaultToolTip;
    TFormList m_FormList;

    TControl* m_pFocus;
    TControl* m_pCapture;
    TControl* m_pModalForm;
    // The open modal forms, the modal form last.
    DArray<TControl*> m_aModalForm;
    TControl* m_pPressed;
    // The topmost form of layers 0 and 1 at the start of the input step.
    TControl* m_aTopForm[DRAWN_LAYER_COUNT];

    SArray<TInputEvent, INPUT_QUEUE_CAPACITY, 0> m_aQueue;
    SArray<TInputEvent, INPUT_QUEUE_CAPACITY, 0> m_aFrameEvent;
    TMouse m_Mouse;
    u32 m_nMouseResult;
    u32 m_nDragState;
    TInput* m_apButton[3];

    TFontCacheSet m_Requested;
    TFontCacheSet m_Bound;
    TDxShader* m_pShader;
    u32 m_nFontWarning;

    f32 m_fReferenceWidth;
    f32 m_fReferenceHeight;
    TInputCursor* m_pCursor;
    TFader m_Fader;
    TTexture* m_pWhite;
    // Forms whose trees were loaded since the cluster load.
    DArray<TControl*> m_aPreparedForm;
    // Every loaded control's address, sorted, while a load is checked.
    DArray<const void*> m_aLoadedControl;

    TUXManager();
};

extern TUXManager* g_pUXManager;
} // namespace UX
