#pragma once

// What every wave-out device does the same way: handles, the header rules (prepared, queued,
// done), the queue of written buffers in play order, Reset handing every pending buffer back,
// Close refused while buffers are pending, a device that fails handing everything back and
// refusing later writes with its reason, and the notifications (MM_WOM_OPEN, one MM_WOM_DONE per
// buffer in the order written, MM_WOM_CLOSE last), always posted through the message loop and so
// never inside the call that caused them. A device family only says what its sound system needs:
// which devices there are, how one opens, how a block is played, when it has played, how the
// device closes (WaveStream).

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "audio/wave_out.h"
#include "ui/message_loop.h"

namespace audio {

class WaveDeviceCore;

// How an open device tells the core what happened to the blocks it was given. Any thread may
// call it, also from inside a call of the core into the stream.
class WaveLink {
public:
    // The oldest block not yet reported has played (or has been handed to the sound system
    // for good): its buffer comes back.
    void played() const;
    // The device cannot play any more: every pending buffer comes back, and each later write
    // fails with `code`, whose text is `reason`.
    void failed(MMRESULT code, std::string reason) const;
    // The device has closed after WaveStream::close: MM_WOM_CLOSE is its last notification.
    void closed() const;

    HWAVEOUT handle() const;
    std::uint32_t flags() const;        // of the open
    ui::MessageTarget* window() const;  // nullptr when nothing is posted

private:
    friend class WaveDeviceCore;
    struct Device;
    WaveLink(WaveDeviceCore& core, Device& device) : core_(&core), device_(&device) {}
    WaveDeviceCore* core_;
    Device* device_;
};

// One open device of a family: it plays the blocks it is given, in order.
class WaveStream {
public:
    virtual ~WaveStream() = default;
    // Before the first write of an open: the length of a buffer of the ring, for a device that
    // sizes its own buffer to it. An error fails the prepare that told it.
    virtual MMRESULT sizeBuffers(std::uint32_t bytes) {
        (void)bytes;
        return MMSYSERR_NOERROR;
    }
    // Plays `bytes` after everything written before (a partial frame at the end need not play);
    // WaveLink::played follows when they have. An error refuses the block.
    virtual MMRESULT write(const char* data, std::uint32_t bytes) = 0;
    // Forgets every block written so far: none of them is reported any more.
    virtual void drop() = 0;
    virtual void pause() = 0;
    virtual void resume() = 0;
    // Sample frames played since the open or the last drop.
    virtual std::uint64_t position() = 0;
    // No block is pending: the device finishes (what it holds may play out) and then calls
    // WaveLink::closed.
    virtual void close() = 0;
};

// The wave-out calls, for a family that screens or records them.
enum class WaveCall {
    GetNumDevs,
    GetDevCaps,
    Open,
    PrepareHeader,
    UnprepareHeader,
    Write,
    Reset,
    Pause,
    Restart,
    GetPosition,
    Close,
    GetErrorText,
};

class WaveDeviceCore : public IWaveOut {
public:
    // Handles count up from `firstHandle` and are never given twice.
    WaveDeviceCore(ui::IMessageLoop& loop, HWAVEOUT firstHandle);
    WaveDeviceCore(const WaveDeviceCore&) = delete;
    WaveDeviceCore& operator=(const WaveDeviceCore&) = delete;
    ~WaveDeviceCore() override;

    std::uint32_t GetNumDevs() final;
    MMRESULT GetDevCaps(std::uint32_t deviceId, WAVEOUTCAPS* caps) final;
    MMRESULT Open(HWAVEOUT* handle, std::uint32_t deviceId, const WAVEFORMATEX& format,
                  ui::MessageTarget* callbackWindow, std::uint32_t flags) final;
    MMRESULT PrepareHeader(HWAVEOUT handle, WAVEHDR* header) final;
    MMRESULT UnprepareHeader(HWAVEOUT handle, WAVEHDR* header) final;
    MMRESULT Write(HWAVEOUT handle, WAVEHDR* header) final;
    MMRESULT Reset(HWAVEOUT handle) final;
    MMRESULT Pause(HWAVEOUT handle) final;
    MMRESULT Restart(HWAVEOUT handle) final;
    MMRESULT GetPosition(HWAVEOUT handle, MMTIME* time) final;
    MMRESULT Close(HWAVEOUT handle) final;
    MMRESULT GetErrorText(MMRESULT code, char* buffer, std::uint32_t capacity) final;

