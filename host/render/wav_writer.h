// Stereo WAV output: 32-bit float with the format chunk every reader expects (its size
// field and a fact chunk, which libsndfile leaves out and sox warns about), and 16- or
// 24-bit PCM through libsndfile.
#pragma once

#include <cstdint>
#include <cstdio>
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

  // Creates (or replaces) the file. False with the system's reason when it cannot.
  bool open(const std::string& path, int sampleRate, SampleFormat format, std::string& error);
  // Appends frames of the two channels. False when the write falls short (disk full).
  bool write(const float* left, const float* right, std::int32_t frames);
  // Finishes the header. False with the reason when the file could not be completed.
  bool close(std::string& error);
  // Closes and deletes a file left incomplete by a failed render.
  void discard();

 private:
  bool writeFloat(std::int32_t frames);

  sf_private_tag* file_ = nullptr;  // PCM
  std::FILE* floatFile_ = nullptr;
  std::int64_t floatFrames_ = 0;
  int sampleRate_ = 0;
  std::string path_;
  std::vector<float> interleaved_;
};

// Writes the WAV file at `from` into `to`, every sample scaled by gain. False with the
// reason when it cannot be read or written.
bool copyScaled(const std::string& from, float gain, WavWriter& to, std::string& error);

}  // namespace gw::render
