// Stereo WAV output through libsndfile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/render/options.h"

struct sf_private_tag;

namespace gw::render {

// The most frames a WAV file of this format can hold (its sizes are 32-bit).
std::int64_t maxWavFrames(SampleFormat format);

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates (or replaces) the file. False with the reason when it cannot be written.
  bool open(const std::string& path, int sampleRate, SampleFormat format, std::string& error);
  // Appends frames of the two channels. False when the write falls short (disk full).
  bool write(const float* left, const float* right, std::int32_t frames);
  // Finishes the header. False with the reason when the file could not be completed.
  bool close(std::string& error);
  // Closes and deletes a file left incomplete by a failed render.
  void discard();

 private:
  sf_private_tag* file_ = nullptr;
  std::string path_;
  std::vector<float> interleaved_;
};

}  // namespace gw::render
