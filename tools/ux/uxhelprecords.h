#pragma once
// The help's form "TUIHelpDialog": a window with the title, the category grid on the left (each
// row's label "lblHelpCategory"), the clipping page panel on the right with its scroll bar and
// a stacker of sixteen pages ("pageHelp<n>": "picHelpImage", "lblHelpText", "lblHelpKeyText"),
// the close button (Esc), and the text styles "HeaderLabel" and "DialogLeftLabel" the screen
// gives the pages' texts.
class TUxDataWriter;

namespace UX
{
class TLayer;
}

void AddHelpForm(TUxDataWriter& data, UX::TLayer* layer);
