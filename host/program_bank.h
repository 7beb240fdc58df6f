// A plug-in's programs as the standard VST 2 bank file (.fxb) holds them in parameter
// form: a "CcnK"/"FxBk" header, then one "CcnK"/"FxCk" program per program with its name
// and every parameter's host value (0..1), all numbers big-endian. Read from and written
// to an instance through the effect record only, as any host would.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_library.h"

namespace gw::host {

struct ProgramBank {
  struct Program {
    std::string name;           // at most 27 characters are kept in a file
    std::vector<float> values;  // host values, one per parameter
  };
  std::int32_t uniqueId = 0;
  std::int32_t pluginVersion = 0;  // the effect record's version
  std::int32_t currentProgram = 0;
  std::vector<Program> programs;
};

// The file's bytes: bank format 2 (with the current program).
std::vector<std::uint8_t> encodeBank(const ProgramBank& bank);
// False with a one-line reason for anything but a complete parameter bank of formats 1
// or 2 whose programs all have the same parameter count and values in 0..1.
bool decodeBank(std::span<const std::uint8_t> bytes, ProgramBank& bank, std::string& error);

// Every program of the instance: selects each in turn, reads its name and values, and
// selects the current one again.
ProgramBank readBank(Plugin& plugin);
// False with the reason, the instance untouched, when the bank is not for this plug-in
// (another unique id or parameter count, more programs than it has); otherwise writes
// each program's name and values and selects the bank's current program.
bool applyBank(Plugin& plugin, const ProgramBank& bank, std::string& error);

// The file read, decoded and applied; the error names the file.
bool loadBankFile(const std::string& path, Plugin& plugin, std::string& error);
// Written to a new file beside `path` that replaces it only once complete, so a failed
// save leaves the old file as it was; the error names the file.
bool saveBankFile(const std::string& path, Plugin& plugin, std::string& error);

// A program by number (from 1, as every tool and the LV2 presets count) or by name or
// the unique start of one (letter case aside); index is the module's (from 0). The error
// names --program and what it takes.
bool findProgram(const std::string& key, Plugin& plugin, int& index, std::string& error);

// Names compared without regard to letter case.
bool sameText(std::string_view a, std::string_view b);
// The one of `count` items whose name is the key, else the one whose name starts with it.
// -1 when none fits, -2 when several do (then `several` lists up to four of them).
int findByName(int count, const std::function<std::string(int)>& nameOf, std::string_view key,
               std::string& several);

// The id as four characters when they are printable ("TWgw"), else eight hex digits.
std::string uniqueIdText(std::int32_t id);

}  // namespace gw::host
