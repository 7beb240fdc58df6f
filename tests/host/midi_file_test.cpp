#include "host/render/midi_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "host/render/schedule.h"

namespace gw::render {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes header(int format, int tracks, int division) {
  return {'M',
          'T',
          'h',
          'd',
          0,
          0,
          0,
          6,
          0,
          static_cast<std::uint8_t>(format),
          0,
          static_cast<std::uint8_t>(tracks),
          static_cast<std::uint8_t>(division >> 8),
          static_cast<std::uint8_t>(division & 0xFF)};
}

Bytes track(const Bytes& body) {
  const auto n = body.size();
  Bytes chunk{'M',
              'T',
              'r',
              'k',
              static_cast<std::uint8_t>(n >> 24),
              static_cast<std::uint8_t>(n >> 16),
              static_cast<std::uint8_t>(n >> 8),
              static_cast<std::uint8_t>(n)};
  chunk.insert(chunk.end(), body.begin(), body.end());
  return chunk;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const Bytes kEndOfTrack{0x00, 0xFF, 0x2F, 0x00};

// 96 ticks per quarter. 120 BPM until tick 96, then 240 BPM; notes in running status.
const Bytes kFormat0 =
    header(0, 1, 96) + track(Bytes{0x00, 0x90, 60,   100,                     // tick 0: note on
                                   0x60, 0xFF, 0x51, 3,    0x03, 0xD0, 0x90,  // tick 96: 240 BPM
                                   0x00, 0x90, 64,   90,               // tick 96 (status again)
                                   0x60, 60,   0,                      // tick 192: running, vel 0
                                   0x30, 0xB0, 123,  0,                // tick 240: all notes off
                                   0x00, 0xC0, 5,                      // one data byte
                                   0x00, 0xF0, 2,    0x7E, 0xF7,       // sysex, skipped
                                   0x10, 0xFF, 0x01, 2,    'h',  'i'}  // text at tick 256
                             + kEndOfTrack);

Sequence parseOk(const Bytes& bytes) {
  Sequence sequence;
  std::string error;
  EXPECT_TRUE(parseMidiFile(bytes, sequence, error)) << error;
  return sequence;
}

std::string parseError(const Bytes& bytes) {
  Sequence sequence;
  std::string error;
  EXPECT_FALSE(parseMidiFile(bytes, sequence, error));
  EXPECT_EQ(error.find('\n'), std::string::npos);
  return error;
}

TEST(MidiFile, TempoChangesAndRunningStatusGiveTheRightTimes) {
  Sequence s = parseOk(kFormat0);
  ASSERT_EQ(s.events.size(), 5u);
  EXPECT_DOUBLE_EQ(s.events[0].seconds, 0.0);
  EXPECT_DOUBLE_EQ(s.events[1].seconds, 0.5);   // 96 ticks at 120 BPM
  EXPECT_DOUBLE_EQ(s.events[2].seconds, 0.75);  // then 96 ticks at 240 BPM
  EXPECT_EQ(s.events[2].bytes[0], 0x90);        // running status kept the note-on
  EXPECT_EQ(s.events[2].bytes[1], 60);
  EXPECT_EQ(s.events[2].bytes[2], 0);
  EXPECT_EQ(s.events[3].bytes[1], 123);
  EXPECT_DOUBLE_EQ(s.events[3].seconds, 0.875);
  EXPECT_EQ(s.events[4].size, 2);
  EXPECT_DOUBLE_EQ(s.endSeconds, 0.875 + 16 * 0.25 / 96);  // the text event's tick
}

TEST(MidiFile, EventsGoToTheBlockInWhichTheyFall) {
  Sequence s = parseOk(kFormat0);
  EventScheduler scheduler(s, 44100.0);
  std::vector<host::Plugin::MidiEvent> events;
  std::vector<std::pair<std::int64_t, std::int32_t>> placed;  // block start, offset
  for (std::int64_t block = 0; block < 44100; block += 512) {
    scheduler.take(block, 512, events);
    for (const auto& e : events) placed.emplace_back(block, e.deltaFrames);
  }
  ASSERT_EQ(placed.size(), 5u);
  EXPECT_EQ(placed[0], std::make_pair(std::int64_t{0}, 0));
  EXPECT_EQ(placed[1], std::make_pair(std::int64_t{43 * 512}, 22050 - 43 * 512));
  EXPECT_EQ(placed[2], std::make_pair(std::int64_t{64 * 512}, 33075 - 64 * 512));
  EXPECT_EQ(scheduler.endFrame(), frameOf(s.endSeconds, 44100.0));

  // An event exactly on a boundary opens the next block.
  Sequence edge;
  edge.events.push_back({512.0 / 48000.0, {0x90, 1, 1}, 3});
  EventScheduler atEdge(edge, 48000.0);
  atEdge.take(0, 512, events);
  EXPECT_TRUE(events.empty());
  atEdge.take(512, 512, events);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].deltaFrames, 0);
}

