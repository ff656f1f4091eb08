#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testing_support {

// Our own reader of the WAV files we write: every field of the 44-byte header as it stands in
// the file, the sample data and the file's size, so that a test holds each field to what the
// format says (sox ignores the byte rate and the RIFF size).
struct WavFile {
    bool hasHeader = false;  // the file opened and holds at least 44 bytes
    std::string riffId, waveId, fmtId, dataId;
    std::uint32_t riffSize = 0, fmtSize = 0, sampleRate = 0, byteRate = 0, dataSize = 0;
    std::uint16_t formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;
    std::vector<std::uint8_t> data;  // the bytes after the header, at most dataSize of them
    std::uint64_t fileSize = 0;

    std::int16_t sample16(std::size_t index) const {
        return static_cast<std::int16_t>(data[2 * index] | (data[2 * index + 1] << 8));
    }
};

inline WavFile ReadWavFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    WavFile w;
    w.fileSize = b.size();
    if (b.size() < 44) return w;
    const auto text = [&](std::size_t o) { return std::string(b.begin() + o, b.begin() + o + 4); };
    const auto u16 = [&](std::size_t o) {
        return static_cast<std::uint16_t>(b[o] | b[o + 1] << 8);
    };
    const auto u32 = [&](std::size_t o) {
        return static_cast<std::uint32_t>(u16(o)) | static_cast<std::uint32_t>(u16(o + 2)) << 16;
    };
    w.hasHeader = true;
    w.riffId = text(0);
    w.riffSize = u32(4);
    w.waveId = text(8);
    w.fmtId = text(12);
    w.fmtSize = u32(16);
    w.formatTag = u16(20);
    w.channels = u16(22);
    w.sampleRate = u32(24);
    w.byteRate = u32(28);
    w.blockAlign = u16(32);
    w.bitsPerSample = u16(34);
    w.dataId = text(36);
    w.dataSize = u32(40);
    const std::size_t end = 44 + std::min<std::size_t>(w.dataSize, b.size() - 44);
    w.data.assign(b.begin() + 44, b.begin() + static_cast<std::ptrdiff_t>(end));
    return w;
}

// Every header field of `w` held to a PCM file of the given format with `dataBytes` of
// samples: one line per field that differs, empty when all hold.
inline std::string HeaderFaults(const WavFile& w, unsigned channels, unsigned rate, unsigned bits,
                                std::uint64_t dataBytes) {
    if (!w.hasHeader) return "no header";
    std::string faults;
    const auto check = [&](const char* field, std::uint64_t got, std::uint64_t expected) {
        if (got != expected)
            faults += std::string(field) + " is " + std::to_string(got) + ", not " +
                      std::to_string(expected) + "\n";
    };
    const auto checkId = [&](const char* field, const std::string& got, const char* expected) {
        if (got != expected) faults += std::string(field) + " is '" + got + "'\n";
    };
    const std::uint64_t pad = dataBytes & 1;
    const unsigned blockAlign = channels * bits / 8;
    checkId("RIFF id", w.riffId, "RIFF");
    check("RIFF size", w.riffSize, 36 + dataBytes + pad);
    checkId("WAVE id", w.waveId, "WAVE");
    checkId("fmt id", w.fmtId, "fmt ");
    check("fmt size", w.fmtSize, 16);
    check("format tag", w.formatTag, 1);
    check("channels", w.channels, channels);
    check("sample rate", w.sampleRate, rate);
    check("byte rate", w.byteRate, std::uint64_t{rate} * blockAlign);
    check("block align", w.blockAlign, blockAlign);
    check("bits per sample", w.bitsPerSample, bits);
    checkId("data id", w.dataId, "data");
    check("data size", w.dataSize, dataBytes);
    check("file size", w.fileSize, 44 + dataBytes + pad);
    return faults;
}

}  // namespace testing_support
