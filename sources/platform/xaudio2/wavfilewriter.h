#pragma once
// TWavFileWriter: an output into a 16-bit PCM WAV file. The header's sizes are written when the
// file is closed and after every second of audio, so a run that is killed leaves a file that
// plays up to its last second; past the 4 GB a WAV file can describe, further quanta are dropped.
// A file this run wrote before in the same layout is taken up where it ended (an engine made
// again, as by a level's reload, goes on with the run's one recording).
#include "platform/xaudio2/audiooutput.h"

#include <cstdio>
#include <string>

class TWavFileWriter final : public TAudioOutput
{
public:
    // False (with the reason) when the file cannot be made.
    bool Open(const std::string& path, UINT32 channels, UINT32 sampleRate, std::string& why);
    ~TWavFileWriter() override;

    void Write(const std::int16_t* samples, UINT32 frames) override;
    bool PacedByDevice() const override { return false; }

private:
    void WriteHeader();
    void WriteSizes();

    std::string path_;
    std::FILE* file_ = nullptr;
    UINT32 channels_ = 0;
    UINT32 sampleRate_ = 0;
    std::uint64_t dataBytes_ = 0;
    std::uint64_t unrecordedBytes_ = 0; // written since the sizes were
};
