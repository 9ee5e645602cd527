#include "platform/dinput/directinputdevice.h"

#include "platform/dinput/joysticklist.h"
#include "platform/window/winuser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace
{
const GUID* const s_aAxisType[] = {&GUID_XAxis, &GUID_YAxis, &GUID_ZAxis, &GUID_RxAxis, &GUID_RyAxis, &GUID_RzAxis};
const char* const s_aAxisName[] = {"X Axis", "Y Axis", "Z Axis", "X Rotation", "Y Rotation", "Z Rotation"};
constexpr DWORD kKindMask = 0xFF;

// The devices that hold their controller exclusively.
std::vector<std::pair<const TJoystickSource*, const void*>> s_aExclusive;

void CopyText(CHAR* target, const std::string& text)
{
    std::snprintf(target, 260, "%s", text.c_str());
}
} // namespace

TDirectInputDevice::TDirectInputDevice(std::shared_ptr<TJoystickSource> source, const GUID& instance)
    : source_(std::move(source)), instance_(instance)
{
    const TJoystickDescription& description = source_->Describe();
    for (int i = 0; i < description.axisCount; ++i)
    {
        const bool slider = i >= 6;
        const bool forceFeedback = (description.forceFeedbackAxes >> i) & 1;
        TObject axis{slider ? &GUID_Slider : s_aAxisType[i],
                     DIDFT_ABSAXIS | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i)) |
                         (forceFeedback ? DIDFT_FFACTUATOR : 0),
                     DIDOI_ASPECTPOSITION | (forceFeedback ? DIDOI_FFACTUATOR : 0),
                     slider ? "Slider" : s_aAxisName[i], i};
        objects_.push_back(axis);
    }
    for (int i = 0; i < description.hatCount; ++i)
        objects_.push_back({&GUID_POV, DIDFT_POV | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i)), 0, "Hat Switch", i});
    for (int i = 0; i < description.buttonCount; ++i)
        objects_.push_back({&GUID_Button, DIDFT_PSHBUTTON | DIDFT_MAKEINSTANCE(static_cast<DWORD>(i)), 0,
                            "Button " + std::to_string(i), i});
}

TDirectInputDevice::~TDirectInputDevice()
{
    ReleaseExclusive();
}

ULONG TDirectInputDevice::AddRef()
{
    return ++references_;
}

ULONG TDirectInputDevice::Release()
{
    const ULONG left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT TDirectInputDevice::EnumObjects(LPDIENUMDEVICEOBJECTSCALLBACKA callback, void* context, DWORD flags)
{
    if (!callback)
        return DIERR_INVALIDPARAM;
    const DWORD kinds = flags & kKindMask;
    for (std::size_t i = 0; i < objects_.size(); ++i)
    {
        const TObject& object = objects_[i];
        if (kinds && !(object.kindAndInstance & kinds))
            continue;
        if ((flags & DIDFT_FFACTUATOR) && !(object.kindAndInstance & DIDFT_FFACTUATOR))
            continue;
        DIDEVICEOBJECTINSTANCEA instance = {};
        instance.dwSize = sizeof instance;
        instance.guidType = *object.type;
        instance.dwOfs = formatSet_ ? object.offset : static_cast<DWORD>(i * sizeof(LONG));
        instance.dwType = object.kindAndInstance;
        instance.dwFlags = object.flags;
        CopyText(instance.tszName, object.name);
        if (object.flags & DIDOI_FFACTUATOR)
        {
            instance.dwFFMaxForce = 10000;
            instance.dwFFForceResolution = 1;
        }
        instance.wUsagePage = 1;
        if (callback(&instance, context) == DIENUM_STOP)
            break;
    }
    return DI_OK;
}

TDirectInputDevice::TObject* TDirectInputDevice::FindObject(const DIPROPHEADER& header)
{
    for (TObject& object : objects_)
    {
        if (header.dwHow == DIPH_BYID &&
            (object.kindAndInstance & ~DIDFT_FFACTUATOR) == (header.dwObj & ~DIDFT_FFACTUATOR))
            return &object;
        if (header.dwHow == DIPH_BYOFFSET && formatSet_ && object.offset == header.dwObj)
            return &object;
    }
    return nullptr;
}

HRESULT TDirectInputDevice::SetProperty(const GUID* property, const DIPROPHEADER* header)
{
    if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER))
        return DIERR_INVALIDPARAM;
    if (property != DIPROP_RANGE)
        return DIERR_UNSUPPORTED;
    if (header->dwSize != sizeof(DIPROPRANGE))
        return DIERR_INVALIDPARAM;
    const auto& range = *reinterpret_cast<const DIPROPRANGE*>(header);
    if (range.lMin >= range.lMax)
        return DIERR_INVALIDPARAM;
    if (acquired_)
        return DIERR_ACQUIRED;
    if (header->dwHow == DIPH_DEVICE)
    {
        if (header->dwObj != 0)
            return DIERR_INVALIDPARAM;
        for (TObject& object : objects_)
            if (object.kindAndInstance & DIDFT_AXIS)
            {
                object.min = range.lMin;
                object.max = range.lMax;
            }
        return DI_OK;
    }
    TObject* object = FindObject(*header);
    if (!object)
        return DIERR_OBJECTNOTFOUND;
    if (!(object->kindAndInstance & DIDFT_AXIS))
        return DIERR_UNSUPPORTED;
    object->min = range.lMin;
    object->max = range.lMax;
    return DI_OK;
}

