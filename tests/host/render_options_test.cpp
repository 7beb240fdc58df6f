#include "host/render/options.h"

#include <gtest/gtest.h>

#include "host/render/phrase.h"

namespace gw::render {
namespace {

bool parse(std::vector<std::string> args, RenderOptions& options, std::string& error) {
  return parseOptions(args, options, error);
}

TEST(RenderOptions, EveryOptionInBothSpellings) {
  RenderOptions o;
  std::string error;
  ASSERT_TRUE(parse({"-o",
                     "out.wav",
                     "--midi=song.mid",
                     "-p",
                     "Bright Pad",
                     "-s",
                     "Filter Cutoff=2000",
                     "--set",
                     "160=-12",
                     "--set-normalised=Volume=0.5",
                     "--rate=48000",
                     "-b",
                     "64",
                     "-f",
                     "pcm24",
                     "--max-tail",
                     "2.5",
                     "-g",
                     "-9.5",
                     "synth.so"},
                    o, error))
      << error;
  EXPECT_EQ(o.module, "synth.so");
  EXPECT_EQ(o.output, "out.wav");
  EXPECT_EQ(o.midi, "song.mid");
  EXPECT_EQ(o.program, "Bright Pad");
  ASSERT_EQ(o.settings.size(), 3u);
  EXPECT_EQ(o.settings[0].key, "Filter Cutoff");
  EXPECT_EQ(o.settings[0].value, "2000");
  EXPECT_EQ(o.settings[1].value, "-12");
  EXPECT_TRUE(o.settings[2].normalised);
  EXPECT_EQ(o.settings[2].key, "Volume");
  EXPECT_EQ(o.sampleRate, 48000.0);
  EXPECT_EQ(o.blockSize, 64);
  EXPECT_EQ(o.format, SampleFormat::Pcm24);
  EXPECT_EQ(o.maxTailSeconds, 2.5);
  EXPECT_EQ(o.gainDb, -9.5);

  RenderOptions defaults;
  ASSERT_TRUE(parse({"--info", "synth.so"}, defaults, error));
  EXPECT_TRUE(defaults.info);
  EXPECT_EQ(defaults.format, SampleFormat::Float32);
  EXPECT_EQ(defaults.sampleRate, 44100.0);
  EXPECT_TRUE(defaults.midi.empty());
  EXPECT_EQ(defaults.gainDb, 0.0);

  RenderOptions normalized;
  ASSERT_TRUE(
      parse({"--normalize=-1.5", "--bank", "my.fxb", "--loudness", "synth.so"}, normalized, error))
      << error;
  EXPECT_TRUE(normalized.normalize);
  EXPECT_EQ(normalized.normalizeDb, -1.5);
  EXPECT_EQ(normalized.bank, "my.fxb");
  EXPECT_TRUE(normalized.loudness);

  RenderOptions help;
  EXPECT_TRUE(parse({"--help"}, help, error));  // needs no module
  EXPECT_TRUE(help.help);
}

TEST(RenderOptions, BadCommandLinesAreRefusedWithOneLine) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"a.so", "b.so"},
      {"--frobnicate", "a.so"},
      {"a.so", "-o"},
      {"-r", "44.1k", "a.so"},
      {"-r", "44100.5", "a.so"},
      {"-r", "100", "a.so"},
      {"-r", "nan", "a.so"},
      {"-b", "0", "a.so"},
      {"-b", "99999", "a.so"},
      {"-b", "12x", "a.so"},
      {"-f", "mp3", "a.so"},
      {"--max-tail", "-1", "a.so"},
      {"--gain", "-61", "a.so"},
      {"--gain=21", "a.so"},
      {"-g", "loud", "a.so"},
      {"-s", "Filter Cutoff", "a.so"},
      {"-s", "=3", "a.so"},
      {"-s", "Volume=", "a.so"},
      {"--info=yes", "a.so"},
      {"--normalize", "1", "a.so"},
      {"--normalize", "-3", "-g", "2", "a.so"},
      {"--bank", "", "a.so"},
  };
  for (const auto& args : bad) {
    RenderOptions o;
    std::string error;
    EXPECT_FALSE(parse(args, o, error)) << testing::PrintToString(args);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
  }
}

TEST(BuiltInPhrase, IsAFewSecondsOfBalancedNotes) {
  const Sequence phrase = builtInPhrase();
  int held[128] = {};
  int notes = 0;
  double last = 0.0;
  for (const TimedMidi& e : phrase.events) {
    ASSERT_GE(e.seconds, last);  // in playing order
    last = e.seconds;
    const int kind = e.bytes[0] & 0xF0;
    if (kind == 0x90) {
      ++notes;
      EXPECT_EQ(held[e.bytes[1]]++, 0) << "note " << int(e.bytes[1]) << " struck while held";
    } else {
      ASSERT_EQ(kind, 0x80);
      EXPECT_EQ(held[e.bytes[1]]--, 1);
    }
  }
  for (int count : held) EXPECT_EQ(count, 0);
  EXPECT_GT(notes, 20);
  EXPECT_GT(phrase.endSeconds, 4.0);
  EXPECT_LT(phrase.endSeconds, 12.0);
}

}  // namespace
}  // namespace gw::render
