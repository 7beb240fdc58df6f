#include "tests/hosts/jack_probe.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

namespace gw::test {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point after(double seconds) {
  return Clock::now() +
         std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

}  // namespace

JackProbe::JackProbe(const std::string& server, double timeoutSeconds) {
  // Until the server is up every try would print the library's socket errors.
  jack_set_error_function([](const char*) {});
  jack_set_info_function([](const char*) {});
  const auto until = after(timeoutSeconds);
  while (client_ == nullptr && Clock::now() < until) {
    jack_status_t status{};
    client_ = jack_client_open("gw-probe",
                               static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                               &status, server.c_str());
    if (client_ == nullptr) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (client_ == nullptr) return;
  midiOut_ = jack_port_register(client_, "midi_out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  in_[0] = jack_port_register(client_, "in_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  in_[1] = jack_port_register(client_, "in_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  jack_set_process_callback(client_, &JackProbe::onProcess, this);
  if (midiOut_ == nullptr || in_[0] == nullptr || in_[1] == nullptr || jack_activate(client_)) {
    jack_client_close(client_);
    client_ = nullptr;
  }
}

JackProbe::~JackProbe() {
  if (client_ != nullptr) {
    jack_deactivate(client_);
    jack_client_close(client_);
  }
}

double JackProbe::rate() const {
  return client_ ? jack_get_sample_rate(client_) : 0.0;
}

int JackProbe::blockSize() const {
  return client_ ? static_cast<int>(jack_get_buffer_size(client_)) : 0;
}

bool JackProbe::waitForPort(const std::string& name, double timeoutSeconds) const {
  const auto until = after(timeoutSeconds);
  while (Clock::now() < until) {
    if (jack_port_by_name(client_, name.c_str()) != nullptr) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool JackProbe::record(const std::string& midiIn, const std::string& outLeft,
                       const std::string& outRight, std::vector<Note> notes, std::int64_t frames,
                       double timeoutSeconds) {
  if (client_ == nullptr || recording_.load()) return false;
  std::stable_sort(notes.begin(), notes.end(),
                   [](const Note& a, const Note& b) { return a.frame < b.frame; });
  notes_ = std::move(notes);
  left_.assign(static_cast<std::size_t>(frames), 0.0f);
  right_.assign(left_.size(), 0.0f);
  nextNote_ = 0;
  position_ = 0;
  done_ = false;
  // A second recording finds the ports still connected from the first. JACK refuses to
  // connect a client's ports until the client is active, and a host registers its ports
  // before it activates: a refusal is tried again for a while.
  const auto connectUntil = after(std::min(timeoutSeconds, 10.0));
  const auto connect = [this, connectUntil](const char* from, const char* to) {
    for (;;) {
      const int result = jack_connect(client_, from, to);
      if (result == 0 || result == EEXIST) return true;
      if (Clock::now() >= connectUntil) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  };
  if (!midiIn.empty() && !connect(jack_port_name(midiOut_), midiIn.c_str())) return false;
  if (!connect(outLeft.c_str(), jack_port_name(in_[0])) ||
      !connect(outRight.c_str(), jack_port_name(in_[1]))) {
    return false;
  }
  recording_.store(true, std::memory_order_release);
  const auto until = after(timeoutSeconds);
  while (!done_.load(std::memory_order_acquire) && Clock::now() < until) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  recording_.store(false, std::memory_order_release);
  return done_.load(std::memory_order_acquire);
}

// Thread: audio
int JackProbe::onProcess(jack_nframes_t frames, void* self) {
  auto* probe = static_cast<JackProbe*>(self);
  void* midi = jack_port_get_buffer(probe->midiOut_, frames);
  jack_midi_clear_buffer(midi);
  if (!probe->recording_.load(std::memory_order_acquire) ||
      probe->done_.load(std::memory_order_relaxed)) {
    return 0;
  }
  const std::int64_t start = probe->position_;
  while (probe->nextNote_ < probe->notes_.size() &&
         probe->notes_[probe->nextNote_].frame < start + frames) {
    const Note& note = probe->notes_[probe->nextNote_++];
    const auto offset = static_cast<jack_nframes_t>(std::max<std::int64_t>(note.frame - start, 0));
    jack_midi_event_write(midi, offset, note.bytes, 3);
  }
  const auto* l = static_cast<const float*>(jack_port_get_buffer(probe->in_[0], frames));
  const auto* r = static_cast<const float*>(jack_port_get_buffer(probe->in_[1], frames));
  const auto total = static_cast<std::int64_t>(probe->left_.size());
  const std::int64_t n = std::min<std::int64_t>(frames, total - start);
  std::copy_n(l, n, probe->left_.begin() + start);
  std::copy_n(r, n, probe->right_.begin() + start);
  probe->position_ += n;
  if (probe->position_ >= total) probe->done_.store(true, std::memory_order_release);
  return 0;
}

}  // namespace gw::test
