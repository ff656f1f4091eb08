#include "platform/portable/wav_file_wave_out.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace portable {

using namespace audio;

namespace {

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(
        std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::FILE* openForWriting(const std::filesystem::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"wb");
#else
    return std::fopen(path.c_str(), "wb");
#endif
}

// Cuts the open file to `bytes`; 0 or the error number.
int truncateTo(std::FILE* file, std::uint64_t bytes) {
    if (std::fflush(file) != 0) return errno != 0 ? errno : EIO;
#ifdef _WIN32
    return _chsize_s(_fileno(file), static_cast<long long>(bytes));
#else
    return ::ftruncate(fileno(file), static_cast<off_t>(bytes)) == 0 ? 0 : errno;
#endif
}

int seekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET);
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

std::uint64_t padded(std::uint64_t dataBytes) {
    return dataBytes + (dataBytes & 1);
}

constexpr std::uint64_t kMaxRiffData = WavFileWaveOut::kMaxDataBytes;

}  // namespace

bool WavFileWaveOut::FitsInRiff(std::uint64_t dataBytes) {
    return dataBytes <= kMaxRiffData;
}

WavFileWaveOut::WavFileWaveOut(ui::IMessageLoop& loop, std::string path)
    : WaveDeviceCore(loop, kFirstHandle), path_(std::move(path)) {
    for (MMRESULT code : {kErrCreate, kErrWrite, kErrFull})
        SetErrorText(code, "The WAV file could not be written.");
}

WavFileWaveOut::~WavFileWaveOut() {
    EndAllDevices();
    closeFile();
    if (given_ != nullptr) std::fclose(given_);
}

void WavFileWaveOut::setPath(std::string path) {
    path_ = std::move(path);
    if (given_ != nullptr) std::fclose(given_);
    given_ = nullptr;
    givenFiles_ = false;
}

void WavFileWaveOut::setFile(std::FILE* file, std::string name) {
    if (given_ != nullptr) std::fclose(given_);
    given_ = file;
    givenFiles_ = true;
    path_ = std::move(name);
}

MMRESULT WavFileWaveOut::fail(MMRESULT code, std::string text) {
    if (fileError_.empty()) fileError_ = text;
    return Fail(code, std::move(text));
}

std::string WavFileWaveOut::reason(int error) const {
    return error != 0 ? std::string(std::strerror(error)) : std::string("unknown reason");
}

bool WavFileWaveOut::writeAt(std::uint64_t offset, const void* data, std::size_t bytes,
                             int& error) {
    errno = 0;
    if (seekTo(file_, offset) != 0 || std::fwrite(data, 1, bytes, file_) != bytes) {
        error = errno;
        std::clearerr(file_);
        return false;
    }
    return true;
}

bool WavFileWaveOut::writeHeader(std::uint64_t dataBytes, int& error) {
    std::uint8_t h[kHeaderBytes];
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, static_cast<std::uint32_t>(36 + padded(dataBytes)));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, format_.wFormatTag);
    put16(h + 22, format_.nChannels);
    put32(h + 24, format_.nSamplesPerSec);
    put32(h + 28, format_.nAvgBytesPerSec);
    put16(h + 32, format_.nBlockAlign);
    put16(h + 34, format_.wBitsPerSample);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, static_cast<std::uint32_t>(dataBytes));
    return writeAt(0, h, sizeof h, error);
}

void WavFileWaveOut::closeFile() {
    if (file_ == nullptr) return;
    int error = 0;
    if (claimed_ != data_ && !writeHeader(data_, error) && fileError_.empty())
        fileError_ = "Could not write to the WAV file '" + path_ + "': " + reason(error);
    claimed_ = data_;
    // Drop what a failed write may have left behind the data the header claims. Through the
    // open file, not its name: the name may stand for a file this device must not touch.
    if (const int trimError = truncateTo(file_, kHeaderBytes + padded(data_));
        trimError != 0 && fileError_.empty())
        fileError_ = "Could not trim the WAV file '" + path_ + "': " + reason(trimError);
    errno = 0;
    if (std::fclose(file_) != 0 && fileError_.empty())
        fileError_ = "Could not close the WAV file '" + path_ + "': " + reason(errno);
    file_ = nullptr;
}

std::uint64_t WavFileWaveOut::playLimitFrames() const {
    if (playLimit_ == UINT64_MAX || format_.nBlockAlign == 0) return playLimit_;
    return playLimit_ - playLimit_ % format_.nBlockAlign;
}

