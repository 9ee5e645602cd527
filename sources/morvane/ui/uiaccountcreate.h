#pragma once
// TUIAccountCreate: the account creation screen, one of the UI game manager's screens. Until its
// behaviour is built it is only registered with the UX manager under its class name, so that the
// UX data bind its form.
#include "ux/ux.instance.h"

class TUIAccountCreate : public UX::TInstance
{
public:
    TUIAccountCreate() : UX::TInstance("TUIAccountCreate") {}
};
