#pragma once
// TUIAccountCreate: the create-account screen. Until its fields are built it listens while shown
// and slides like the other account screens.
#include "morvane/ui/uiaccountscreen.h"

class TUIAccountCreate : public TUIAccountScreen
{
public:
    TUIAccountCreate() : TUIAccountScreen("TUIAccountCreate", "lblStatusCreate") {}
    void OnInitialize() override { BindForm(); }
};
