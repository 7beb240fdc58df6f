#include "tests/hosts/phrase_check.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>

#include "params/parameter_ids.h"
#include "tests/engine/audio_measure.h"

namespace gw::test {
namespace {

// Below anything the module produces while a note sounds, above float noise of nothing.
constexpr float kSilence = 1e-5f;
// A note's first samples: a parabolic attack starts near zero, so look for any sound.
constexpr float kOnset = 1e-6f;
constexpr double kReleaseRange = 5.0;  // "Release" runs 0..5 s

long clampIndex(long i, const std::vector<float>& x) {
  return std::clamp<long>(i, 0, static_cast<long>(x.size()));
}

}  // namespace

std::vector<std::pair<int, double>> PhraseSettings::normalisedParameters() const {
  return {{param::kVolume, volume},
          {param::kAttack, 0.0},
          {param::kDecay, 0.0},
          {param::kSustain, sustain},
          {param::kRelease, release / kReleaseRange}};
}

double PhraseSettings::amplitude(int velocity) const {
  return volume * volume * volume * sustain * velocity / 127.0;
}

double keyFrequency(int key) {
  return 440.0 * std::pow(2.0, (key - 69) / 12.0);
}

LoadedAudio loadAudio(const std::string& path) {
  LoadedAudio audio;
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    audio.error = path + ": " + sf_strerror(nullptr);
    return audio;
  }
  std::vector<float> frames(static_cast<std::size_t>(info.frames) * info.channels);
  const sf_count_t got = sf_readf_float(file, frames.data(), info.frames);
  sf_close(file);
  audio.rate = info.samplerate;
  for (sf_count_t i = 0; i < got; ++i) {
    audio.left.push_back(frames[i * info.channels]);
    audio.right.push_back(frames[i * info.channels + (info.channels > 1 ? 1 : 0)]);
  }
  return audio;
}

long findOnset(const std::vector<float>& x, long from, float threshold) {
  for (long i = std::max(from, 1L); i < static_cast<long>(x.size()); ++i) {
    if (std::fabs(x[i]) > threshold) return i - 1;
  }
  return -1;
}

std::vector<long> expectPhrase(const LoadedAudio& audio, const std::vector<PhraseNote>& notes,
                               const PhraseSettings& settings, const PhraseTolerance& tolerance,
                               long timeOffset) {
  std::vector<long> onsets(notes.size(), -1);
  EXPECT_TRUE(audio.error.empty()) << audio.error;
  EXPECT_GT(audio.rate, 0.0);
  const std::vector<float>& x = audio.left;
  EXPECT_TRUE(allFinite(audio.left) && allFinite(audio.right));
  if (!audio.error.empty() || audio.rate <= 0.0 || !allFinite(x)) return onsets;
  float channelDifference = 0.0f;
  for (std::size_t i = 0; i < x.size(); ++i) {
    channelDifference = std::max(channelDifference, std::fabs(x[i] - audio.right[i]));
  }
  EXPECT_LT(channelDifference, 1e-6f) << "the module's voices are mono: both outputs agree";

  const double rate = audio.rate;
  auto at = [&](double seconds) { return std::lround(seconds * rate) + timeOffset; };
  long quietFrom = 0;  // where the previous note's release has surely ended
  for (std::size_t n = 0; n < notes.size(); ++n) {
    const PhraseNote& note = notes[n];
    SCOPED_TRACE("note " + std::to_string(n) + " (key " + std::to_string(note.key) + ")");
    const long start = at(note.startSeconds), end = at(note.endSeconds);
    if (end + tolerance.lateSamples >= static_cast<long>(x.size())) {
      ADD_FAILURE() << "recording too short";
      return onsets;
    }
    const long onset = findOnset(x, clampIndex(quietFrom, x), kOnset);
    if (onset < 0) {
      ADD_FAILURE() << "no sound at all";
      return onsets;
    }
    onsets[n] = onset;
    EXPECT_GE(onset, start - tolerance.earlySamples) << "sounded too early";
    EXPECT_LE(onset, start + tolerance.lateSamples) << "sounded too late";
    EXPECT_LT(peak(x, clampIndex(quietFrom, x), clampIndex(start - tolerance.earlySamples, x)),
              kSilence)
        << "not silent before the note";

    // The steady part: after attack and decay, before the earliest possible note-off.
    const long from = onset + std::lround((settings.attackAndDecay + 0.05) * rate);
    const long to = end - tolerance.earlySamples - std::lround(0.01 * rate);
    EXPECT_GT(to - from, std::lround(0.1 * rate)) << "note too short to measure";
    const double expectedHz = keyFrequency(note.key);
    EXPECT_NEAR(zeroCrossingFrequency(x, rate, from, to), expectedHz, expectedHz * 1e-3);
    const double amplitude = settings.amplitude(note.velocity);
    EXPECT_NEAR(peak(x, from, to), amplitude, amplitude * 0.02);
    EXPECT_NEAR(rms(x, from, to), amplitude / std::sqrt(2.0), amplitude * 0.02);

    // The release ends within its time; the voice goes at the end of that block.
    quietFrom = end + tolerance.lateSamples + std::lround(settings.release * rate) +
                tolerance.blockSamples + 1;
  }
  if (quietFrom < static_cast<long>(x.size())) {
    EXPECT_LT(peak(x, quietFrom, x.size()), kSilence) << "sound after the last release";
  }
  return onsets;
}

}  // namespace gw::test
