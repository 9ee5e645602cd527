#pragma once
// UX::TLabel (stored type 235, 1,328 bytes): a control that draws a text.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 LABEL_TYPE_ID = 235;

class TLabel : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TLabel>& Manager();
    static const TName& Class();

    TLabel();
    ~TLabel() override;

    // A keyed text is copied as its key, a literal as a copy.
    void SetText(const TLocalization& text) override { Text = text; }
    // The text in the content rectangle with the computed state block.
    void Draw() override;
    void CopyFrom(const TControl& source) override { Text = static_cast<const TLabel&>(source).Text; }

    void ForgetLoadedWords();
    void ReleaseLoaded();

    TLocalization Text;
};

static_assert(sizeof(TLabel) == 1328);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
static_assert(offsetof(TLabel, Text) == 1320);
#pragma GCC diagnostic pop
} // namespace UX
