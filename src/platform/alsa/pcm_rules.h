#pragma once

// The small decisions of the ALSA device that need no open PCM: which PCMs the device list
// offers, what a device is called, how ALSA's errors read as wave-out codes, and which ALSA
// sample format a wave format asks for.

#include <alsa/asoundlib.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "audio/wave_out.h"

namespace alsa {

// True for a PCM that the device list offers: one that plays (IOID "Output", or none given,
// which means both ways) on a sound card (its name names a CARD) or through the sound server
// ("pulse", "pipewire"). "null" discards the sound, the "default"/"sysdefault" aliases stand
// for the system's default output, which the list's first entry already is, and plug-ins of
// no card ("samplerate", "upmix", "jack", "oss", ...) are not playback devices of their own.
bool IsListedPlaybackPcm(std::string_view name, const char* ioid);

// The first line of a PCM's description: ALSA gives the card and then the device on two lines.
std::string_view FirstLine(std::string_view text);

// The wave-out code of an error that snd_pcm_open reported; `other` for any error that has no
// code of its own (its text then carries ALSA's reason).
audio::MMRESULT OpenErrorCode(int alsaError, audio::MMRESULT other);

// The ALSA sample format of a PCM wave format, or SND_PCM_FORMAT_UNKNOWN when the format is not
// one that a sound card plays as it is (whole bytes per sample, a block of one frame).
snd_pcm_format_t SampleFormatOf(const audio::WAVEFORMATEX& format);

// What the program says at its end about the sound card running dry (underruns: the card
// played everything it had before the next buffer came, and the listener heard a gap): a line
// when it happened, or always when `always` is set (VPG_REPORT_UNDERRUNS=1); empty otherwise.
std::string UnderrunReport(std::uint64_t underruns, bool always);

}  // namespace alsa
