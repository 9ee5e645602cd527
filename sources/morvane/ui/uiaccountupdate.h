#pragma once
// TUIAccountUpdate: the update-account screen. Until its fields are built it listens while shown
// and slides like the other account screens.
#include "morvane/ui/uiaccountscreen.h"

class TUIAccountUpdate : public TUIAccountScreen
{
public:
    TUIAccountUpdate() : TUIAccountScreen("TUIAccountUpdate", "lblStatusCreate") {}
    void OnInitialize() override { BindForm(); }
};
