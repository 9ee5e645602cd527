#include "platform/dinput/joysticklist.h"

#include "platform/desktop/display.h"
#include "platform/dinput/sdljoystick.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace
{
std::uint64_t Fnv1a(const std::string& text, std::uint64_t basis)
{
    std::uint64_t hash = basis;
    for (unsigned char c : text)
    {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}
} // namespace

bool SameGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

TJoystickList& TJoystickList::Get()
{
    static TJoystickList s_List;
    return s_List;
}

GUID TJoystickList::MakeInstanceGuid(const std::string& identity)
{
    const std::uint64_t high = Fnv1a(identity, 0xCBF29CE484222325ull);
    const std::uint64_t low = Fnv1a(identity, 0x84222325CBF29CE4ull);
    GUID guid;
    std::memcpy(&guid, &high, 8);
    std::memcpy(reinterpret_cast<BYTE*>(&guid) + 8, &low, 8);
    return guid;
}

GUID TJoystickList::MakeProductGuid(WORD vendor, WORD product)
{
    GUID guid = {static_cast<DWORD>(product) << 16 | vendor, 0, 0, {0, 0, 'P', 'I', 'D', 'V', 'I', 'D'}};
    return guid;
}

void TJoystickList::Attach(std::shared_ptr<TJoystickSource> source)
{
    entries_.push_back({MakeInstanceGuid(source->Describe().identity), std::move(source)});
}

void TJoystickList::Detach(const TJoystickSource* source)
{
    std::erase_if(entries_, [source](const TJoystickEntry& entry) { return entry.source.get() == source; });
}

const std::vector<TJoystickEntry>& TJoystickList::Refresh()
{
    if (PlatformHasDisplay())
        RefreshSdl();
    std::erase_if(entries_, [](const TJoystickEntry& entry) { return !entry.source->IsAttached(); });
    return entries_;
}

void TJoystickList::RefreshSdl()
{
    if (!sdlReady_)
    {
        // Joysticks keep reporting while another window has the focus: the devices' cooperative
        // level decides who reads them.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        sdlReady_ = SDL_InitSubSystem(SDL_INIT_JOYSTICK) == 0;
        if (!sdlReady_)
            return;
    }
    SDL_JoystickUpdate();
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
    {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
        const bool known = std::any_of(entries_.begin(), entries_.end(), [id](const TJoystickEntry& entry) {
            const auto* sdl = dynamic_cast<const TSdlJoystick*>(entry.source.get());
            return sdl && sdl->GetInstanceId() == id;
        });
        if (known)
            continue;
        auto joystick = TSdlJoystick::Open(i);
        if (!joystick)
            continue;
        // Two controllers alike in every way still get different GUIDs.
        std::string identity = joystick->Describe().identity;
        const auto sameIdentity = [&identity](const TJoystickEntry& entry) {
            return entry.source->Describe().identity == identity;
        };
        const auto twins = std::count_if(entries_.begin(), entries_.end(), sameIdentity);
        const GUID instance = MakeInstanceGuid(twins ? identity + "#" + std::to_string(twins) : identity);
        entries_.push_back({instance, std::move(joystick)});
    }
}

std::shared_ptr<TJoystickSource> TJoystickList::Find(const GUID& instance)
{
    for (const TJoystickEntry& entry : entries_)
        if (SameGuid(entry.instance, instance) && entry.source->IsAttached())
            return entry.source;
    return nullptr;
}
