#include "platform/xaudio2/audiodevicelist.h"

#include "platform/xaudio2/sdlaudiooutput.h"
#include "platform/xaudio2/wavfilewriter.h"

#include <algorithm>
#include <cstdlib>

namespace
{
std::u16string Widen(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

void CopyName(const std::u16string& text, WCHAR (&out)[256])
{
    const size_t count = std::min<size_t>(text.size(), 255);
    std::copy(text.begin(), text.begin() + count, out);
    std::fill(out + count, out + 256, u'\0');
}
} // namespace

TAudioDeviceList::TAudioDeviceList(const TXAudio2Settings& settings)
{
    std::string wav = settings.wavFile;
    if (wav.empty())
        if (const char* variable = std::getenv("VESTAMOR_AUDIO_WAV"))
            wav = variable;
    const EBackend quiet = wav.empty() ? EBackend::Silent : EBackend::Wav;
    if (!settings.devices.empty())
    {
        for (const TAudioDeviceDescription& description : settings.devices)
            devices_.push_back({description, quiet, wav});
        return;
    }
    if (!wav.empty())
    {
        devices_.push_back({{u"WAV file " + Widen(wav)}, EBackend::Wav, wav});
        return;
    }
    if (!settings.stepped && TSdlAudioOutput::StartAudio())
    {
        // A driver without any output (ALSA on a machine without a sound card) is no sound card.
        const std::vector<TSdlAudioOutput::TDevice> outputs = TSdlAudioOutput::ListDevices();
        if (outputs.size() > 1)
        {
            sdlStarted_ = true;
            for (const TSdlAudioOutput::TDevice& device : outputs)
                devices_.push_back({device.description, EBackend::Sdl, device.sdlName});
            return;
        }
        TSdlAudioOutput::StopAudio();
    }
    devices_.push_back({{u"Silent output"}, EBackend::Silent, ""});
}

TAudioDeviceList::~TAudioDeviceList()
{
    if (sdlStarted_)
        TSdlAudioOutput::StopAudio();
}

DWORD TAudioDeviceList::UsualChannelMask(UINT32 channels)
{
    switch (channels)
    {
    case 1:
        return SPEAKER_MONO;
    case 2:
        return SPEAKER_STEREO;
    case 3:
        return SPEAKER_STEREO | SPEAKER_FRONT_CENTER;
    case 4:
        return SPEAKER_QUAD;
    case 5:
        return SPEAKER_QUAD | SPEAKER_FRONT_CENTER;
    case 6:
        return SPEAKER_5POINT1;
    case 7:
        return SPEAKER_5POINT1 | SPEAKER_BACK_CENTER;
    default:
        return SPEAKER_7POINT1_SURROUND;
    }
}

void TAudioDeviceList::Describe(UINT32 index, XAUDIO2_DEVICE_DETAILS& details) const
{
    const TDevice& device = devices_[index];
    const TAudioDeviceDescription& description = device.description;
    static constexpr const char16_t* kBackendNames[] = {u"sdl:", u"silent:", u"wav:"};
    CopyName(kBackendNames[static_cast<int>(device.backend)] + Widen(device.target) + u":" +
                 Widen(std::to_string(index)),
             details.DeviceID);
    CopyName(description.name, details.DisplayName);
    details.Role = index == 0 ? GlobalDefaultDevice : NotDefaultDevice;
    WAVEFORMATEXTENSIBLE& format = details.OutputFormat;
    format.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
    format.Format.nChannels = static_cast<WORD>(description.channels);
    format.Format.nSamplesPerSec = description.sampleRate;
    format.Format.wBitsPerSample = static_cast<WORD>(description.bitsPerSample);
    format.Format.nBlockAlign = static_cast<WORD>(description.channels * description.bitsPerSample / 8);
    format.Format.nAvgBytesPerSec = description.sampleRate * format.Format.nBlockAlign;
    format.Format.cbSize = kWaveFormatExtensibleExtraBytes;
    format.Samples.wValidBitsPerSample = static_cast<WORD>(description.bitsPerSample);
    format.dwChannelMask = description.channelMask ? description.channelMask : UsualChannelMask(description.channels);
    format.SubFormat = description.floatSamples ? KSDATAFORMAT_SUBTYPE_IEEE_FLOAT : KSDATAFORMAT_SUBTYPE_PCM;
}

std::unique_ptr<TAudioOutput> TAudioDeviceList::Open(UINT32 index, UINT32 channels, UINT32 sampleRate,
                                                     std::string& why) const
{
    const TDevice& device = devices_[index];
    switch (device.backend)
    {
    case EBackend::Sdl:
        return TSdlAudioOutput::Open(device.target, channels, sampleRate, why);
    case EBackend::Wav:
    {
        auto writer = std::make_unique<TWavFileWriter>();
        if (!writer->Open(device.target, channels, sampleRate, why))
            return nullptr;
        return writer;
    }
    case EBackend::Silent:
        break;
    }
    return std::make_unique<TSilentOutput>();
}
