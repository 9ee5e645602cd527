#pragma once
// The credits' form "TUICreditsMenu": a darkened screen with the title, a panel whose content
// holds eight blocks of a heading and names and two closing lines (keys "CreditsTitle",
// "CreditsHeading<n>", "CreditsNames<n>", "CreditsClosing", "CreditsClosing2"), and the close
// button. The screen lays the blocks out when the data load.
class TUxDataWriter;

namespace UX
{
class TLayer;
}

void AddCreditsForm(TUxDataWriter& data, UX::TLayer* layer);
