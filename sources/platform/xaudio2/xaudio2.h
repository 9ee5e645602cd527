#pragma once
// The XAudio2 2.7 engine and voice interfaces that the sound code calls, with XAudio2's values,
// meanings and 32-bit layouts, served by the software mixer of this folder (README.md).
// Every voice change that takes an operation set is held until CommitChanges of its set
// (XAUDIO2_COMMIT_NOW: until the next quantum); refused calls return XAUDIO2_E_INVALID_CALL and
// print one line "xaudio2: ..." on standard error.
#include "platform/xaudio2/audiodefs.h"
#include "platform/xaudio2/objbase.h"

#include <cstddef>

inline constexpr CLSID CLSID_XAudio2 = {0x5A7A0D01, 0xA027, 0x4C6E, {0x76, 0x65, 0x73, 0x74, 0x61, 0x6D, 0x6F, 0x72}};
inline constexpr CLSID CLSID_XAudio2_Debug = {0x5A7A0D02, 0xA027, 0x4C6E, {0x76, 0x65, 0x73, 0x74, 0x61, 0x6D, 0x6F, 0x72}};
inline constexpr IID IID_IXAudio2 = {0x5A7A0D03, 0xA027, 0x4C6E, {0x76, 0x65, 0x73, 0x74, 0x61, 0x6D, 0x6F, 0x72}};

// Limits.
constexpr UINT32 XAUDIO2_MAX_BUFFER_BYTES = 0x80000000u;
constexpr UINT32 XAUDIO2_MAX_QUEUED_BUFFERS = 64;
constexpr UINT32 XAUDIO2_MAX_AUDIO_CHANNELS = 64;
constexpr UINT32 XAUDIO2_MIN_SAMPLE_RATE = 1000;
constexpr UINT32 XAUDIO2_MAX_SAMPLE_RATE = 200000;
constexpr float XAUDIO2_MAX_VOLUME_LEVEL = 16777216.0f;
constexpr float XAUDIO2_MIN_FREQ_RATIO = 1.0f / 1024.0f;
constexpr float XAUDIO2_MAX_FREQ_RATIO = 1024.0f;
constexpr float XAUDIO2_DEFAULT_FREQ_RATIO = 2.0f;
constexpr UINT32 XAUDIO2_MAX_LOOP_COUNT = 254;
constexpr UINT32 XAUDIO2_QUANTUM_MS = 10;

// Defaults and special values.
constexpr UINT32 XAUDIO2_COMMIT_NOW = 0;
constexpr UINT32 XAUDIO2_COMMIT_ALL = 0;
constexpr UINT32 XAUDIO2_INVALID_OPSET = 0xFFFFFFFFu;
constexpr UINT32 XAUDIO2_NO_LOOP_REGION = 0;
constexpr UINT32 XAUDIO2_LOOP_INFINITE = 255;
constexpr UINT32 XAUDIO2_DEFAULT_CHANNELS = 0;
constexpr UINT32 XAUDIO2_DEFAULT_SAMPLERATE = 0;

// Flags.
constexpr UINT32 XAUDIO2_DEBUG_ENGINE = 0x0001;
constexpr UINT32 XAUDIO2_VOICE_NOPITCH = 0x0002;
constexpr UINT32 XAUDIO2_VOICE_NOSRC = 0x0004;
constexpr UINT32 XAUDIO2_VOICE_USEFILTER = 0x0008;
constexpr UINT32 XAUDIO2_VOICE_MUSIC = 0x0010;
constexpr UINT32 XAUDIO2_PLAY_TAILS = 0x0020;
constexpr UINT32 XAUDIO2_END_OF_STREAM = 0x0040;
constexpr UINT32 XAUDIO2_SEND_USEFILTER = 0x0080;

// Results.
constexpr HRESULT XAUDIO2_E_INVALID_CALL = static_cast<HRESULT>(0x88960001u);
constexpr HRESULT XAUDIO2_E_XMA_DECODER_ERROR = static_cast<HRESULT>(0x88960002u);
constexpr HRESULT XAUDIO2_E_XAPO_CREATION_FAILED = static_cast<HRESULT>(0x88960003u);
constexpr HRESULT XAUDIO2_E_DEVICE_INVALIDATED = static_cast<HRESULT>(0x88960004u);

typedef UINT32 XAUDIO2_PROCESSOR;
constexpr XAUDIO2_PROCESSOR XAUDIO2_ANY_PROCESSOR = 0xFFFFFFFFu;
constexpr XAUDIO2_PROCESSOR XAUDIO2_DEFAULT_PROCESSOR = XAUDIO2_ANY_PROCESSOR;

enum XAUDIO2_DEVICE_ROLE : UINT32
{
    NotDefaultDevice = 0x0,
    DefaultConsoleDevice = 0x1,
    DefaultMultimediaDevice = 0x2,
    DefaultCommunicationsDevice = 0x4,
    DefaultGameDevice = 0x8,
    GlobalDefaultDevice = 0xF,
    InvalidDeviceRole = ~GlobalDefaultDevice
};

