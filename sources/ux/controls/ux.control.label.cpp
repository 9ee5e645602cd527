#include "ux/controls/ux.control.label.h"

#include "ux/ux.reflection.h"
#include "ux/ux.text.h"

namespace UX
{
namespace
{
TControlManagerTemplate<TLabel> s_Manager("TLabel");
} // namespace

const TClusterTypeDecl& TLabel::Decl()
{
    static TClusterTypeDecl s_Decl("UX::TLabel", LABEL_TYPE_ID, sizeof(TLabel), &UxPrototype<TLabel>(),
                                   UX_VIRTUAL_TABLE_WORDS, {UX_CONTROL_LINKS("UX::TControl")});
    return s_Decl;
}

TControlManagerTemplate<TLabel>& TLabel::Manager()
{
    return s_Manager;
}

const TName& TLabel::Class()
{
    static const TName s_Name("TLabel", true);
    return s_Name;
}

TLabel::TLabel()
{
    ZeroOwnPart(this);
    ClassName = Class();
}

TLabel::~TLabel()
{
    Text.FreeLiteral();
}

void TLabel::ForgetLoadedWords()
{
    TControl::ForgetLoadedWords();
    Text.ForgetLiteral();
}

void TLabel::ReleaseLoaded()
{
    TControl::ReleaseLoaded();
    Text.FreeLiteral();
}

void TLabel::Draw()
{
    DrawLocalization(ContentRect.x, ContentRect.y, ContentRect.width, ContentRect.height, Computed, Text);
}
} // namespace UX
