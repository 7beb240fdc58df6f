// glimmerwick-render: our offline host. Loads a VST 2.4 module, shows what a host sees of
// it, or plays a MIDI file (or a built-in phrase) through it into a WAV file.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "host/host_library.h"
#include "host/render/info.h"
#include "host/render/loudness.h"
#include "host/render/midi_file.h"
#include "host/render/options.h"
#include "host/render/parameters.h"
#include "host/render/phrase.h"
#include "host/render/render.h"
#include "host/render/wav_writer.h"

namespace {

constexpr int kBadInput = 1;
constexpr int kBadUsage = 2;

int fail(const std::string& message) {
  std::cerr << "glimmerwick-render: " << message << '\n';
  return kBadInput;
}

int run(const gw::render::RenderOptions& options) {
  using namespace gw;
  std::string error;
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
  if (options.info) {
    render::printInfo(*plugin, options.module, std::cout);
    return 0;
  }

  if (!options.program.empty()) {
    int program = 0;
    if (!render::findProgram(options.program, *plugin, program, error)) return fail(error);
    plugin->dispatch(vst::effSetProgram, 0, program);
  }
  std::vector<render::ParameterChange> changes;
  if (!render::resolveParameters(options.settings, *plugin, changes, error)) return fail(error);
  for (const auto& change : changes) plugin->setParameter(change.index, change.normalised);

  // A file of absurd delta times would otherwise run for days into a broken WAV.
  const double longest = (sequence.endSeconds + options.maxTailSeconds) * options.sampleRate;
  if (longest > static_cast<double>(render::maxWavFrames(options.format))) {
    return fail("the music lasts " + std::to_string(std::llround(sequence.endSeconds)) +
                " s, more than a WAV file can hold at this rate and format");
  }
  render::WavWriter writer;
  if (!writer.open(options.output, static_cast<int>(options.sampleRate), options.format, error))
    return fail(error);
  render::RenderSettings settings;
  settings.sampleRate = options.sampleRate;
  settings.blockSize = options.blockSize;
  settings.maxTailSeconds = options.maxTailSeconds;
  settings.gain = static_cast<float>(std::pow(10.0, options.gainDb / 20.0));
  render::RenderSummary summary;
  render::LoudnessMeter meter;
  if (options.loudness && !meter.start(options.sampleRate, error)) return fail(error);
  const auto sink = [&](const float* l, const float* r, std::int32_t n) {
    if (options.loudness) meter.add(l, r, n);
    return writer.write(l, r, n);
  };
  if (!render::renderSequence(*plugin, sequence, settings, sink, summary, error)) {
    writer.discard();
    return fail(error);
  }
  if (!writer.close(error)) return fail(error);
  std::cout << render::summaryLine(options.output, summary, options.sampleRate, options.format)
            << std::endl;
  if (options.loudness) {
    std::cout << "loudness " << render::decibelText(meter.integratedLufs()) << " LUFS, true peak "
              << render::decibelText(20.0 * std::log10(meter.truePeak())) << " dBTP" << std::endl;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  gw::render::RenderOptions options;
  std::string error;
  if (!gw::render::parseOptions(args, options, error)) {
    std::cerr << "glimmerwick-render: " << error << "\n\n" << gw::render::usageText();
    return kBadUsage;
  }
  if (options.help) {
    std::cout << gw::render::usageText();
    return 0;
  }
  try {
    return run(options);
  } catch (const std::exception& exception) {
    return fail(exception.what());
  }
}
