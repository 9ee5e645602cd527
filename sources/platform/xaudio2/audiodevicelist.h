#pragma once
// TAudioDeviceList: the output devices an engine reports, fixed when the engine is initialized.
// In order of precedence: the devices of the settings (tests); one WAV device when a WAV file
// is named; SDL's outputs (0 the default) when SDL lists any; one silent stereo 44,100 Hz device
// otherwise. A stepped engine never opens SDL.
#include "platform/xaudio2/audiooutput.h"
#include "platform/xaudio2/xaudio2.h"
#include "platform/xaudio2/xaudio2settings.h"

#include <memory>
#include <string>
#include <vector>

class TAudioDeviceList
{
public:
    explicit TAudioDeviceList(const TXAudio2Settings& settings);
    ~TAudioDeviceList();
    TAudioDeviceList(const TAudioDeviceList&) = delete;
    TAudioDeviceList& operator=(const TAudioDeviceList&) = delete;

    UINT32 Count() const { return static_cast<UINT32>(devices_.size()); }
    void Describe(UINT32 index, XAUDIO2_DEVICE_DETAILS& details) const;
    // Opens the device for the mastering voice's layout; null (with the reason) on failure.
    std::unique_ptr<TAudioOutput> Open(UINT32 index, UINT32 channels, UINT32 sampleRate, std::string& why) const;

    // The speakers a device of that many channels usually has.
    static DWORD UsualChannelMask(UINT32 channels);

private:
    enum class EBackend
    {
        Sdl,
        Silent,
        Wav
    };
    struct TDevice
    {
        TAudioDeviceDescription description;
        EBackend backend;
        std::string target; // the SDL device name or the WAV file
    };

    std::vector<TDevice> devices_;
    bool sdlStarted_ = false;
};
