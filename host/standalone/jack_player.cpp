#include "host/standalone/jack_player.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>

#include "host/render/midi_file.h"
#include "host/standalone/jack_schedule.h"

namespace gw::standalone {
namespace {

// Thread: any (JACK's)
void quiet(const char*) {}

void reportJackError(const char* text) {
  std::fprintf(stderr, "glimmerwick-standalone: JACK: %s\n", text);
}

class JackClient final : public JackPlayer {
 public:
  JackClient(host::Plugin& plugin, jack_client_t* client) : plugin_(plugin), client_(client) {}
  ~JackClient() override;

  bool open(const StandaloneOptions& options, const render::Sequence* song, std::string& message);
  bool finished() const override;
  void tick() override;

 private:
  static int onProcess(jack_nframes_t frames, void* self);
  static int onBufferSize(jack_nframes_t frames, void* self);
  static void onConnect(jack_port_id_t a, jack_port_id_t b, int connected, void* self);
  static void onShutdown(void* self);
  void process(jack_nframes_t frames);
  void connectToSystem();

  host::Plugin& plugin_;
  jack_client_t* client_;
  jack_port_t* midiIn_ = nullptr;
  jack_port_t* out_[2] = {nullptr, nullptr};
  EventBlock block_;
  FrameSchedule file_;
  bool hasFile_ = false;
  std::int64_t filePosition_ = 0;  // audio thread only
  std::int64_t quietFrames_ = 0;   // audio thread only
  jack_nframes_t rate_ = 0;
  std::atomic<bool> outputsConnected_{false};
  std::atomic<bool> fileDone_{false};
  std::atomic<bool> quietAfterFile_{false};
  std::atomic<bool> serverGone_{false};
  bool reportedGone_ = false;
  std::uint32_t reportedDrops_ = 0;
};

JackClient::~JackClient() {
  // The audio thread stops before the plug-in it calls goes.
  jack_deactivate(client_);
  jack_client_close(client_);
}

bool JackClient::open(const StandaloneOptions& options, const render::Sequence* song,
                      std::string& message) {
  rate_ = jack_get_sample_rate(client_);
  if (song != nullptr) {
    file_.load(*song, rate_);
    hasFile_ = true;
  }
  midiIn_ = jack_port_register(client_, "midi_in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  out_[0] = jack_port_register(client_, "out_1", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  out_[1] = jack_port_register(client_, "out_2", JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
  if (midiIn_ == nullptr || out_[0] == nullptr || out_[1] == nullptr) {
    message = "cannot register the JACK ports";
    return false;
  }
  plugin_.suspend();
  plugin_.setSampleRate(static_cast<float>(rate_));
  plugin_.setBlockSize(static_cast<std::int32_t>(jack_get_buffer_size(client_)));
  plugin_.resume();
  jack_set_process_callback(client_, &JackClient::onProcess, this);
  jack_set_buffer_size_callback(client_, &JackClient::onBufferSize, this);
  jack_set_port_connect_callback(client_, &JackClient::onConnect, this);
  jack_on_shutdown(client_, &JackClient::onShutdown, this);
  if (jack_activate(client_) != 0) {
    message = "cannot activate the JACK client";
    return false;
  }
  if (options.connectPorts) connectToSystem();
  std::fprintf(stderr, "glimmerwick-standalone: playing through JACK as '%s' at %u Hz\n",
               jack_get_client_name(client_), rate_);
  return true;
}

void JackClient::connectToSystem() {
  // The first two physical playback ports, and every physical MIDI source.
  if (const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_AUDIO_TYPE,
                                          JackPortIsPhysical | JackPortIsInput)) {
    for (int i = 0; i < 2 && ports[i] != nullptr; ++i) {
      jack_connect(client_, jack_port_name(out_[i]), ports[i]);
    }
    jack_free(ports);
  }
  if (const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                          JackPortIsPhysical | JackPortIsOutput)) {
    for (int i = 0; ports[i] != nullptr; ++i)
      jack_connect(client_, ports[i], jack_port_name(midiIn_));
    jack_free(ports);
  }
}

// Thread: audio
int JackClient::onProcess(jack_nframes_t frames, void* self) {
  static_cast<JackClient*>(self)->process(frames);
  return 0;
}

// Thread: audio (JACK announces a new period before the next cycle)
int JackClient::onBufferSize(jack_nframes_t frames, void* self) {
  static_cast<JackClient*>(self)->plugin_.dispatch(vst::effSetBlockSize, 0,
                                                   static_cast<vst::IntPtr>(frames));
  return 0;
}

// Thread: JACK's notification thread
void JackClient::onConnect(jack_port_id_t a, jack_port_id_t b, int connected, void* self) {
  auto* player = static_cast<JackClient*>(self);
  if (connected == 0) return;
  for (jack_port_t* out : player->out_) {
    const jack_port_t* pa = jack_port_by_id(player->client_, a);
    const jack_port_t* pb = jack_port_by_id(player->client_, b);
    if (out != nullptr && (pa == out || pb == out)) {
      player->outputsConnected_.store(true, std::memory_order_release);
    }
  }
}

// Thread: any (JACK's)
void JackClient::onShutdown(void* self) {
  static_cast<JackClient*>(self)->serverGone_.store(true, std::memory_order_relaxed);
}

// Thread: audio
void JackClient::process(jack_nframes_t frames) {
  block_.clear();
  // A file starts when someone listens, so its beginning is not played into nothing.
  if (hasFile_ && !fileDone_.load(std::memory_order_relaxed) &&
      outputsConnected_.load(std::memory_order_acquire)) {
    if (file_.take(filePosition_, static_cast<std::int32_t>(frames), block_)) {
      fileDone_.store(true, std::memory_order_relaxed);
    }
    filePosition_ += frames;
  }
  void* midi = jack_port_get_buffer(midiIn_, frames);
  const jack_nframes_t count = jack_midi_get_event_count(midi);
  for (jack_nframes_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    // System messages (clock, sense, SysEx) mean nothing to the instrument.
    if (jack_midi_event_get(&event, midi, i) == 0 && event.size >= 1 && event.size <= 3 &&
        event.buffer[0] >= 0x80 && event.buffer[0] < 0xF0) {
      block_.add(event.buffer, event.size, static_cast<std::int32_t>(event.time));
    }
  }
  vst::AEffect* effect = plugin_.effect();
  if (block_.size() > 0) effect->dispatcher(effect, vst::effProcessEvents, 0, 0, block_.list(), 0);
  float* outputs[2] = {static_cast<float*>(jack_port_get_buffer(out_[0], frames)),
                       static_cast<float*>(jack_port_get_buffer(out_[1], frames))};
  float* inputs[2] = {nullptr, nullptr};
  effect->processReplacing(effect, inputs, outputs, static_cast<std::int32_t>(frames));

  if (fileDone_.load(std::memory_order_relaxed)) {
    float peak = 0.0f;
    for (float* out : outputs) {
      for (jack_nframes_t i = 0; i < frames; ++i) peak = std::max(peak, std::fabs(out[i]));
    }
    quietFrames_ = peak < 1e-5f ? quietFrames_ + frames : 0;
    if (quietFrames_ >= static_cast<std::int64_t>(rate_)) {
      quietAfterFile_.store(true, std::memory_order_relaxed);
    }
  }
}

bool JackClient::finished() const {
  return quietAfterFile_.load(std::memory_order_relaxed) ||
         serverGone_.load(std::memory_order_relaxed);
}

void JackClient::tick() {
  if (serverGone_.load(std::memory_order_relaxed) && !reportedGone_) {
    std::fputs("glimmerwick-standalone: the JACK server went away; no more sound\n", stderr);
    reportedGone_ = true;
  }
  const std::uint32_t drops = block_.dropped();
  if (drops != reportedDrops_) {
    std::fprintf(stderr, "glimmerwick-standalone: %u MIDI events dropped (too many at once)\n",
                 drops - reportedDrops_);
    reportedDrops_ = drops;
  }
}

}  // namespace

