#pragma once
// UX::TButton (stored type 230, 1,328 bytes): a label that the keyboard can press (a tab stop).
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 BUTTON_TYPE_ID = 230;

class TButton : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TButton>& Manager();
    static const TName& Class();

    TButton();
    ~TButton() override;

    // A keyed text is copied as its key, a literal as a copy.
    void SetText(const TLocalization& text) override { Text = text; }
    // The text in the content rectangle with the computed state block.
    void Draw() override;
    void CopyFrom(const TControl& source) override { Text = static_cast<const TButton&>(source).Text; }
    // "Space" and "Enter" press the focused button ("$OnClick").
    void OnLayerHook() override;

    void ForgetLoadedWords();
    void ReleaseLoaded();

    TLocalization Text;
};

static_assert(sizeof(TButton) == 1328);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TButton, Text) == 1320);
#pragma GCC diagnostic pop
} // namespace UX
