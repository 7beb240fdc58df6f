// The command line of glimmerwick-standalone.
#pragma once

#include <span>
#include <string>

namespace gw::standalone {

struct StandaloneOptions {
  std::string module;  // empty: the module built next to this program
  bool help = false;
  std::string program;           // number (from 1) or name; empty: the current program
  std::string bank;              // .fxb file of the user's programs; empty: the default one
  std::string screenshot;        // PNG to write, then exit; empty: run until closed
  double screenshotAfter = 2.0;  // seconds after the editor opened
  bool printAutomation = false;  // parameter edits the editor reports, on standard output
  // Sound through JACK.
  bool audio = true;                     // false: editor only
  bool editor = true;                    // false: sound only, no window
  std::string midiFile;                  // played once the outputs are first connected
  std::string jackName = "glimmerwick";  // JACK client name
  bool connectPorts = true;              // to the system's playback and MIDI capture ports
};

// Parses the arguments after the program name. False with a one-line error for unknown
// options, missing or malformed values and values out of range.
bool parseOptions(std::span<const std::string> args, StandaloneOptions& options,
                  std::string& error);

const char* usageText();

}  // namespace gw::standalone
