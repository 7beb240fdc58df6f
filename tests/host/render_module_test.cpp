// glimmerwick-render driving the real module: what comes out must be what a listener
// expects from the notes and settings that went in.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 48000.0;
constexpr int kBlock = 512;

// Names of their own: ctest may run the tests of this file at the same time.
std::string scratch(const std::string& name) {
  return testing::TempDir() + "render_module_" + name;
}

// One A4 from 0.5 s to 1.0 s at 120 BPM, 480 ticks per quarter note.
void writeOneNote(const std::string& path) {
  const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,   0,   6,   0, 0,
                                 0,    1,    0x01, 0xE0, 'M',  'T', 'r', 'k', 0, 0,
                                 0,    13,   0x83, 0x60, 0x90, 69,  100,  // tick 480: note on
                                 0x83, 0x60, 69,   0,  // tick 960: running, velocity 0
                                 0x00, 0xFF, 0x2F, 0x00};
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

int runRender(const std::string& arguments, const std::string& output) {
  const std::string command = std::string("'") + GW_RENDER_EXE + "' " + arguments + " '" +
                              GW_MODULE + "' > '" + output + "'";
  return std::system(command.c_str());
}

std::vector<float> readChannel(const std::string& path, int channel, int& rate) {
  SF_INFO info{};
  SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
  if (file == nullptr) return {};
  std::vector<float> frames(static_cast<std::size_t>(info.frames) * info.channels);
  sf_readf_float(file, frames.data(), info.frames);
  sf_close(file);
  rate = info.samplerate;
  std::vector<float> out(static_cast<std::size_t>(info.frames));
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = frames[i * info.channels + channel];
  return out;
}

// Rising zero crossings, interpolated, over [from, to): the frequency of a clean tone.
double pitchByZeroCrossings(const std::vector<float>& x, std::size_t from, std::size_t to) {
  double first = -1.0, last = -1.0;
  int crossings = 0;
  for (std::size_t i = from + 1; i < to; ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      const double at = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
      if (first < 0.0) first = at;
      last = at;
      ++crossings;
    }
  }
  return crossings > 1 ? (crossings - 1) * kRate / (last - first) : 0.0;
}

TEST(RenderModule, APureToneStartsInItsBlockAtItsPitchAndTheTailEnds) {
  const std::string midi = scratch("one_note.mid");
  const std::string wav = scratch("one_note.wav");
  writeOneNote(midi);
  // One sine harmonic, no filtering, modulation or LFOs; short attack and release.
  std::string settings =
      "-s 'Level 1=1' -s 'Filter Type=0' -s 'Pulse Width=0.5' "
      "-s 'Modulation On/Off=off' -s 'Attack=0' -s 'Decay=0' "
      "-s 'Sustain=1' -s 'Release=0.1' -s 'Coarse Tune=0' -s 'Fine Tune=0' "
      "-s 'PW LFO Amount=0' -s 'PW Env Amount=0' -s 'Volume=1' ";
  for (int h = 2; h <= 16; ++h) settings += "-s 'Level " + std::to_string(h) + "=0' ";
  for (int e = 1; e <= 16; ++e) settings += "-s 'Env Select " + std::to_string(e) + "=0' ";
  for (int k = 1; k <= 4; ++k) settings += "-s 'LFO " + std::to_string(k) + " Amount=0' ";
  ASSERT_EQ(runRender(settings + "-r 48000 -b 512 -m '" + midi + "' -o '" + wav + "'",
                      scratch("tone.txt")),
            0);

  int rate = 0;
  const std::vector<float> left = readChannel(wav, 0, rate);
  ASSERT_EQ(rate, 48000);
  ASSERT_FALSE(left.empty());
  for (float v : left) ASSERT_TRUE(std::isfinite(v));

  // The note-on at 0.5 s (frame 24000, inside a block) sounds from its own sample: its
  // first sample is the sine at phase 0, then it rises.
  std::size_t onset = 0;
  while (onset < left.size() && left[onset] == 0.0f) ++onset;
  EXPECT_EQ(onset, 24001u);

  EXPECT_NEAR(pitchByZeroCrossings(left, 26000, 47000), 440.0, 0.5);
  float peak = 0.0f;
  for (std::size_t i = 26000; i < 47000; ++i) peak = std::max(peak, std::fabs(left[i]));
  EXPECT_GT(peak, 0.01f);

  // Released at 1.0 s for 0.1 s, then half a second of silence ends the file.
  const double seconds = static_cast<double>(left.size()) / kRate;
  EXPECT_GE(seconds, 1.5);
  EXPECT_LE(seconds, 1.6 + 2.0 * kBlock / kRate);
  for (std::size_t i = static_cast<std::size_t>(1.15 * kRate); i < left.size(); ++i)
    ASSERT_LT(std::fabs(left[i]), 1e-5f) << "frame " << i;
}

TEST(RenderModule, TheBuiltInPhraseIsHeardAndSummarised) {
  const std::string wav = scratch("phrase.wav");
  ASSERT_EQ(runRender("-p 2 --max-tail 5 -o '" + wav + "'", scratch("phrase.txt")), 0);
  std::ifstream summary(scratch("phrase.txt"));
  std::string line;
  std::getline(summary, line);
  EXPECT_NE(line.find("phrase.wav: "), std::string::npos) << line;
  EXPECT_NE(line.find("real time"), std::string::npos) << line;
  EXPECT_EQ(line.find("non-finite"), std::string::npos) << line;
  int rate = 0;
  const std::vector<float> right = readChannel(wav, 1, rate);
  float peak = 0.0f;
  for (float v : right) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 1e-3f) << "the phrase should be heard";
}

TEST(RenderModule, MusicLongerThanAWavFileHoldsIsRefused) {
  // One delta of 2^28 - 1 ticks at the slowest tempo and one tick per quarter note.
  const unsigned char bytes[] = {'M',  'T',  'h',  'd',  0,    0,   0,    6,    0,    0,
                                 0,    1,    0,    1,    'M',  'T', 'r',  'k',  0,    0,
                                 0,    18,   0x00, 0xFF, 0x51, 3,   0xFF, 0xFF, 0xFF, 0xFF,
                                 0xFF, 0xFF, 0x7F, 0x90, 60,   100, 0x00, 0xFF, 0x2F, 0x00};
  const std::string midi = scratch("long.mid");
  const std::string wav = scratch("long.wav");
  std::ofstream(midi, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  EXPECT_NE(runRender("-m '" + midi + "' -o '" + wav + "' 2>/dev/null", scratch("long.txt")), 0);
  EXPECT_FALSE(std::ifstream(wav).good()) << "no output file is left behind";
}

}  // namespace
