#include "platform/xaudio2/sampleformat.h"

#include "platform/xaudio2/xaudio2.h"

bool TSampleFormat::FromWaveFormat(const WAVEFORMATEX* format, TSampleFormat& out, std::string& why)
{
    if (!format)
    {
        why = "no format";
        return false;
    }
    const WORD tag = format->wFormatTag;
    const WORD bits = format->wBitsPerSample;
    if (tag == WAVE_FORMAT_WMAUDIO2 || tag == WAVE_FORMAT_WMAUDIO3)
    {
        why = "xWMA formats are not supported";
        return false;
    }
    if (tag == WAVE_FORMAT_PCM && (bits == 8 || bits == 16))
        out.kind = bits == 8 ? ESampleKind::Unsigned8 : ESampleKind::Signed16;
    else if (tag == WAVE_FORMAT_IEEE_FLOAT && bits == 32)
        out.kind = ESampleKind::Float32;
    else
    {
        why = "format tag " + std::to_string(tag) + " with " + std::to_string(bits) +
              " bits per sample (PCM of 8 or 16 bits or 32-bit float expected)";
        return false;
    }
    if (format->nChannels == 0 || format->nChannels > kMaxChannels)
    {
        why = std::to_string(format->nChannels) + " channels (1 to 8 expected)";
        return false;
    }
    if (format->nSamplesPerSec < XAUDIO2_MIN_SAMPLE_RATE || format->nSamplesPerSec > XAUDIO2_MAX_SAMPLE_RATE)
    {
        why = "sample rate " + std::to_string(format->nSamplesPerSec) + " (1000 to 200000 expected)";
        return false;
    }
    const UINT32 block = format->nChannels * bits / 8;
    if (format->nBlockAlign != block)
    {
        why = "block size " + std::to_string(format->nBlockAlign) + " (" + std::to_string(block) + " expected)";
        return false;
    }
    if (format->cbSize > kWaveFormatExtensibleExtraBytes)
    {
        why = "cbSize " + std::to_string(format->cbSize) + " runs past what a PCM format carries (22 bytes)";
        return false;
    }
    out.channels = format->nChannels;
    out.sampleRate = format->nSamplesPerSec;
    out.blockAlign = block;
    return true;
}
