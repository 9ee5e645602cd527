#pragma once
// UX::TPictureBox (stored type 236, 1,320 bytes): shows its background image and nothing else.
#include "ux/ux.controlmanager.h"

namespace UX
{
constexpr u16 PICTURE_BOX_TYPE_ID = 236;

class TPictureBox : public TControl
{
public:
    static const TClusterTypeDecl& Decl();
    static TControlManagerTemplate<TPictureBox>& Manager();
    static const TName& Class();

    TPictureBox();
};

static_assert(sizeof(TPictureBox) == 1320);
} // namespace UX