std::unique_ptr<JackPlayer> startJack(host::Plugin& plugin, const StandaloneOptions& options,
                                      std::string& message, bool& failed) {
  failed = false;
  if (!options.audio) {
    message = "sound is off (--no-audio)";
    return nullptr;
  }
  // A file that cannot be played is an error whether or not a server runs.
  render::Sequence song;
  if (!options.midiFile.empty() && !render::readMidiFile(options.midiFile, song, message)) {
    failed = true;
    return nullptr;
  }
  jack_status_t status{};
  // Never start a server behind the user's back: a missing server means no sound, said
  // once in our words rather than in the library's socket errors.
  jack_set_error_function(&quiet);
  jack_set_info_function(&quiet);
  jack_client_t* client = jack_client_open(options.jackName.c_str(), JackNoStartServer, &status);
  jack_set_error_function(&reportJackError);
  if (client == nullptr) {
    message =
        "no JACK server is running, so there is no sound (start one, for example with "
        "'jackd -d alsa', and run this again)";
    return nullptr;
  }
  auto player = std::make_unique<JackClient>(plugin, client);
  if (!player->open(options, options.midiFile.empty() ? nullptr : &song, message)) {
    failed = true;
    return nullptr;
  }
  return player;
}

}  // namespace gw::standalone