HRESULT TDirectInputDevice::GetProperty(const GUID* property, DIPROPHEADER* header)
{
    if (!header || header->dwHeaderSize != sizeof(DIPROPHEADER))
        return DIERR_INVALIDPARAM;
    if (property != DIPROP_RANGE)
        return DIERR_UNSUPPORTED;
    if (header->dwSize != sizeof(DIPROPRANGE) || header->dwHow == DIPH_DEVICE)
        return DIERR_INVALIDPARAM;
    const TObject* object = FindObject(*header);
    if (!object)
        return DIERR_OBJECTNOTFOUND;
    if (!(object->kindAndInstance & DIDFT_AXIS))
        return DIERR_UNSUPPORTED;
    auto& range = *reinterpret_cast<DIPROPRANGE*>(header);
    range.lMin = object->min;
    range.lMax = object->max;
    return DI_OK;
}

HRESULT TDirectInputDevice::SetDataFormat(const DIDATAFORMAT* format)
{
    if (acquired_)
        return DIERR_ACQUIRED;
    if (!format || format->dwSize != sizeof(DIDATAFORMAT) || format->dwObjSize != sizeof(DIOBJECTDATAFORMAT) ||
        format->dwDataSize % 4 != 0 || (format->dwNumObjs && !format->rgodf))
        return DIERR_INVALIDPARAM;
    formatSet_ = false;
    hatOffsets_.clear();
    for (TObject& object : objects_)
        object.offset = kNoOffset;
    for (DWORD i = 0; i < format->dwNumObjs; ++i)
    {
        const DIOBJECTDATAFORMAT& entry = format->rgodf[i];
        const DWORD kind = entry.dwType & kKindMask;
        const bool button = (kind & DIDFT_BUTTON) != 0;
        const DWORD width = button ? 1 : 4;
        if (!kind || entry.dwOfs + width > format->dwDataSize || entry.dwOfs + width < width ||
            (!button && entry.dwOfs % 4 != 0))
            return DIERR_INVALIDPARAM;
        if (kind & DIDFT_POV)
            hatOffsets_.push_back(entry.dwOfs);
        const bool anyInstance = (entry.dwType & DIDFT_INSTANCEMASK) == DIDFT_ANYINSTANCE;
        const auto fits = [&](const TObject& object) {
            return object.offset == kNoOffset && (object.kindAndInstance & kind) &&
                   (!entry.pguid || SameGuid(*entry.pguid, *object.type)) &&
                   (anyInstance || DIDFT_GETINSTANCE(object.kindAndInstance) == DIDFT_GETINSTANCE(entry.dwType));
        };
        const auto found = std::find_if(objects_.begin(), objects_.end(), fits);
        if (found != objects_.end())
            found->offset = entry.dwOfs;
        else if (!(entry.dwType & DIDFT_OPTIONAL))
            return DIERR_INVALIDPARAM;
    }
    dataSize_ = format->dwDataSize;
    formatSet_ = true;
    return DI_OK;
}

HRESULT TDirectInputDevice::SetCooperativeLevel(HWND window, DWORD flags)
{
    const DWORD sharing = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const DWORD focus = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    if (sharing == 0 || sharing == (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE) || focus == 0 ||
        focus == (DISCL_FOREGROUND | DISCL_BACKGROUND))
        return DIERR_INVALIDPARAM;
    if (((flags & DISCL_FOREGROUND) || (flags & DISCL_EXCLUSIVE)) && !window)
        return DIERR_INVALIDPARAM;
    if (acquired_)
        return DIERR_ACQUIRED;
    window_ = window;
    cooperation_ = flags;
    return DI_OK;
}