MMRESULT WavFileWaveOut::DeviceCaps(std::uint32_t deviceId, WAVEOUTCAPS& caps) {
    if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
    caps = WAVEOUTCAPS{};
    SetDeviceName(caps, kDeviceName);
    caps.wChannels = 2;
    return MMSYSERR_NOERROR;
}

MMRESULT WavFileWaveOut::OpenStream(std::uint32_t deviceId, const WAVEFORMATEX& format,
                                    const WaveLink& link, WaveStream*& stream) {
    if (deviceId != 0 && deviceId != WAVE_MAPPER) return MMSYSERR_BADDEVICEID;
    if (file_ != nullptr) return MMSYSERR_ALLOCATED;
    // A PCM WAV file holds whole bytes per sample: 12 bits in one byte cannot be written.
    const std::uint32_t bits = format.wBitsPerSample;
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.nChannels == 0 ||
        format.nSamplesPerSec == 0 || bits == 0 || bits % 8 != 0 || bits > 32 ||
        format.nBlockAlign != format.nChannels * bits / 8 ||
        format.nAvgBytesPerSec != format.nSamplesPerSec * format.nBlockAlign)
        return WAVERR_BADFORMAT;

    fileError_.clear();
    data_ = 0;
    claimed_ = 0;
    if (givenFiles_) {
        if (given_ == nullptr)
            return fail(kErrCreate, "The WAV file '" + path_ + "' was written and closed already");
        file_ = given_;
        given_ = nullptr;
    } else {
        if (path_.empty()) return fail(kErrCreate, "No file name was given for the WAV output");
        errno = 0;
        file_ = openForWriting(fsPath(path_));
        if (file_ == nullptr)
            return fail(kErrCreate,
                        "Could not create the WAV file '" + path_ + "': " + reason(errno));
    }
    // Unbuffered: every write reaches the file, or fails, inside the call that makes it.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    format_ = format;
    int error = 0;
    if (!writeHeader(0, error)) {
        std::fclose(file_);
        file_ = nullptr;
        // A file we created is ours to remove; a given one belongs to the caller.
        std::error_code ec;
        if (!givenFiles_) std::filesystem::remove(fsPath(path_), ec);
        return fail(kErrWrite, "Could not write to the WAV file '" + path_ + "': " + reason(error));
    }
    paused_ = false;
    held_ = 0;
    link_ = link;
    stream = &stream_;
    return MMSYSERR_NOERROR;
}

void WavFileWaveOut::EndStream(WaveStream*) {
    link_.reset();
}

void WavFileWaveOut::Stream::resume() {
    device_.paused_ = false;
    // The held buffers are in the file already: they come back now.
    for (; device_.held_ > 0; --device_.held_) device_.link_->played();
}

void WavFileWaveOut::Stream::close() {
    device_.closeFile();
    device_.link_->closed();
}

MMRESULT WavFileWaveOut::writeBlock(const char* block, std::uint32_t length) {
    // A partial frame would shift every later frame of the file: only whole frames are kept.
    std::uint64_t bytes = length - length % format_.nBlockAlign;
    const std::uint64_t room = playLimitFrames() - std::min(data_, playLimitFrames());
    bytes = std::min(bytes, room);
    const std::uint64_t total = data_ + bytes;
    if (!FitsInRiff(total) || total > dataLimit_)
        return fail(kErrFull, "The WAV file '" + path_ + "' cannot hold more than " +
                                  std::to_string(std::min(dataLimit_, kMaxRiffData)) +
                                  " bytes of sample data");
    if (bytes > 0) {
        int error = 0;
        const std::uint8_t pad = 0;
        // The header follows the data at least every kHeaderInterval bytes (and at close): it
        // never claims more than the file holds, and rewriting it for every buffer would cost
        // two more system calls per buffer.
        const bool headerDue = total - claimed_ >= kHeaderInterval;
        if (!writeAt(kHeaderBytes + data_, block, bytes, error) ||
            ((total & 1) && !writeAt(kHeaderBytes + total, &pad, 1, error)) ||
            (headerDue && !writeHeader(total, error)))
            return fail(kErrWrite,
                        "Could not write to the WAV file '" + path_ + "': " + reason(error));
        data_ = total;
        if (headerDue) claimed_ = total;
    }
    // While paused the buffer waits for the restart; otherwise it has played.
    if (paused_)
        ++held_;
    else
        link_->played();
    return MMSYSERR_NOERROR;
}

}  // namespace portable
