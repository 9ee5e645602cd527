#pragma once
// TUIAccountConnected: the account screen of a connected player, one of the UI game manager's
// screens. Until its behaviour is built it is only registered with the UX manager under its class
// name, so that the UX data bind its form.
#include "ux/ux.instance.h"

class TUIAccountConnected : public UX::TInstance
{
public:
    TUIAccountConnected() : UX::TInstance("TUIAccountConnected") {}
};
