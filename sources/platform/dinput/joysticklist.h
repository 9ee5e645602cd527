#pragma once
// TJoystickList: the game controllers attached to the machine, each with its instance GUID.
// With a display the list follows SDL's joysticks (opened when first seen, dropped when
// unplugged); without one it holds only the controllers that tests attach. Main thread only.
#include "platform/dinput/joysticksource.h"

#include <memory>
#include <vector>

struct TJoystickEntry
{
    GUID instance;
    std::shared_ptr<TJoystickSource> source;
};

class TJoystickList
{
public:
    static TJoystickList& Get();

    // A controller that is not SDL's (a fake one); it stays listed while attached.
    void Attach(std::shared_ptr<TJoystickSource> source);
    void Detach(const TJoystickSource* source);
    // The attached controllers, in the order they were first seen.
    const std::vector<TJoystickEntry>& Refresh();
    // Null when no attached controller has that instance GUID.
    std::shared_ptr<TJoystickSource> Find(const GUID& instance);

    // The instance GUID of an identity text: two different 64-bit hashes of it.
    static GUID MakeInstanceGuid(const std::string& identity);
    // DirectInput's product GUID: product and vendor ids, then "PIDVID".
    static GUID MakeProductGuid(WORD vendor, WORD product);

private:
    TJoystickList() = default;
    void RefreshSdl();

    std::vector<TJoystickEntry> entries_;
    bool sdlReady_ = false;
};

bool SameGuid(const GUID& a, const GUID& b);