    // Devices open at this moment (a closed one that still plays out is not).
    std::size_t openCount() const;
    bool isOpen(HWAVEOUT handle) const;
    // Buffers written to `handle` that have not come back.
    std::size_t pendingCount(HWAVEOUT handle) const;

protected:
    // --- what the family says
    virtual std::uint32_t DeviceCount() = 0;
    virtual MMRESULT DeviceCaps(std::uint32_t deviceId, WAVEOUTCAPS& caps) = 0;
    // Opens a device for `format`; the stream reports through `link` and stays the family's,
    // to be ended by EndStream once it has closed, or at the end of the core.
    virtual MMRESULT OpenStream(std::uint32_t deviceId, const WAVEFORMATEX& format,
                                const WaveLink& link, WaveStream*& stream) = 0;
    // The stream is no longer used: a device that had not closed yet stops at once.
    virtual void EndStream(WaveStream* stream) = 0;
    // The words of the sound system for a code that no text of ours covers; false when none.
    virtual bool SystemErrorText(MMRESULT code, std::string& text) {
        (void)code;
        (void)text;
        return false;
    }
    // The wType a position is given in when `asked` is asked for (a driver may choose another).
    virtual std::uint32_t PositionType(std::uint32_t asked) { return asked; }
    // Every call is screened first (an error refuses it, nothing else happens) and seen last.
    virtual MMRESULT Screen(WaveCall call) {
        (void)call;
        return MMSYSERR_NOERROR;
    }
    virtual void Seen(WaveCall call, HWAVEOUT handle, MMRESULT result, WAVEHDR* header,
                      std::uint32_t bytes) {
        (void)call, (void)handle, (void)result, (void)header, (void)bytes;
    }

    // --- what the family may use
    // The text GetErrorText gives for a code of the family's own.
    void SetErrorText(MMRESULT code, std::string text);
    MMRESULT Fail(MMRESULT code, std::string text) {
        SetErrorText(code, std::move(text));
        return code;
    }
    // Ends every closed device that still plays out, each with its MM_WOM_CLOSE (a new open may
    // need the card they hold).
    void EndClosingDevices();
    // Ends every device, open or closing: a family calls it first in its destructor, while the
    // streams may still use it.
    void EndAllDevices();

private:
    friend class WaveLink;
    using Device = WaveLink::Device;

    Device* find(HWAVEOUT handle) const;
    // A closed device whose stream may end (finished ones, or all): taken out of the list.
    Device* takeClosing(bool finishedOnly);
    void end(Device* device);
    void post(const Device& device, std::uint32_t msg, WAVEHDR* header);
    void handBack(Device& device);
    void reap();
    template <class Action>
    MMRESULT onDevice(WaveCall call, HWAVEOUT handle, Action action);
    MMRESULT seen(WaveCall call, HWAVEOUT handle, MMRESULT result, WAVEHDR* header = nullptr,
                  std::uint32_t bytes = 0);

    // From the streams, on any thread.
    void played(Device& device);
    void failed(Device& device, MMRESULT code, std::string reason);
    void closed(Device& device);

    ui::IMessageLoop& loop_;
    HWAVEOUT nextHandle_;
    // Held by the calls into the streams; never taken by a stream's own thread.
    std::recursive_mutex calls_;
    // Guards the devices' queues and states; held only for bookkeeping.
    mutable std::mutex state_;
    // Records of every device ever made; open_, closing_ and free_ point into it, so that an
    // open allocates nothing once the first few have been made.
    std::vector<std::unique_ptr<Device>> records_;
    std::vector<Device*> open_;
    std::vector<Device*> closing_;
    std::vector<Device*> free_;
    std::vector<std::pair<MMRESULT, std::string>> texts_;
};

}  // namespace audio
