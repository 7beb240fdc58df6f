// A small JACK client of the tests: sends notes into another client's MIDI input at exact
// frames and records two of its audio outputs, counting frames from the first cycle after
// it was told to start. It may record several times; connections are kept between them.
#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace gw::test {

class JackProbe {
 public:
  struct Note {
    std::int64_t frame;  // from the start of recording
    std::uint8_t bytes[3];
  };

  // Waits up to timeoutSeconds for the named server; started() tells whether it came.
  JackProbe(const std::string& server, double timeoutSeconds);
  ~JackProbe();
  JackProbe(const JackProbe&) = delete;
  JackProbe& operator=(const JackProbe&) = delete;

  bool started() const { return client_ != nullptr; }
  double rate() const;
  int blockSize() const;
  // Waits for a port of that full name to appear.
  bool waitForPort(const std::string& name, double timeoutSeconds) const;
  // Connects our MIDI output to `midiIn` (empty: none) and `outLeft`/`outRight` to our
  // inputs, then records `frames` frames while sending `notes`.
  bool record(const std::string& midiIn, const std::string& outLeft, const std::string& outRight,
              std::vector<Note> notes, std::int64_t frames, double timeoutSeconds);

  const std::vector<float>& left() const { return left_; }
  const std::vector<float>& right() const { return right_; }

 private:
  static int onProcess(jack_nframes_t frames, void* self);

  jack_client_t* client_ = nullptr;
  jack_port_t* midiOut_ = nullptr;
  jack_port_t* in_[2] = {nullptr, nullptr};
  std::vector<Note> notes_;
  std::vector<float> left_, right_;
  std::size_t nextNote_ = 0;
  std::int64_t position_ = 0;
  std::atomic<bool> recording_{false};
  std::atomic<bool> done_{false};
};

}  // namespace gw::test
