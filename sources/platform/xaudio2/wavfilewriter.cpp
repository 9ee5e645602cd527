#include "platform/xaudio2/wavfilewriter.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>

namespace
{
// What this run wrote into each file: its layout and its audio bytes.
struct TRecording
{
    UINT32 channels;
    UINT32 sampleRate;
    std::uint64_t dataBytes;
};

std::mutex& RecordingsMutex()
{
    static std::mutex s_Mutex;
    return s_Mutex;
}
std::map<std::string, TRecording>& Recordings()
{
    static std::map<std::string, TRecording> s_Recordings;
    return s_Recordings;
}

constexpr UINT32 kHeaderBytes = 44;
constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFu - kHeaderBytes;

void Put16(BYTE* p, UINT32 value)
{
    p[0] = static_cast<BYTE>(value);
    p[1] = static_cast<BYTE>(value >> 8);
}

void Put32(BYTE* p, UINT32 value)
{
    Put16(p, value & 0xFFFF);
    Put16(p + 2, value >> 16);
}
} // namespace

bool TWavFileWriter::Open(const std::string& path, UINT32 channels, UINT32 sampleRate, std::string& why)
{
    path_ = path;
    channels_ = channels;
    sampleRate_ = sampleRate;
    {
        std::lock_guard<std::mutex> lock(RecordingsMutex());
        const auto known = Recordings().find(path);
        if (known != Recordings().end() && known->second.channels == channels &&
            known->second.sampleRate == sampleRate)
            file_ = std::fopen(path.c_str(), "r+b");
    }
    // Taken up only while it is still what this run left there.
    if (file_ && std::fseek(file_, 0, SEEK_END) == 0)
    {
        const long size = std::ftell(file_);
        std::lock_guard<std::mutex> lock(RecordingsMutex());
        if (size >= static_cast<long>(kHeaderBytes) &&
            static_cast<std::uint64_t>(size) - kHeaderBytes == Recordings()[path].dataBytes)
        {
            dataBytes_ = Recordings()[path].dataBytes;
            return true;
        }
    }
    if (file_)
        std::fclose(file_);
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_)
    {
        why = "cannot write the WAV file '" + path + "' (" + std::strerror(errno) + ")";
        return false;
    }
    WriteHeader();
    return true;
}

TWavFileWriter::~TWavFileWriter()
{
    if (!file_)
        return;
    WriteSizes();
    std::fclose(file_);
    std::lock_guard<std::mutex> lock(RecordingsMutex());
    Recordings()[path_] = {channels_, sampleRate_, dataBytes_};
}

void TWavFileWriter::WriteSizes()
{
    BYTE size[4];
    Put32(size, static_cast<UINT32>(kHeaderBytes - 8 + dataBytes_));
    std::fseek(file_, 4, SEEK_SET);
    std::fwrite(size, 1, 4, file_);
    Put32(size, static_cast<UINT32>(dataBytes_));
    std::fseek(file_, 40, SEEK_SET);
    std::fwrite(size, 1, 4, file_);
    std::fseek(file_, 0, SEEK_END);
    unrecordedBytes_ = 0;
}

void TWavFileWriter::WriteHeader()
{
    const UINT32 blockAlign = channels_ * 2;
    BYTE header[kHeaderBytes];
    std::memcpy(header, "RIFF", 4);
    Put32(header + 4, static_cast<UINT32>(kHeaderBytes - 8 + dataBytes_));
    std::memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, 1); // PCM
    Put16(header + 22, channels_);
    Put32(header + 24, sampleRate_);
    Put32(header + 28, sampleRate_ * blockAlign);
    Put16(header + 32, blockAlign);
    Put16(header + 34, 16);
    std::memcpy(header + 36, "data", 4);
    Put32(header + 40, static_cast<UINT32>(dataBytes_));
    std::fwrite(header, 1, sizeof(header), file_);
}

void TWavFileWriter::Write(const std::int16_t* samples, UINT32 frames)
{
    const std::uint64_t bytes = std::uint64_t(frames) * channels_ * 2;
    if (dataBytes_ + bytes > kMaxDataBytes)
        return;
    // x86 is little-endian, as WAV files are.
    std::fwrite(samples, 1, static_cast<size_t>(bytes), file_);
    dataBytes_ += bytes;
    unrecordedBytes_ += bytes;
    if (unrecordedBytes_ >= std::uint64_t(sampleRate_) * channels_ * 2)
        WriteSizes();
}
