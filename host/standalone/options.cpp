#include "host/standalone/options.h"

#include <charconv>
#include <cmath>
#include <vector>

namespace gw::standalone {
namespace {

bool parseSeconds(const std::string& text, double& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty() &&
         std::isfinite(value);
}

}  // namespace

const char* usageText() {
  return "Usage: glimmerwick-standalone [options] [MODULE.so]\n"
         "Opens the editor of a VST 2.4 module in a window of its own.\n"
         "MODULE.so defaults to the glimmerwick.so built next to this program.\n"
         "  --program P            select program P, by number (from 1) or name\n"
         "  --bank FILE.fxb        the bank of programs to start from and save to at quit\n"
         "                         (default: TWgw.fxb, say, in ~/.local/share/\n"
         "                         com.tarnwell.glimmerwick, named by the module's id)\n"
         "  --screenshot FILE.png  write the window's pixels to FILE.png, then exit\n"
         "  --after SECONDS        when to take the screenshot (default 2)\n"
         "  --print-automation     print the editor's parameter edits on standard output\n"
         "Sound goes through a running JACK server, MIDI comes from its MIDI ports:\n"
         "  --midi FILE.mid        play FILE.mid once, from when the outputs are connected\n"
         "  --no-editor            play without a window (needs JACK); with --midi, quit\n"
         "                         a second after the file has played out\n"
         "  --no-audio             editor only, without JACK\n"
         "  --jack-name NAME       the JACK client's name (default glimmerwick)\n"
         "  --no-connect           leave the JACK ports unconnected\n"
         "  --help                 print this text\n"
         "Close the window, or send SIGINT or SIGTERM, to quit.\n";
}

bool parseOptions(std::span<const std::string> args, StandaloneOptions& options,
                  std::string& error) {
  std::vector<std::string> positional;
  bool afterGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        error = "option " + arg + " needs a value";
        return false;
      }
      out = args[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--print-automation") {
      options.printAutomation = true;
    } else if (arg == "--no-editor") {
      options.editor = false;
    } else if (arg == "--no-audio") {
      options.audio = false;
    } else if (arg == "--no-connect") {
      options.connectPorts = false;
    } else if (arg == "--midi" || arg == "--jack-name" || arg == "--bank" || arg == "--program") {
      std::string& target = arg == "--midi"        ? options.midiFile
                            : arg == "--jack-name" ? options.jackName
                            : arg == "--bank"      ? options.bank
                                                   : options.program;
      if (!value(target)) return false;
      if (target.empty()) {
        error = arg + " needs a value";
        return false;
      }
    } else if (arg == "--screenshot") {
      if (!value(options.screenshot)) return false;
      if (options.screenshot.empty()) {
        error = "--screenshot needs a file name";
        return false;
      }
    } else if (arg == "--after") {
      if (!value(text)) return false;
      if (!parseSeconds(text, options.screenshotAfter) || options.screenshotAfter < 0 ||
          options.screenshotAfter > 3600) {
        error = "--after needs seconds from 0 to 3600, not '" + text + "'";
        return false;
      }
      afterGiven = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option '" + arg + "'";
      return false;
    } else {
      positional.push_back(arg);
    }
  }
  if (!options.editor && (!options.audio || !options.screenshot.empty())) {
    error = "--no-editor leaves nothing to do with --no-audio or --screenshot";
    return false;
  }
  if (afterGiven && options.screenshot.empty()) {
    error = "--after needs --screenshot";
    return false;
  }
  if (positional.size() > 1) {
    error = "more than one module file given ('" + positional[1] + "')";
    return false;
  }
  if (!positional.empty()) options.module = positional[0];
  return true;
}

}  // namespace gw::standalone