enum XAUDIO2_FILTER_TYPE : UINT32
{
    LowPassFilter,
    BandPassFilter,
    HighPassFilter,
    NotchFilter
};

#pragma pack(push, 1)
struct XAUDIO2_DEVICE_DETAILS
{
    WCHAR DeviceID[256];
    WCHAR DisplayName[256];
    XAUDIO2_DEVICE_ROLE Role;
    WAVEFORMATEXTENSIBLE OutputFormat;
};

struct XAUDIO2_VOICE_DETAILS
{
    UINT32 CreationFlags;
    UINT32 InputChannels;
    UINT32 InputSampleRate;
};

struct IXAudio2Voice;

struct XAUDIO2_SEND_DESCRIPTOR
{
    UINT32 Flags; // 0 or XAUDIO2_SEND_USEFILTER
    IXAudio2Voice* pOutputVoice;
};

struct XAUDIO2_VOICE_SENDS
{
    UINT32 SendCount;
    XAUDIO2_SEND_DESCRIPTOR* pSends;
};

struct XAUDIO2_EFFECT_DESCRIPTOR
{
    IUnknown* pEffect;
    BOOL InitialState; // enabled
    UINT32 OutputChannels;
};

struct XAUDIO2_EFFECT_CHAIN
{
    UINT32 EffectCount;
    XAUDIO2_EFFECT_DESCRIPTOR* pEffectDescriptors;
};

struct XAUDIO2_FILTER_PARAMETERS
{
    XAUDIO2_FILTER_TYPE Type;
    float Frequency;
    float OneOverQ;
};

// Play and loop regions are in sample frames; a length of 0 runs to the end (of the buffer for
// the play region, of the play region for the loop). The caller keeps the audio bytes until
// OnBufferEnd names the context.
struct XAUDIO2_BUFFER
{
    UINT32 Flags; // 0 or XAUDIO2_END_OF_STREAM
    UINT32 AudioBytes;
    const BYTE* pAudioData;
    UINT32 PlayBegin;
    UINT32 PlayLength;
    UINT32 LoopBegin;
    UINT32 LoopLength;
    UINT32 LoopCount; // 0 to XAUDIO2_MAX_LOOP_COUNT, or XAUDIO2_LOOP_INFINITE
    void* pContext;
};

struct XAUDIO2_BUFFER_WMA
{
    const UINT32* pDecodedPacketCumulativeBytes;
    UINT32 PacketCount;
};
#pragma pack(pop)

static_assert(sizeof(XAUDIO2_DEVICE_DETAILS) == 1068 && offsetof(XAUDIO2_DEVICE_DETAILS, Role) == 1024 &&
              offsetof(XAUDIO2_DEVICE_DETAILS, OutputFormat) == 1028);
static_assert(sizeof(XAUDIO2_VOICE_DETAILS) == 12 && sizeof(XAUDIO2_SEND_DESCRIPTOR) == 8 &&
              sizeof(XAUDIO2_VOICE_SENDS) == 8);
static_assert(sizeof(XAUDIO2_EFFECT_DESCRIPTOR) == 12 && sizeof(XAUDIO2_EFFECT_CHAIN) == 8 &&
              sizeof(XAUDIO2_FILTER_PARAMETERS) == 12);
static_assert(sizeof(XAUDIO2_BUFFER) == 36 && offsetof(XAUDIO2_BUFFER, LoopCount) == 28 &&
              offsetof(XAUDIO2_BUFFER, pContext) == 32 && sizeof(XAUDIO2_BUFFER_WMA) == 8);

// The seven notifications of a source voice, called on the mixer's thread. A callback may
// submit buffers or change the voice; it must not destroy a voice.
struct IXAudio2VoiceCallback
{
    virtual void OnVoiceProcessingPassStart(UINT32 bytesRequired) = 0;
    virtual void OnVoiceProcessingPassEnd() = 0;
    virtual void OnStreamEnd() = 0;
    virtual void OnBufferStart(void* bufferContext) = 0;
    virtual void OnBufferEnd(void* bufferContext) = 0;
    virtual void OnLoopEnd(void* bufferContext) = 0;
    virtual void OnVoiceError(void* bufferContext, HRESULT error) = 0;

protected:
    ~IXAudio2VoiceCallback() = default;
};

