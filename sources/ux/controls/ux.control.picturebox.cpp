#include "ux/controls/ux.control.picturebox.h"

#include "ux/ux.reflection.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TPictureBox> s_Manager("TPictureBox");
} // namespace

const TClusterTypeDecl& TPictureBox::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TPictureBox", PICTURE_BOX_TYPE_ID, sizeof(TPictureBox),
                                   &UxPrototype<TPictureBox>(), UX_VIRTUAL_TABLE_WORDS,
                                   {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControlManagerTemplate<TPictureBox>& TPictureBox::Manager()
{
    return s_Manager;
}

const TName& TPictureBox::Class()
{
    static const TName s_Name("TPictureBox", true);
    return s_Name;
}

TPictureBox::TPictureBox()
{
    ClassName = Class();
}
} // namespace UX
