// glimmerwick-render: our offline host. Loads a VST 2.4 module, shows what a host sees of
// it, or plays a MIDI file (or a built-in phrase) through it into a WAV file.
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "host/host_library.h"
#include "host/program_bank.h"
#include "host/render/info.h"
#include "host/render/loudness.h"
#include "host/render/midi_file.h"
#include "host/render/options.h"
#include "host/render/parameters.h"
#include "host/render/phrase.h"
#include "host/render/render.h"
#include "host/render/wav_writer.h"
#include "platform/files.h"

namespace {

using namespace gw;

constexpr int kFailed = 1;
constexpr int kBadOption = 2;

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void onStopSignal(int signal) {
  stopSignal = signal;
}

int fail(const std::string& message, int code = kFailed) {
  std::cerr << "glimmerwick-render: " << message << '\n';
  return code;
}

double toDb(double linear) {
  return 20.0 * std::log10(linear);
}

std::string signedDb(double decibels) {
  const std::string text = render::decibelText(decibels);
  return decibels > 0.0 && text != "-inf" ? "+" + text : text;
}

// The output may not be a file the render reads: compared by identity, so another path to
// the same file (or a hard link) counts too. The error names both.
bool outputIsAnInput(const render::RenderOptions& options, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::is_directory(options.output, ec)) {
    error = "-o " + options.output + " is a folder; give a file name";
    return true;
  }
  const struct {
    const std::string& path;
    const char* what;
  } inputs[] = {{options.module, "the module it renders through"},
                {options.midi, "the MIDI file it plays"},
                {options.bank, "the bank it loads"}};
  for (const auto& input : inputs) {
    if (input.path.empty() || !fs::equivalent(options.output, input.path, ec) || ec) continue;
    error = "-o " + options.output + " is " + input.what + " (" + input.path +
            "); give another output file";
    return true;
  }
  return false;
}

struct Measured {
  render::RenderSummary summary;
  double peak = 0.0;  // the larger channel's sample peak, linear
  double truePeak = 0.0;
  double lufs = 0.0;

  void scale(double gain) {
    for (auto& levels : summary.levels) {
      levels.peak = static_cast<float>(levels.peak * gain);
      levels.sumOfSquares *= gain * gain;
    }
    peak *= gain;
    truePeak *= gain;
    lufs += toDb(gain);
  }
};

// Renders into a new file written at `path` in `format`. False with the reason; an
// interrupted render says so.
bool renderToFile(host::Plugin& plugin, const render::Sequence& sequence,
                  const render::RenderOptions& options, const std::string& path,
                  render::SampleFormat format, float gain, Measured& measured, std::string& error) {
  render::WavWriter writer;
  if (!writer.open(path, static_cast<int>(options.sampleRate), format, error)) {
    error = "cannot write " + options.output + ": " + error;
    return false;
  }
  render::LoudnessMeter meter;
  if (!meter.start(options.sampleRate, error)) return false;
  render::RenderSettings settings;
  settings.sampleRate = options.sampleRate;
  settings.blockSize = options.blockSize;
  settings.maxTailSeconds = options.maxTailSeconds;
  settings.gain = gain;
  const auto sink = [&](const float* l, const float* r, std::int32_t n) {
    if (stopSignal != 0) return false;
    meter.add(l, r, n);
    return writer.write(l, r, n);
  };
  if (!render::renderSequence(plugin, sequence, settings, sink, measured.summary, error)) {
    writer.discard();
    if (stopSignal != 0) error = "interrupted; " + options.output + " was left as it was";
    return false;
  }
  if (!writer.close(error)) return false;
  measured.peak = std::max(measured.summary.levels[0].peak, measured.summary.levels[1].peak);
  measured.truePeak = std::max(meter.truePeak(), measured.peak);
  measured.lufs = meter.integratedLufs();
  return true;
}

// The peak always; a warning, with the gain that would have kept it under, when the
// output went over full scale.
void reportPeak(const render::RenderOptions& options, const Measured& measured) {
  std::cerr << "glimmerwick-render: peak " << signedDb(toDb(measured.peak)) << " dBFS, true peak "
            << signedDb(toDb(measured.truePeak)) << " dBTP\n";
  if (!(measured.peak > 1.0)) return;
  const double over = toDb(std::max(measured.peak, measured.truePeak));
  const double gain = std::floor((options.gainDb - over - 0.05) * 10.0) / 10.0;
  char advice[64];
  if (gain >= -60.0)
    std::snprintf(advice, sizeof advice, "-g %.1f would keep it under", gain);
  else
    std::snprintf(advice, sizeof advice, "--normalize -1 would keep it under");
  std::cerr << "glimmerwick-render: warning: " << options.output << " goes over full scale (peak "
            << signedDb(toDb(measured.peak)) << " dBFS)"
            << (options.format == render::SampleFormat::Float32
                    ? ""
                    : std::string("; ") + render::formatName(options.format) + " clipped it")
            << "; " << advice << '\n';
}