TEST(MidiFile, Format1MergesTracksUnderTheConductorsTempo) {
  const Bytes conductor{0x00, 0xFF, 0x51, 3,    0x0F, 0x42, 0x40,         // 60 BPM
                        0x83, 0x00, 0xFF, 0x51, 3,    0x07, 0xA1, 0x20};  // tick 384: 120 BPM
  const Bytes lead{0x00, 0x91, 72, 80, 0x83, 0x00, 0x81, 72, 0, 0x83, 0x00, 0x91, 74, 80};
  const Bytes bass{0x83, 0x00, 0x92, 36, 90, 0x83, 0x00, 0x82, 36, 0};
  Sequence s = parseOk(header(1, 3, 384) + track(conductor + kEndOfTrack) +
                       track(lead + kEndOfTrack) + track(bass + kEndOfTrack));
  ASSERT_EQ(s.events.size(), 5u);
  EXPECT_EQ(s.events[0].bytes[0], 0x91);
  EXPECT_DOUBLE_EQ(s.events[0].seconds, 0.0);
  // Tick 384 at 60 BPM is one second; the lead's note-off precedes the bass's note-on.
  EXPECT_EQ(s.events[1].bytes[0], 0x81);
  EXPECT_EQ(s.events[2].bytes[0], 0x92);
  EXPECT_DOUBLE_EQ(s.events[2].seconds, 1.0);
  EXPECT_DOUBLE_EQ(s.events[3].seconds, 1.5);  // tick 768 at 120 BPM after the change
  EXPECT_DOUBLE_EQ(s.events[4].seconds, 1.5);
}

TEST(MidiFile, SmpteDivisionAndForeignChunks) {
  // 25 frames per second, 40 ticks per frame: one millisecond per tick; tempo is ignored.
  const Bytes body{0x00, 0xFF, 0x51, 3, 0x03, 0xD0, 0x90, 0x87, 0x68, 0x90, 60, 1};
  Bytes file = header(0, 1, (0xE7 << 8) | 40) + track(Bytes{'x'} + Bytes{1, 2, 3}) +
               track(body + kEndOfTrack);
  file[14 + 3] = 'X';  // the first chunk is not a track and is skipped
  Sequence s = parseOk(file);
  ASSERT_EQ(s.events.size(), 1u);
  EXPECT_DOUBLE_EQ(s.events[0].seconds, 1.0);
}

TEST(MidiFile, MalformedFilesAreRefusedWithAReason) {
  const Bytes note{0x00, 0x90, 60, 100};
  EXPECT_NE(parseError({'R', 'I', 'F', 'F', 0, 0, 0, 0}).find("MThd"), std::string::npos);
  const Bytes fullHeader = header(0, 1, 96);
  EXPECT_NE(parseError(Bytes(fullHeader.begin(), fullHeader.begin() + 10)).find("header"),
            std::string::npos);
  EXPECT_NE(parseError(header(2, 1, 96) + track(note)).find("format 2"), std::string::npos);
  parseError(header(0, 0, 96));
  parseError(header(0, 1, 0) + track(note));
  EXPECT_NE(parseError(header(1, 2, 96) + track(note)).find("declares 2"), std::string::npos);
  EXPECT_NE(parseError(header(0, 1, 96) + track(Bytes{0x00, 60, 100})).find("running status"),
            std::string::npos);
  // Meta events cancel running status.
  parseError(header(0, 1, 96) + track(note + Bytes{0, 0xFF, 0x01, 0, 0, 61, 100}));
  parseError(header(0, 1, 96) + track(Bytes{0x00, 0x90, 60, 0x90}));  // status as data
  parseError(header(0, 1, 96) + track(Bytes{0xFF, 0xFF, 0xFF, 0xFF, 0x7F, 0x90, 1, 1}));
  parseError(header(0, 1, 96) + track(Bytes{0x00, 0xFF, 0x51, 2, 1, 2}));     // short tempo
  parseError(header(0, 1, 96) + track(Bytes{0x00, 0xFF, 0x51, 3, 0, 0, 0}));  // tempo zero
  parseError(header(0, 1, 96) + track(Bytes{0x00, 0xF8}));  // real-time byte in a file
  Bytes lying = header(0, 1, 96) + track(note);
  lying[14 + 7] = 200;  // chunk length past the end
  EXPECT_NE(parseError(lying).find("truncated"), std::string::npos);
}

TEST(MidiFile, TruncatedOrCorruptedFilesNeverReadPastTheData) {
  for (std::size_t n = 0; n < kFormat0.size(); ++n) {
    Sequence s;
    std::string error;
    Bytes prefix(kFormat0.begin(), kFormat0.begin() + static_cast<std::ptrdiff_t>(n));
    if (!parseMidiFile(prefix, s, error)) {
      EXPECT_FALSE(error.empty()) << n;
    }
  }
  std::mt19937 random(1234);
  for (int trial = 0; trial < 20000; ++trial) {
    Bytes bytes = kFormat0;
    for (int k = 0; k < 1 + trial % 4; ++k) bytes[random() % bytes.size()] = random() & 0xFF;
    Sequence s;
    std::string error;
    if (parseMidiFile(bytes, s, error)) {
      for (const auto& e : s.events) ASSERT_TRUE(e.seconds >= 0.0 && e.seconds <= s.endSeconds);
    }
  }
}

TEST(MidiFile, ReadingNamesTheFileInItsError) {
  Sequence s;
  std::string error;
  EXPECT_FALSE(readMidiFile("/nonexistent/song.mid", s, error));
  EXPECT_EQ(error.rfind("/nonexistent/song.mid: ", 0), 0u) << error;
  EXPECT_FALSE(readMidiFile(testing::TempDir(), s, error));
  const std::string path = testing::TempDir() + "midi_file_test.mid";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(kFormat0.data()),
             static_cast<std::streamsize>(kFormat0.size()));
  EXPECT_TRUE(readMidiFile(path, s, error)) << error;
  EXPECT_EQ(s.events.size(), 5u);
}

}  // namespace
}  // namespace gw::render
