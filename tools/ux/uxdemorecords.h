#pragma once
// The demonstration form "UXDemo" (layer 1, stored hidden, aspect mode 3, 1800 x 840 layout
// units), a settings form: a nine-slice background, a header with the title and a flag whose
// texture has a variant per language, a check box, three radio buttons, a slider with its value,
// a track bar with its value, two tabs whose panels hold three buttons and the settings (a
// resolution combo box and a quality selector), a tiled area with a scroll bar, two text boxes,
// an option row of each kind, a grid of saved games with its scroll bar, and the Apply and Close
// buttons with tool tips.
#include "core/system/types.h"

#include <initializer_list>

namespace UX
{
class TComboBox;
class TControl;
class TLayer;
class TSelector;
class TSimpleToolTip;
} // namespace UX

class TUxDataWriter;

// The form in the layer; its Apply and Close buttons show the tool tip.
void AddDemoForm(TUxDataWriter& data, UX::TLayer* layer, UX::TSimpleToolTip* toolTip);

// The demonstration's selector and combo box for forms written after it (AddDemoForm first): a
// selector between its arrows showing the keys' texts, and a combo box whose list drops from it
// on the layer. The caller places them.
UX::TSelector* AddDemoSelector(TUxDataWriter& data, UX::TControl* parent, const char* name, f32 width, f32 height,
                               std::initializer_list<const char*> keys);
UX::TComboBox* AddDemoComboBox(TUxDataWriter& data, UX::TLayer* layer, UX::TControl* parent, const char* name,
                               f32 width, f32 height);
