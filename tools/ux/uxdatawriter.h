#pragma once
// TUxDataWriter: makes UX records in the UX library's own arrays, so that the engine's cluster
// save writes them: controls of any class in trees, styles, images on textures generated here,
// texture fonts rasterised from the system's fonts by the platform's text layer, layers, the
// form list and one instance object per registered screen. It owns what it makes and frees it
// when it goes (after the cluster that listed the records has been cleared).
#include "core/system/name.h"
#include "ux/ux.control.h"
#include "ux/ux.controlmanager.h"
#include "ux/ux.instance.h"

#include <memory>
#include <vector>

class TClusterManager;
class TRepositoryWriter;
class TTexture;
class TTextureFont;

namespace UX
{
class TLayer;
class TSimpleToolTip;
} // namespace UX

class TUxDataWriter
{
public:
    explicit TUxDataWriter(TRepositoryWriter& writer);
    ~TUxDataWriter();
    TUxDataWriter(const TUxDataWriter&) = delete;
    TUxDataWriter& operator=(const TUxDataWriter&) = delete;

    // One level of A8R8G8B8 texels, rows from the top.
    TTexture* AddTexture(const char* name, i32 width, i32 height, const std::vector<u32>& texels);
    // The Latin-1 characters of the font file at the pixel size, on one page texture named after
    // the font; null, with a line on standard error, when the file cannot be read.
    TTextureFont* AddFont(const char* name, const char* file, i32 pixels);
    // Six default state blocks.
    UX::TTransitionStyle* AddStyle(const char* name);
    // Text of the UX font at the size and layout, in the colour in every state, clear when hidden.
    UX::TTransitionStyle* AddTextStyle(const char* name, f32 size, u32 layout, const TColor& colour);
    // A control of class T (named, unless the name is null) under the parent (none: a root), with
    // the style when one is named.
    template <class T> T* AddControl(const char* name, UX::TControl* parent, const char* style = nullptr)
    {
        T* control = MemoryNew<T>();
        Keep(control);
        if (name)
            control->Name = TName(name, true);
        T::Manager().Add(control);
        if (parent)
            parent->AddChild(control);
        if (style)
            control->SetStyle(TName(style, true));
        return control;
    }
    // A layer, drawn above the ones added before it.
    UX::TLayer* AddLayer(const char* name);
    // A form of a layer: its child, in its drawing order and (when listed) in the form list,
    // whose forms' key bindings are served.
    void AddFormToLayer(UX::TControl* form, UX::TLayer* layer, bool listed = true);
    // A tool tip of the UX manager's list (the first one is the default tool tip); its label is
    // the caller's to give.
    UX::TSimpleToolTip* AddToolTip();
    // One instance object per screen registered with the UX manager, in their order: the form
    // of the screen's class name, then its named descendants depth first.
    void AddInstanceObjects();

    // Appends the managers whose arrays hold records (the UX manager, the control managers with
    // instances, the texture and texture-font managers); returns the new count.
    // The form list is filled here, once every record is made.
    i32 AppendManagers(TClusterManager** managers, i32 count, bool withResources);

private:
    void Keep(UX::TControl* control) { m_aControl.push_back(control); }

    TRepositoryWriter& m_Writer;
    std::vector<UX::TControl*> m_aControl;
    std::vector<UX::TControl*> m_aFormListed;
    std::vector<std::unique_ptr<UX::TTransitionStyle>> m_aStyle;
    std::vector<std::unique_ptr<TTextureFont>> m_aFont;
    std::vector<std::unique_ptr<UX::TInstanceObject>> m_aInstanceObject;
    std::vector<std::unique_ptr<UX::TSimpleToolTip>> m_aToolTip;
};