int run(const render::RenderOptions& options) {
  std::string error;
  if (!options.info && outputIsAnInput(options, error)) return fail(error);
  render::Sequence sequence = render::builtInPhrase();
  if (!options.info && !options.midi.empty() &&
      !render::readMidiFile(options.midi, sequence, error))
    return fail(error);

  auto module = host::Module::load(options.module, error);
  if (!module) return fail(error);
  host::HostOptions hostOptions;
  hostOptions.sampleRate = static_cast<float>(options.sampleRate);
  hostOptions.blockSize = options.blockSize;
  auto plugin = host::Plugin::create(*module, error, hostOptions);
  if (!plugin) return fail(error);
  if (!options.bank.empty() && !host::loadBankFile(options.bank, *plugin, error))
    return fail(error);
  if (options.info) {
    render::printInfo(*plugin, options.module, std::cout);
    return 0;
  }

  if (!options.program.empty()) {
    int program = 0;
    if (!host::findProgram(options.program, *plugin, program, error))
      return fail(error, kBadOption);
    plugin->dispatch(vst::effSetProgram, 0, program);
  }
  std::vector<render::ParameterChange> changes;
  if (!render::resolveParameters(options.settings, *plugin, changes, error))
    return fail(error, kBadOption);
  for (const auto& change : changes) plugin->setParameter(change.index, change.normalised);

  // A file of absurd delta times would otherwise run for days into a broken WAV.
  const double longest = (sequence.endSeconds + options.maxTailSeconds) * options.sampleRate;
  if (longest > static_cast<double>(render::maxWavFrames(options.format))) {
    return fail("the music lasts " + std::to_string(std::llround(sequence.endSeconds)) +
                " s, more than a WAV file can hold at this rate and format");
  }

  // Written beside the output under another name, and renamed over it only when complete:
  // a failed or interrupted render leaves an old file as it was.
  platform::ReplacementFile output;
  if (!output.create(options.output, error))
    return fail("cannot write " + options.output + ": " + error);
  std::signal(SIGINT, onStopSignal);
  std::signal(SIGTERM, onStopSignal);
  Measured measured;
  if (!options.normalize) {
    const auto gain = static_cast<float>(std::pow(10.0, options.gainDb / 20.0));
    if (!renderToFile(*plugin, sequence, options, output.path(), options.format, gain, measured,
                      error))
      return fail(error);
  } else {
    // Rendered once in float, then scaled into the format asked for.
    platform::ReplacementFile staging;
    render::WavWriter writer;
    if (!staging.create(options.output, error))
      return fail("cannot write " + options.output + ": " + error);
    if (!renderToFile(*plugin, sequence, options, staging.path(), render::SampleFormat::Float32,
                      1.0f, measured, error))
      return fail(error);
    const double gain = measured.truePeak > 0.0
                            ? std::pow(10.0, options.normalizeDb / 20.0) / measured.truePeak
                            : 1.0;
    if (!writer.open(output.path(), static_cast<int>(options.sampleRate), options.format, error))
      return fail("cannot write " + options.output + ": " + error);
    if (!render::copyScaled(staging.path(), static_cast<float>(gain), writer, error) ||
        !writer.close(error))
      return fail(error);
    measured.scale(gain);
  }
  if (!output.commit(error)) return fail("cannot write " + options.output + ": " + error);

  std::cout << render::summaryLine(options.output, measured.summary, options.sampleRate,
                                   options.format)
            << std::endl;
  if (options.loudness) {
    std::cout << "loudness " << render::decibelText(measured.lufs) << " LUFS, true peak "
              << render::decibelText(toDb(measured.truePeak)) << " dBTP" << std::endl;
  }
  reportPeak(options, measured);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::cerr << render::usageText();
    return kBadOption;
  }
  render::RenderOptions options;
  std::string error;
  if (!render::parseOptions(args, options, error)) return fail(error, kBadOption);
  if (options.help) {
    std::cout << render::usageText();
    return 0;
  }
  try {
    return run(options);
  } catch (const std::exception& exception) {
    return fail(exception.what());
  }
}