HRESULT TDirectInputDevice::GetDeviceInfo(DIDEVICEINSTANCEA* instance)
{
    if (!instance || instance->dwSize != sizeof(DIDEVICEINSTANCEA))
        return DIERR_INVALIDPARAM;
    const TJoystickDescription& description = source_->Describe();
    *instance = {};
    instance->dwSize = sizeof(DIDEVICEINSTANCEA);
    instance->guidInstance = instance_;
    instance->guidProduct = TJoystickList::MakeProductGuid(description.vendor, description.product);
    instance->dwDevType = description.gamepad ? DI8DEVTYPE_GAMEPAD : DI8DEVTYPE_JOYSTICK;
    CopyText(instance->tszInstanceName, description.name);
    CopyText(instance->tszProductName, description.productName);
    instance->wUsagePage = 1;
    instance->wUsage = description.gamepad ? 5 : 4;
    return DI_OK;
}

void TDirectInputDevice::ReleaseExclusive()
{
    std::erase_if(s_aExclusive, [this](const auto& owner) { return owner.second == this; });
}

HRESULT TDirectInputDevice::Acquire()
{
    if (!formatSet_)
        return DIERR_INVALIDPARAM;
    if (acquired_)
        return DI_NOEFFECT;
    if (!source_->IsAttached())
        return DIERR_INPUTLOST;
    if ((cooperation_ & DISCL_FOREGROUND) && GetFocus() != window_)
        return DIERR_OTHERAPPHASPRIO;
    if (cooperation_ & DISCL_EXCLUSIVE)
    {
        const TJoystickSource* source = source_.get();
        if (std::any_of(s_aExclusive.begin(), s_aExclusive.end(),
                        [source](const auto& owner) { return owner.first == source; }))
            return DIERR_OTHERAPPHASPRIO;
        s_aExclusive.emplace_back(source, this);
    }
    acquired_ = true;
    if (!source_->Read(reading_))
    {
        Unacquire();
        return DIERR_INPUTLOST;
    }
    return DI_OK;
}

HRESULT TDirectInputDevice::Unacquire()
{
    if (!acquired_)
        return DI_NOEFFECT;
    acquired_ = false;
    ReleaseExclusive();
    return DI_OK;
}

bool TDirectInputDevice::CheckLost()
{
    const bool lost = !source_->IsAttached() || ((cooperation_ & DISCL_FOREGROUND) && GetFocus() != window_);
    if (lost)
        Unacquire();
    return lost;
}

HRESULT TDirectInputDevice::Poll()
{
    if (!acquired_)
        return DIERR_NOTACQUIRED;
    if (CheckLost() || !source_->Read(reading_))
    {
        Unacquire();
        return DIERR_INPUTLOST;
    }
    return DI_OK;
}

HRESULT TDirectInputDevice::GetDeviceState(DWORD size, void* data)
{
    if (!data || !formatSet_ || size != dataSize_)
        return DIERR_INVALIDPARAM;
    if (!acquired_)
        return DIERR_NOTACQUIRED;
    if (CheckLost())
        return DIERR_INPUTLOST;
    auto* bytes = static_cast<BYTE*>(data);
    std::memset(bytes, 0, size);
    for (DWORD offset : hatOffsets_)
        std::memset(bytes + offset, 0xFF, sizeof(DWORD));
    const TJoystickDescription& description = source_->Describe();
    for (const TObject& object : objects_)
    {
        if (object.offset == kNoOffset)
            continue;
        const auto index = static_cast<std::size_t>(object.index);
        if (object.kindAndInstance & DIDFT_AXIS)
        {
            const double raw = index < reading_.axes.size() ? reading_.axes[index] : 0;
            const double span = static_cast<double>(description.axisMax) - description.axisMin;
            const double scaled = static_cast<double>(object.min) +
                                  (raw - description.axisMin) * (static_cast<double>(object.max) - object.min) / span;
            const LONG value = static_cast<LONG>(std::lround(std::clamp(scaled, static_cast<double>(object.min),
                                                                        static_cast<double>(object.max))));
            std::memcpy(bytes + object.offset, &value, sizeof value);
        }
        else if (object.kindAndInstance & DIDFT_POV)
        {
            const DWORD hat = index < reading_.hats.size() ? reading_.hats[index] : JOYSTICK_HAT_CENTRED;
            std::memcpy(bytes + object.offset, &hat, sizeof hat);
        }
        else
            bytes[object.offset] = index < reading_.buttons.size() && reading_.buttons[index] ? 0x80 : 0;
    }
    return DI_OK;
}
