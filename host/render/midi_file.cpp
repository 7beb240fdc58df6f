#include "host/render/midi_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace gw::render {

namespace {

constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter note (120 BPM)
constexpr std::size_t kMaxFileBytes = 64u << 20;
// A few bytes of delta time can place an event centuries away; rendering up to it would
// never finish, so such files are refused as damaged.
constexpr double kMaxSeconds = 24.0 * 3600.0;

// What a track contributes to the merge, before times are known.
struct TickEvent {
  std::uint64_t tick;
  enum Kind : std::uint8_t { Channel, Tempo, End } kind;
  std::uint32_t tempo;
  TimedMidi midi;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
  bool atEnd() const { return pos_ >= data_.size(); }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool byte(std::uint8_t& out) {
    if (atEnd()) return false;
    out = data_[pos_++];
    return true;
  }
  bool peek(std::uint8_t& out) const {
    if (atEnd()) return false;
    out = data_[pos_];
    return true;
  }
  bool bigEndian(int bytes, std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < bytes; ++i) {
      std::uint8_t b;
      if (!byte(b)) return false;
      out = (out << 8) | b;
    }
    return true;
  }
  // Variable-length quantity: at most four bytes, seven bits each.
  bool vlq(std::uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      std::uint8_t b;
      if (!byte(b)) return false;
      out = (out << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  bool skip(std::size_t count) {
    if (count > remaining()) return false;
    pos_ += count;
    return true;
  }
  std::span<const std::uint8_t> take(std::size_t count) {
    auto part = data_.subspan(pos_, count);
    pos_ += count;
    return part;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

int dataBytesOf(std::uint8_t status) {
  const std::uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

bool parseTrack(std::span<const std::uint8_t> chunk, int track, std::vector<TickEvent>& out,
                std::string& error) {
  Reader in(chunk);
  auto fail = [&](const char* what) {
    error = std::string(what) + " in track " + std::to_string(track + 1);
    return false;
  };
  std::uint64_t tick = 0;
  std::uint8_t running = 0;
  while (!in.atEnd()) {
    std::uint32_t delta;
    std::uint8_t first;
    if (!in.vlq(delta)) return fail("bad or truncated delta time");
    tick += delta;
    if (!in.peek(first)) return fail("event missing after a delta time");
    if (first == 0xFF) {
      in.skip(1);
      std::uint8_t type;
      std::uint32_t length;
      if (!in.byte(type) || !in.vlq(length) || length > in.remaining())
        return fail("truncated meta event");
      auto body = in.take(length);
      running = 0;
      if (type == 0x2F) {
        out.push_back({tick, TickEvent::End, 0, {}});
        return true;
      }
      if (type == 0x51) {
        if (length != 3) return fail("tempo event of wrong length");
        const std::uint32_t tempo = (body[0] << 16) | (body[1] << 8) | body[2];
        if (tempo == 0) return fail("tempo of zero");
        out.push_back({tick, TickEvent::Tempo, tempo, {}});
      }
      continue;
    }
    if (first == 0xF0 || first == 0xF7) {
      in.skip(1);
      std::uint32_t length;
      if (!in.vlq(length) || !in.skip(length)) return fail("truncated system exclusive message");
      running = 0;
      continue;
    }
    if (first > 0xF0) return fail("system message not allowed in a file");
    std::uint8_t status = running;
    if (first & 0x80) {
      in.skip(1);
      status = first;
      running = first;
    } else if (status == 0) {
      return fail("data byte without a status (running status unset)");
    }
    TickEvent event{tick, TickEvent::Channel, 0, {}};
    event.midi.bytes[0] = status;
    event.midi.size = static_cast<std::uint8_t>(1 + dataBytesOf(status));
    for (int i = 1; i < event.midi.size; ++i) {
      if (!in.byte(event.midi.bytes[i])) return fail("truncated channel message");
      if (event.midi.bytes[i] & 0x80) return fail("status byte inside a message");
    }
    out.push_back(event);
  }
  // A missing end-of-track is common and harmless; the track simply ends here.
  out.push_back({tick, TickEvent::End, 0, {}});
  return true;
}

}  // namespace

bool parseMidiFile(std::span<const std::uint8_t> data, Sequence& sequence, std::string& error) {
  sequence = {};
  auto fail = [&](std::string what) {
    error = std::move(what);
    return false;
  };
  Reader in(data);
  std::uint32_t id, length, format, tracks, division;
  if (!in.bigEndian(4, id) || id != 0x4D546864 /* MThd */)
    return fail("not a Standard MIDI File (no MThd header)");
  if (!in.bigEndian(4, length) || length < 6 || length > in.remaining())
    return fail("truncated MIDI header");
  in.bigEndian(2, format);
  in.bigEndian(2, tracks);
  in.bigEndian(2, division);
  in.skip(length - 6);
  if (format > 1) return fail("MIDI format " + std::to_string(format) + " is not supported");
  if (tracks == 0) return fail("MIDI file has no tracks");
  // Seconds per tick without tempo (SMPTE) or per microsecond of tempo (metrical).
  double smpteSecondsPerTick = 0.0;
  if (division & 0x8000) {
    const int fps = -static_cast<std::int8_t>(division >> 8);
    const int ticksPerFrame = division & 0xFF;
    if (fps <= 0 || ticksPerFrame == 0) return fail("bad SMPTE time division");
    smpteSecondsPerTick = 1.0 / ((fps == 29 ? 29.97 : fps) * ticksPerFrame);
  } else if (division == 0) {
    return fail("time division of zero");
  }

  std::vector<TickEvent> merged;
  for (std::uint32_t track = 0; track < tracks;) {
    if (in.atEnd())
      return fail("file declares " + std::to_string(tracks) + " tracks but holds " +
                  std::to_string(track));
    if (!in.bigEndian(4, id) || !in.bigEndian(4, length) || length > in.remaining())
      return fail("truncated chunk after track " + std::to_string(track));
    auto chunk = in.take(length);
    if (id != 0x4D54726B /* MTrk */) continue;  // unknown chunks are allowed and skipped
    std::vector<TickEvent> events;
    if (!parseTrack(chunk, static_cast<int>(track), events, error)) return false;
    merged.insert(merged.end(), events.begin(), events.end());
    ++track;
  }
  std::stable_sort(merged.begin(), merged.end(),
                   [](const TickEvent& a, const TickEvent& b) { return a.tick < b.tick; });

  std::uint64_t lastTick = 0;
  double seconds = 0.0;
  double secondsPerTick =
      smpteSecondsPerTick > 0.0 ? smpteSecondsPerTick : kDefaultTempo * 1e-6 / division;
  for (const TickEvent& event : merged) {
    seconds += static_cast<double>(event.tick - lastTick) * secondsPerTick;
    lastTick = event.tick;
    sequence.endSeconds = std::max(sequence.endSeconds, seconds);
    if (event.kind == TickEvent::Tempo) {
      if (smpteSecondsPerTick == 0.0) secondsPerTick = event.tempo * 1e-6 / division;
    } else if (event.kind == TickEvent::Channel) {
      TimedMidi midi = event.midi;
      midi.seconds = seconds;
      sequence.events.push_back(midi);
    }
  }
  if (sequence.endSeconds > kMaxSeconds) return fail("MIDI file plays for more than 24 hours");
  return true;
}

bool readMidiFile(const std::string& path, Sequence& sequence, std::string& error) {
  auto fail = [&](std::string what) {
    error = path + ": " + what;
    return false;
  };
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) return fail("is a directory");
  std::ifstream file(path, std::ios::binary);
  if (!file) return fail(std::strerror(errno));
  std::vector<std::uint8_t> bytes;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + file.gcount());
    if (bytes.size() > kMaxFileBytes) return fail("too large for a MIDI file");
  }
  if (file.bad()) return fail("read error");
  if (!parseMidiFile(bytes, sequence, error)) return fail(error);
  return true;
}

}  // namespace gw::render
