#include "host/render/wav_writer.h"

#include <sndfile.h>

#include <bit>
#include <cerrno>
#include <cstring>

namespace gw::render {

namespace {

// RIFF header, an 18-byte format chunk (IEEE float, its extension size 0), a fact chunk
// with the frame count and the data chunk's header.
constexpr std::size_t kFloatHeaderBytes = 12 + 8 + 18 + 8 + 4 + 8;

void put16(std::uint8_t*& at, std::uint32_t v) {
  *at++ = v & 0xFF;
  *at++ = (v >> 8) & 0xFF;
}

void put32(std::uint8_t*& at, std::uint32_t v) {
  put16(at, v & 0xFFFF);
  put16(at, v >> 16);
}

void putTag(std::uint8_t*& at, const char* tag) {
  std::memcpy(at, tag, 4);
  at += 4;
}

void floatHeader(std::uint8_t (&bytes)[kFloatHeaderBytes], int sampleRate, std::int64_t frames) {
  constexpr std::uint32_t kChannels = 2, kBytesPerSample = 4;
  const auto dataBytes = static_cast<std::uint32_t>(frames * kChannels * kBytesPerSample);
  std::uint8_t* at = bytes;
  putTag(at, "RIFF");
  put32(at, static_cast<std::uint32_t>(kFloatHeaderBytes - 8 + dataBytes));
  putTag(at, "WAVE");
  putTag(at, "fmt ");
  put32(at, 18);
  put16(at, 3);  // IEEE float
  put16(at, kChannels);
  put32(at, static_cast<std::uint32_t>(sampleRate));
  put32(at, static_cast<std::uint32_t>(sampleRate) * kChannels * kBytesPerSample);
  put16(at, kChannels * kBytesPerSample);
  put16(at, kBytesPerSample * 8);
  put16(at, 0);
  putTag(at, "fact");
  put32(at, 4);
  put32(at, static_cast<std::uint32_t>(frames));
  putTag(at, "data");
  put32(at, dataBytes);
}

}  // namespace

std::int64_t maxWavFrames(SampleFormat format) {
  const std::int64_t bytesPerFrame = format == SampleFormat::Pcm16   ? 4
                                     : format == SampleFormat::Pcm24 ? 6
                                                                     : 8;
  // Room for the header and the chunks libsndfile adds.
  return (0xFFFFFFFFll - 4096) / bytesPerFrame;
}

WavWriter::~WavWriter() {
  discard();
}

bool WavWriter::open(const std::string& path, int sampleRate, SampleFormat format,
                     std::string& error) {
  discard();
  path_ = path;
  sampleRate_ = sampleRate;
  if (format == SampleFormat::Float32) {
    floatFile_ = std::fopen(path.c_str(), "wb");
    std::uint8_t header[kFloatHeaderBytes];
    floatHeader(header, sampleRate, 0);
    floatFrames_ = 0;
    if (floatFile_ == nullptr || std::fwrite(header, sizeof header, 1, floatFile_) != 1) {
      error = std::strerror(errno);
      discard();
      return false;
    }
    return true;
  }
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format =
      SF_FORMAT_WAV | (format == SampleFormat::Pcm16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
  file_ = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file_ == nullptr) {
    error = sf_strerror(nullptr);
    path_.clear();
    return false;
  }
  // Integer formats clip rather than wrap around on overs.
  sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  return true;
}

bool WavWriter::write(const float* left, const float* right, std::int32_t frames) {
  if ((file_ == nullptr && floatFile_ == nullptr) || frames < 0) return false;
  interleaved_.resize(2 * static_cast<std::size_t>(frames));
  for (std::int32_t i = 0; i < frames; ++i) {
    interleaved_[2 * i] = left[i];
    interleaved_[2 * i + 1] = right[i];
  }
  if (floatFile_ != nullptr) return writeFloat(frames);
  return sf_writef_float(file_, interleaved_.data(), frames) == frames;
}

bool WavWriter::writeFloat(std::int32_t frames) {
  static_assert(std::endian::native == std::endian::little, "WAV data is little-endian");
  const std::size_t count = interleaved_.size();
  if (std::fwrite(interleaved_.data(), sizeof(float), count, floatFile_) != count) return false;
  floatFrames_ += frames;
  return true;
}

bool WavWriter::close(std::string& error) {
  if (floatFile_ != nullptr) {
    std::uint8_t header[kFloatHeaderBytes];
    floatHeader(header, sampleRate_, floatFrames_);
    bool ok = std::fseek(floatFile_, 0, SEEK_SET) == 0 &&
              std::fwrite(header, sizeof header, 1, floatFile_) == 1;
    ok = std::fclose(floatFile_) == 0 && ok;
    floatFile_ = nullptr;
    if (!ok) {
      error = "cannot finish " + path_ + ": " + std::strerror(errno);
      std::remove(path_.c_str());
      return false;
    }
    return true;
  }
  if (file_ == nullptr) return true;
  const int status = sf_close(file_);
  file_ = nullptr;
  if (status != 0) {
    error = "cannot finish " + path_ + ": " + sf_error_number(status);
    std::remove(path_.c_str());
    return false;
  }
  return true;
}

void WavWriter::discard() {
  if (file_ == nullptr && floatFile_ == nullptr) return;
  if (file_ != nullptr) sf_close(file_);
  if (floatFile_ != nullptr) std::fclose(floatFile_);
  file_ = nullptr;
  floatFile_ = nullptr;
  std::remove(path_.c_str());
}

bool copyScaled(const std::string& from, float gain, WavWriter& to, std::string& error) {
  SF_INFO info{};
  SNDFILE* in = sf_open(from.c_str(), SFM_READ, &info);
  if (in == nullptr || info.channels != 2) {
    if (in != nullptr) sf_close(in);
    error = "cannot read back " + from;
    return false;
  }
  constexpr sf_count_t kFrames = 4096;
  std::vector<float> frames(2 * kFrames), left(kFrames), right(kFrames);
  bool ok = true;
  for (sf_count_t n; ok && (n = sf_readf_float(in, frames.data(), kFrames)) > 0;) {
    for (sf_count_t i = 0; i < n; ++i) {
      left[i] = frames[2 * i] * gain;
      right[i] = frames[2 * i + 1] * gain;
    }
    ok = to.write(left.data(), right.data(), static_cast<std::int32_t>(n));
  }
  sf_close(in);
  if (!ok) error = "writing the output failed (disk full?)";
  return ok;
}

}  // namespace gw::render
