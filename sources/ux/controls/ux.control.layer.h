#pragma once
// UX::TLayer (stored type 227, 1,600 bytes): a full-screen container that keeps its forms in
// drawing order (aControl, bottom to top). The UX manager draws layers 0 and 1.
#include "ux/controls/ux.effect.h"
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 LAYER_TYPE_ID = 227;
constexpr u32 LAYER_CONTROL_CAPACITY = 64;
constexpr u32 LAYER_OVERLAY_CAPACITY = 4;

class TLayer : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TLayer>& Manager();
    static const TName& Class();

    TLayer();

    // The layer's list is rebuilt at every load.
    void OnLayerHook() override { Rebuild(); }

    // Appends a form visible on screen unless it is listed, and makes it the layer's last child
    // (drawn on top); a 65th entry is refused with an error line.
    void Add(TControl* form);
    // Takes the form out of the list, the later entries moving down.
    void Remove(TControl* form);
    // A form visible on screen goes to the top.
    void BringToFront(TControl* form);
    // Forms no longer visible on screen leave the list; the layer covers the back buffer.
    void Rebuild();
    bool Holds(const TControl* form) const;

    // The overlays of the run that saved the record.
    void ForgetLoadedWords();
    void CheckLoadedValues();

    SArray<TControl*, LAYER_CONTROL_CAPACITY, 0> aControl;
    // The objects drawn after the forms (the UX manager's fader on layer 1); run-time only.
    SArray<TEffect*, LAYER_OVERLAY_CAPACITY, 0> aOverlay;
};

static_assert(sizeof(TLayer) == 1600);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TLayer, aControl) == 1320);
static_assert(offsetof(TLayer, aOverlay) == 1580);
#pragma GCC diagnostic pop
} // namespace UX