struct IXAudio2Voice
{
    virtual void GetVoiceDetails(XAUDIO2_VOICE_DETAILS* details) = 0;
    virtual HRESULT SetEffectChain(const XAUDIO2_EFFECT_CHAIN* effectChain) = 0;
    virtual HRESULT EnableEffect(UINT32 effectIndex, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual HRESULT DisableEffect(UINT32 effectIndex, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual HRESULT SetEffectParameters(UINT32 effectIndex, const void* parameters, UINT32 parametersByteSize,
                                        UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // Only for a send made with XAUDIO2_SEND_USEFILTER.
    virtual HRESULT SetOutputFilterParameters(IXAudio2Voice* destinationVoice,
                                              const XAUDIO2_FILTER_PARAMETERS* parameters,
                                              UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual HRESULT SetVolume(float volume, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // The level of source channel s in destination channel d is levelMatrix[d * sourceChannels + s].
    virtual HRESULT SetOutputMatrix(IXAudio2Voice* destinationVoice, UINT32 sourceChannels,
                                    UINT32 destinationChannels, const float* levelMatrix,
                                    UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // Returns once the mixer has left the voice; refused while other voices still send to it.
    virtual void DestroyVoice() = 0;

protected:
    ~IXAudio2Voice() = default;
};

struct IXAudio2SourceVoice : IXAudio2Voice
{
    // flags 0; Stop also takes XAUDIO2_PLAY_TAILS. A stopped voice resumes at the same sample.
    virtual HRESULT Start(UINT32 flags = 0, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual HRESULT Stop(UINT32 flags = 0, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // Queued at once (at most XAUDIO2_MAX_QUEUED_BUFFERS); a WMA table without packets on a PCM
    // voice plays the buffer as a plain one.
    virtual HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const XAUDIO2_BUFFER_WMA* bufferWMA = nullptr) = 0;
    // Clamped to XAUDIO2_MIN_FREQ_RATIO .. the voice's maximum ratio.
    virtual HRESULT SetFrequencyRatio(float ratio, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;

protected:
    ~IXAudio2SourceVoice() = default;
};

struct IXAudio2SubmixVoice : IXAudio2Voice
{
protected:
    ~IXAudio2SubmixVoice() = default;
};

struct IXAudio2MasteringVoice : IXAudio2Voice
{
protected:
    ~IXAudio2MasteringVoice() = default;
};

struct IXAudio2 : IUnknown
{
    virtual HRESULT GetDeviceCount(UINT32* count) = 0;
    // Device 0 is the default output.
    virtual HRESULT GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details) = 0;
    virtual HRESULT Initialize(UINT32 flags = 0, XAUDIO2_PROCESSOR processor = XAUDIO2_DEFAULT_PROCESSOR) = 0;
    // PCM of 8 or 16 bits or 32-bit float, 1 to 8 channels. Without sends a voice sends to the
    // mastering voice.
    virtual HRESULT CreateSourceVoice(IXAudio2SourceVoice** sourceVoice, const WAVEFORMATEX* sourceFormat,
                                      UINT32 flags = 0, float maxFrequencyRatio = XAUDIO2_DEFAULT_FREQ_RATIO,
                                      IXAudio2VoiceCallback* callback = nullptr,
                                      const XAUDIO2_VOICE_SENDS* sendList = nullptr,
                                      const XAUDIO2_EFFECT_CHAIN* effectChain = nullptr) = 0;
    // Mixed after the source voices, by ascending processing stage.
    virtual HRESULT CreateSubmixVoice(IXAudio2SubmixVoice** submixVoice, UINT32 inputChannels,
                                      UINT32 inputSampleRate, UINT32 flags = 0, UINT32 processingStage = 0,
                                      const XAUDIO2_VOICE_SENDS* sendList = nullptr,
                                      const XAUDIO2_EFFECT_CHAIN* effectChain = nullptr) = 0;
    // Opens the device; one mastering voice at a time.
    virtual HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** masteringVoice,
                                         UINT32 inputChannels = XAUDIO2_DEFAULT_CHANNELS,
                                         UINT32 inputSampleRate = XAUDIO2_DEFAULT_SAMPLERATE, UINT32 flags = 0,
                                         UINT32 deviceIndex = 0,
                                         const XAUDIO2_EFFECT_CHAIN* effectChain = nullptr) = 0;
    virtual HRESULT StartEngine() = 0;
    virtual void StopEngine() = 0;
    // One operation set, or XAUDIO2_COMMIT_ALL.
    virtual HRESULT CommitChanges(UINT32 operationSet) = 0;

protected:
    ~IXAudio2() = default;
};

// The engine as XAudio2 2.7 makes it: through COM (the debug class with XAUDIO2_DEBUG_ENGINE),
// then Initialize. The engine runs from then on.
inline HRESULT XAudio2Create(IXAudio2** engine, UINT32 flags = 0,
                             XAUDIO2_PROCESSOR processor = XAUDIO2_DEFAULT_PROCESSOR)
{
    IXAudio2* created = nullptr;
    HRESULT result = CoCreateInstance((flags & XAUDIO2_DEBUG_ENGINE) ? CLSID_XAudio2_Debug : CLSID_XAudio2, nullptr,
                                      CLSCTX_INPROC_SERVER, IID_IXAudio2, reinterpret_cast<void**>(&created));
    if (FAILED(result))
        return result;
    result = created->Initialize(flags, processor);
    if (FAILED(result))
    {
        created->Release();
        return result;
    }
    *engine = created;
    return S_OK;
}
