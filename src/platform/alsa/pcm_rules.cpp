#include "platform/alsa/pcm_rules.h"

#include <cerrno>

namespace alsa {

namespace {

bool IsAliasOf(std::string_view name, std::string_view alias) {
    if (name.substr(0, alias.size()) != alias) return false;
    return name.size() == alias.size() || name[alias.size()] == ':';
}

}  // namespace

bool IsListedPlaybackPcm(std::string_view name, const char* ioid) {
    if (name.empty() || name == "null") return false;
    if (IsAliasOf(name, "default") || IsAliasOf(name, "sysdefault")) return false;
    if (ioid != nullptr && std::string_view(ioid) != "Output") return false;
    // A sound card's own PCMs, and the sound servers that play to them. The plug-ins without a
    // card (rate converters, up- and down-mixers, JACK, OSS) only fail or need set-up.
    if (name.find("CARD=") != std::string_view::npos) return true;
    return IsAliasOf(name, "pulse") || IsAliasOf(name, "pipewire");
}

std::string_view FirstLine(std::string_view text) {
    const std::size_t end = text.find_first_of("\r\n");
    return end == std::string_view::npos ? text : text.substr(0, end);
}

audio::MMRESULT OpenErrorCode(int alsaError, audio::MMRESULT other) {
    switch (alsaError) {
        case 0:
            return audio::MMSYSERR_NOERROR;
        case -EBUSY:
            return audio::MMSYSERR_ALLOCATED;
        case -ENOMEM:
            return audio::MMSYSERR_NOMEM;
        default:
            return other;
    }
}

snd_pcm_format_t SampleFormatOf(const audio::WAVEFORMATEX& format) {
    if (format.wFormatTag != audio::WAVE_FORMAT_PCM || format.nChannels == 0 ||
        format.nSamplesPerSec == 0)
        return SND_PCM_FORMAT_UNKNOWN;
    const unsigned bytes = format.wBitsPerSample / 8u;
    if (format.wBitsPerSample % 8 != 0 || format.nBlockAlign != bytes * format.nChannels)
        return SND_PCM_FORMAT_UNKNOWN;
    switch (format.wBitsPerSample) {
        case 8:
            return SND_PCM_FORMAT_U8;
        case 16:
            return SND_PCM_FORMAT_S16_LE;
        case 24:
            return SND_PCM_FORMAT_S24_3LE;
        case 32:
            return SND_PCM_FORMAT_S32_LE;
        default:
            return SND_PCM_FORMAT_UNKNOWN;
    }
}

std::string UnderrunReport(std::uint64_t underruns, bool always) {
    if (underruns == 0 && !always) return {};
    return "vpg: the sound card ran dry " + std::to_string(underruns) +
           (underruns == 1 ? " time" : " times");
}

}  // namespace alsa
