#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "audio/wave_device_core.h"
#include "ui/message_loop.h"

namespace portable {

// A wave-out device that "plays" every written buffer at once into a RIFF/WAVE file (PCM, in the
// format given at open) and hands it straight back with MM_WOM_DONE. The header is brought up to
// date at least every mebibyte of data and at close, so the file is a readable WAV at every
// moment and never claims more data than it holds; a failed disk write is returned from Write
// as a device error. While paused
// the buffers are still written to the file, but their MM_WOM_DONE waits for Restart (or Reset),
// so a paused stream does not run on.
class WavFileWaveOut final : public audio::WaveDeviceCore {
public:
    // Device errors of our own, with texts that say what happened to which file.
    static constexpr audio::MMRESULT kErrCreate = 0x7F01;
    static constexpr audio::MMRESULT kErrWrite = 0x7F02;
    static constexpr audio::MMRESULT kErrFull = 0x7F03;
    static constexpr const char* kDeviceName = "WAV file";
    static constexpr std::uint32_t kHeaderBytes = 44;
    static constexpr audio::HWAVEOUT kFirstHandle = 0x5700;

    // The largest data chunk whose RIFF size still fits 32 bits. RIFF size = "WAVE" + fmt chunk
    // (8 + 16) + data chunk header (8) + data + a pad byte after odd data: 36 + 4294967258 is
    // the last even total within 0xFFFFFFFF.
    static constexpr std::uint64_t kMaxDataBytes = 0xFFFFFFFFull - 37;
    // True when a data chunk of `dataBytes` (plus its pad byte) keeps the RIFF size in 32 bits.
    static bool FitsInRiff(std::uint64_t dataBytes);

    explicit WavFileWaveOut(ui::IMessageLoop& loop, std::string path = {});
    WavFileWaveOut(const WavFileWaveOut&) = delete;
    WavFileWaveOut& operator=(const WavFileWaveOut&) = delete;
    ~WavFileWaveOut() override;

    // The file of the next open (UTF-8), created or truncated there.
    void setPath(std::string path);
    const std::string& path() const { return path_; }
    // The next open writes into `file` instead, a new empty file opened for writing by the
    // caller, who chose where it lies; `name` is what the messages call it. The device closes
    // it at Close (or when destroyed) and never touches the file at `name` itself. Only that
    // one open is served: a later open without a new file fails.
    void setFile(std::FILE* file, std::string name);
    // Caps the sample data below the RIFF limit: a write that would pass it fails with kErrFull.
    void setDataLimit(std::uint64_t bytes) { dataLimit_ = bytes; }
    // A render of a set length: the file takes the first `bytes` of sample data (whole frames)
    // and drops the rest without an error; the buffers come back as usual.
    void setPlayLimit(std::uint64_t bytes) { playLimit_ = bytes; }
    bool playLimitReached() const { return playLimit_ != UINT64_MAX && data_ >= playLimitFrames(); }
    // Sample bytes in the file of the current (or last) open.
    std::uint64_t dataBytes() const { return data_; }
    bool isOpen() const { return file_ != nullptr; }
    // The first failure of the current (or last) open, empty when the file is complete.
    const std::string& fileError() const { return fileError_; }

protected:
    std::uint32_t DeviceCount() override { return 1; }
    audio::MMRESULT DeviceCaps(std::uint32_t deviceId, audio::WAVEOUTCAPS& caps) override;
    audio::MMRESULT OpenStream(std::uint32_t deviceId, const audio::WAVEFORMATEX& format,
                               const audio::WaveLink& link, audio::WaveStream*& stream) override;
    void EndStream(audio::WaveStream* stream) override;

private:
    // The one open: the file of this device is its sound.
    class Stream final : public audio::WaveStream {
    public:
        explicit Stream(WavFileWaveOut& device) : device_(device) {}
        audio::MMRESULT write(const char* data, std::uint32_t bytes) override {
            return device_.writeBlock(data, bytes);
        }
        void drop() override { device_.held_ = 0; }
        void pause() override { device_.paused_ = true; }
        void resume() override;
        std::uint64_t position() override { return device_.data_ / device_.format_.nBlockAlign; }
        void close() override;

    private:
        WavFileWaveOut& device_;
    };

    audio::MMRESULT fail(audio::MMRESULT code, std::string text);
    audio::MMRESULT writeBlock(const char* data, std::uint32_t bytes);
    std::string reason(int error) const;
    bool writeAt(std::uint64_t offset, const void* data, std::size_t bytes, int& error);
    bool writeHeader(std::uint64_t dataBytes, int& error);
    void closeFile();
    // The play limit in whole frames of the open format.
    std::uint64_t playLimitFrames() const;

    std::string path_;
    std::FILE* file_ = nullptr;
    std::FILE* given_ = nullptr;  // from setFile, until an open takes it
    bool givenFiles_ = false;     // files come from setFile, not from the path
    audio::WAVEFORMATEX format_{};
    bool paused_ = false;
    std::uint64_t data_ = 0;
    std::uint64_t claimed_ = 0;  // the data size the header states
    static constexpr std::uint64_t kHeaderInterval = 1 << 20;
    std::uint64_t dataLimit_ = UINT64_MAX;
    std::uint64_t playLimit_ = UINT64_MAX;
    // Buffers written while paused: in the file, but not back until the restart.
    std::size_t held_ = 0;
    std::string fileError_;
    Stream stream_{*this};
    std::optional<audio::WaveLink> link_;  // of the open
};

}  // namespace portable
