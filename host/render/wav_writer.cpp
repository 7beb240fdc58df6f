#include "host/render/wav_writer.h"

#include <sndfile.h>

#include <cstdio>

namespace gw::render {

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
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = SF_FORMAT_WAV | (format == SampleFormat::Pcm16   ? SF_FORMAT_PCM_16
                                 : format == SampleFormat::Pcm24 ? SF_FORMAT_PCM_24
                                                                 : SF_FORMAT_FLOAT);
  file_ = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file_ == nullptr) {
    error = "cannot write " + path + ": " + sf_strerror(nullptr);
    return false;
  }
  // Integer formats clip rather than wrap around on overs.
  sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
  path_ = path;
  return true;
}

bool WavWriter::write(const float* left, const float* right, std::int32_t frames) {
  if (file_ == nullptr || frames < 0) return false;
  interleaved_.resize(2 * static_cast<std::size_t>(frames));
  for (std::int32_t i = 0; i < frames; ++i) {
    interleaved_[2 * i] = left[i];
    interleaved_[2 * i + 1] = right[i];
  }
  return sf_writef_float(file_, interleaved_.data(), frames) == frames;
}

bool WavWriter::close(std::string& error) {
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
  if (file_ == nullptr) return;
  sf_close(file_);
  file_ = nullptr;
  std::remove(path_.c_str());
}

}  // namespace gw::render
