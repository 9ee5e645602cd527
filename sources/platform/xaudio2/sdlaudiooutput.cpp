#include "platform/xaudio2/sdlaudiooutput.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace
{
// SDL asks for this many frames at a time; the ring holds four such requests.
constexpr int kDeviceFrames = 512;
constexpr UINT32 kRingFrames = 4 * kDeviceFrames;

std::u16string Widen(const char* text)
{
    // Device names are UTF-8; non-ASCII bytes come out one character each, which is enough for
    // a name the engine prints by low bytes.
    std::u16string wide;
    for (const char* p = text; p && *p; ++p)
        wide.push_back(static_cast<unsigned char>(*p));
    return wide;
}

TAudioDeviceDescription Describe(const char* name, const SDL_AudioSpec* spec)
{
    TAudioDeviceDescription description;
    description.name = Widen(name);
    if (spec && spec->freq > 0 && spec->channels > 0)
    {
        description.sampleRate = static_cast<UINT32>(spec->freq);
        description.channels = spec->channels;
        description.bitsPerSample = SDL_AUDIO_BITSIZE(spec->format);
        description.floatSamples = SDL_AUDIO_ISFLOAT(spec->format);
    }
    return description;
}
} // namespace

bool TSdlAudioOutput::StartAudio()
{
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
}

void TSdlAudioOutput::StopAudio()
{
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::vector<TSdlAudioOutput::TDevice> TSdlAudioOutput::ListDevices()
{
    std::vector<TDevice> devices;
    char* defaultName = nullptr;
    SDL_AudioSpec spec;
    if (SDL_GetDefaultAudioInfo(&defaultName, &spec, 0) == 0)
    {
        devices.push_back({"", Describe(defaultName ? defaultName : "Default output", &spec)});
        SDL_free(defaultName);
    }
    else
        devices.push_back({"", Describe("Default output", nullptr)});

    std::vector<TDevice> named;
    const int count = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < count; ++i)
    {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        if (!name)
            continue;
        const bool known = SDL_GetAudioDeviceSpec(i, 0, &spec) == 0;
        named.push_back({name, Describe(name, known ? &spec : nullptr)});
    }
    std::sort(named.begin(), named.end(), [](const TDevice& a, const TDevice& b) { return a.sdlName < b.sdlName; });
    devices.insert(devices.end(), named.begin(), named.end());
    return devices;
}

TSdlAudioOutput::TSdlAudioOutput(UINT32 channels, UINT32 ringSamples) : channels_(channels), ring_(ringSamples)
{
}

std::unique_ptr<TSdlAudioOutput> TSdlAudioOutput::Open(const std::string& sdlName, UINT32 channels,
                                                       UINT32 sampleRate, std::string& why)
{
    // The ring's size is a power of two of samples, so positions wrap with a mask.
    UINT32 ringSamples = 1;
    while (ringSamples < kRingFrames * channels)
        ringSamples <<= 1;
    std::unique_ptr<TSdlAudioOutput> output(new TSdlAudioOutput(channels, ringSamples));
    SDL_AudioSpec desired = {};
    desired.freq = static_cast<int>(sampleRate);
    desired.format = AUDIO_S16SYS;
    desired.channels = static_cast<Uint8>(channels);
    desired.samples = kDeviceFrames;
    desired.callback = Drain;
    desired.userdata = output.get();
    SDL_AudioSpec obtained;
    // SDL converts to what the device takes: the mixer's format stays as asked.
    output->device_ = SDL_OpenAudioDevice(sdlName.empty() ? nullptr : sdlName.c_str(), 0, &desired, &obtained, 0);
    if (output->device_ == 0)
    {
        why = std::string("SDL cannot open the audio device (") + SDL_GetError() + ")";
        return nullptr;
    }
    SDL_PauseAudioDevice(output->device_, 0);
    return output;
}

TSdlAudioOutput::~TSdlAudioOutput()
{
    if (device_)
        SDL_CloseAudioDevice(device_);
}

void TSdlAudioOutput::Write(const std::int16_t* samples, UINT32 frames)
{
    const std::uint64_t count = std::uint64_t(frames) * channels_;
    const std::uint64_t size = ring_.size();
    std::uint64_t written = written_.load();
    {
        std::unique_lock<std::mutex> lock(waitLock_);
        while (written + count - read_.load() > size && !interrupted_)
            drained_.wait_for(lock, std::chrono::milliseconds(20));
    }
    if (interrupted_)
        return;
    for (std::uint64_t i = 0; i < count; ++i)
        ring_[(written + i) & (size - 1)] = samples[i];
    written_.store(written + count);
}

void TSdlAudioOutput::Interrupt()
{
    interrupted_ = true;
    drained_.notify_all();
}

void TSdlAudioOutput::Drain(void* self, std::uint8_t* stream, int length)
{
    TSdlAudioOutput& output = *static_cast<TSdlAudioOutput*>(self);
    auto* out = reinterpret_cast<std::int16_t*>(stream);
    const std::uint64_t wanted = static_cast<std::uint64_t>(length) / sizeof(std::int16_t);
    const std::uint64_t read = output.read_.load();
    const std::uint64_t available = std::min(wanted, output.written_.load() - read);
    const std::uint64_t mask = output.ring_.size() - 1;
    for (std::uint64_t i = 0; i < available; ++i)
        out[i] = output.ring_[(read + i) & mask];
    std::fill(out + available, out + wanted, std::int16_t(0));
    output.read_.store(read + available);
    output.drained_.notify_one();
}
