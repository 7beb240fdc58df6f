#include "host/program_bank.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/files.h"

namespace gw::host {
namespace {

constexpr std::int32_t kChunkMagic = vst::fourCC('C', 'c', 'n', 'K');
constexpr std::int32_t kBankMagic = vst::fourCC('F', 'x', 'B', 'k');
constexpr std::int32_t kProgramMagic = vst::fourCC('F', 'x', 'C', 'k');
constexpr std::int32_t kChunkBankMagic = vst::fourCC('F', 'B', 'C', 'h');
constexpr std::size_t kProgramHeaderBytes = 7 * 4 + 28;
constexpr std::size_t kNameBytes = 28;
// The programs and parameters of any real instrument, and far short of memory trouble.
constexpr std::int32_t kMaxCount = 1 << 16;
constexpr std::uintmax_t kMaxFileBytes = 64u << 20;

class Writer {
 public:
  void word(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back((u >> shift) & 0xFF);
  }
  void real(float v) { word(std::bit_cast<std::int32_t>(v)); }
  void text(const std::string& s, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) bytes.push_back(i + 1 < size && i < s.size() ? s[i] : 0);
  }
  void zeros(std::size_t n) { bytes.insert(bytes.end(), n, 0); }
  // A chunk's header up to its count; its byte count is patched in when it is complete.
  void header(std::int32_t kind, std::int32_t format, std::int32_t uniqueId,
              std::int32_t pluginVersion, std::size_t count) {
    word(kChunkMagic);
    word(0);
    word(kind);
    word(format);
    word(uniqueId);
    word(pluginVersion);
    word(static_cast<std::int32_t>(count));
  }
  // Fills in the byte count after a chunk's magic once the chunk is complete.
  void patchSize(std::size_t chunkStart) {
    const auto size = static_cast<std::uint32_t>(bytes.size() - chunkStart - 8);
    for (int i = 0; i < 4; ++i) bytes[chunkStart + 4 + i] = (size >> (24 - 8 * i)) & 0xFF;
  }
  std::vector<std::uint8_t> bytes;
};

class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> data) : data_(data) {}
  bool word(std::int32_t& v) {
    if (data_.size() - at_ < 4) return false;
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i) u = (u << 8) | data_[at_++];
    v = static_cast<std::int32_t>(u);
    return true;
  }
  bool real(float& v) {
    std::int32_t bits = 0;
    if (!word(bits)) return false;
    v = std::bit_cast<float>(bits);
    return true;
  }
  bool text(std::string& s, std::size_t size) {
    if (data_.size() - at_ < size) return false;
    const auto* begin = reinterpret_cast<const char*>(data_.data() + at_);
    s.assign(begin, strnlen(begin, size));
    at_ += size;
    return true;
  }
  bool skip(std::size_t n) {
    if (data_.size() - at_ < n) return false;
    at_ += n;
    return true;
  }
  std::size_t left() const { return data_.size() - at_; }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t at_ = 0;
};

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool startsWith(std::string_view text, std::string_view start) {
  return start.size() <= text.size() && sameText(text.substr(0, start.size()), start);
}

}  // namespace

bool sameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

int findByName(int count, const std::function<std::string(int)>& nameOf, std::string_view key,
               std::string& several) {
  int exact = -1, started = -1, starts = 0;
  for (int i = 0; i < count; ++i) {
    const std::string name = nameOf(i);
    if (name.empty()) continue;
    if (sameText(name, key) && exact < 0) exact = i;
    if (!startsWith(name, key)) continue;
    if (starts < 4) several += (starts ? ", " : "") + name;
    started = i;
    ++starts;
  }
  if (exact >= 0) return exact;
  if (starts == 1) return started;
  if (starts > 4) several += " ...";
  return starts == 0 ? -1 : -2;
}

namespace {

bool fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

bool decodeProgram(Reader& in, const ProgramBank& bank, int index, ProgramBank::Program& program,
                   std::string& error) {
  const std::string which = "program " + std::to_string(index + 1);
  std::int32_t magic = 0, size = 0, kind = 0, format = 0, id = 0, version = 0, count = 0;
  if (!in.word(magic) || !in.word(size) || !in.word(kind) || !in.word(format) || !in.word(id) ||
      !in.word(version) || !in.word(count) || !in.text(program.name, kNameBytes))
    return fail(error, "it ends inside " + which);
  if (magic != kChunkMagic || kind != kProgramMagic)
    return fail(error, which + " is not a parameter program");
  if (id != bank.uniqueId) return fail(error, which + " belongs to another plug-in");
  if (count < 0 || count > kMaxCount ||
      (!bank.programs.empty() && index > 0 &&
       count != std::int32_t(bank.programs[0].values.size())))
    return fail(error, which + " has " + std::to_string(count) + " parameters, unlike the first");
  if (size != std::int32_t(kProgramHeaderBytes - 8 + 4 * std::size_t(count)))
    return fail(error, which + "'s size does not match its parameter count");
  program.values.resize(count);
  for (float& v : program.values) {
    if (!in.real(v)) return fail(error, "it ends inside " + which);
    if (!(v >= 0.0f && v <= 1.0f)) return fail(error, which + " holds a value outside 0 to 1");
  }
  return true;
}

}  // namespace

std::string uniqueIdText(std::int32_t id) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    const char c = static_cast<char>((static_cast<std::uint32_t>(id) >> shift) & 0xFF);
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(id));
      return hex;
    }
    text += c;
  }
  return text;
}

std::vector<std::uint8_t> encodeBank(const ProgramBank& bank) {
  Writer out;
  out.header(kBankMagic, 2, bank.uniqueId, bank.pluginVersion, bank.programs.size());
  out.word(bank.currentProgram);
  out.zeros(124);
  for (const ProgramBank::Program& program : bank.programs) {
    const std::size_t start = out.bytes.size();
    out.header(kProgramMagic, 1, bank.uniqueId, bank.pluginVersion, program.values.size());
    out.text(program.name, kNameBytes);
    for (float v : program.values) out.real(v);
    out.patchSize(start);
  }
  // The bank's size covers its programs too.
  out.patchSize(0);
  return out.bytes;
}

bool decodeBank(std::span<const std::uint8_t> bytes, ProgramBank& bank, std::string& error) {
  Reader in(bytes);
  std::int32_t magic = 0, size = 0, kind = 0, format = 0, count = 0;
  if (!in.word(magic) || magic != kChunkMagic || !in.word(size) || !in.word(kind))
    return fail(error, "it is not a VST bank file");
  if (kind == kChunkBankMagic) return fail(error, "it holds a plug-in's own chunk, not parameters");
  if (kind != kBankMagic) return fail(error, "it is not a VST bank file");
  if (size < 0 || static_cast<std::size_t>(size) != bytes.size() - 8)
    return fail(error, "its size says " + std::to_string(std::int64_t(size) + 8) +
                           " bytes, but it has " + std::to_string(bytes.size()));
  ProgramBank read;
  if (!in.word(format) || !in.word(read.uniqueId) || !in.word(read.pluginVersion) ||
      !in.word(count))
    return fail(error, "it ends inside its header");
  if (format != 1 && format != 2)
    return fail(error, "it is a bank of format " + std::to_string(format) + ", not 1 or 2");
  std::int32_t current = 0;
  if (!in.word(current) || !in.skip(124)) return fail(error, "it ends inside its header");
  if (count < 1 || count > kMaxCount)
    return fail(error, "it claims " + std::to_string(count) + " programs");
  read.currentProgram = format == 2 && current >= 0 && current < count ? current : 0;
  read.programs.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (!decodeProgram(in, read, i, read.programs[i], error)) return false;
  }
  if (in.left() != 0) return fail(error, "it has bytes after its last program");
  bank = std::move(read);
  return true;
}

ProgramBank readBank(Plugin& plugin) {
  const vst::AEffect& effect = *plugin.effect();
  ProgramBank bank;
  bank.uniqueId = effect.uniqueID;
  bank.pluginVersion = effect.version;
  const auto current = static_cast<std::int32_t>(plugin.dispatch(vst::effGetProgram));
  bank.currentProgram = current >= 0 && current < effect.numPrograms ? current : 0;
  for (std::int32_t p = 0; p < effect.numPrograms; ++p) {
    plugin.dispatch(vst::effSetProgram, 0, p);
    ProgramBank::Program program;
    program.name = plugin.programName();
    for (std::int32_t i = 0; i < effect.numParams; ++i) {
      // A module's value outside its range would make the file unreadable.
      const float v = plugin.getParameter(i);
      program.values.push_back(v >= 0.0f && v <= 1.0f ? v : v > 1.0f ? 1.0f : 0.0f);
    }
    bank.programs.push_back(std::move(program));
  }
  plugin.dispatch(vst::effSetProgram, 0, current);
  return bank;
}

bool applyBank(Plugin& plugin, const ProgramBank& bank, std::string& error) {
  const vst::AEffect& effect = *plugin.effect();
  if (bank.programs.empty()) return fail(error, "it holds no programs");
  if (bank.uniqueId != effect.uniqueID)
    return fail(error, "it is a bank of another plug-in ('" + uniqueIdText(bank.uniqueId) +
                           "', not '" + uniqueIdText(effect.uniqueID) + "')");
  const auto params = static_cast<std::int32_t>(bank.programs[0].values.size());
  if (params != effect.numParams)
    return fail(error, "its programs have " + std::to_string(params) + " parameters, the plug-in " +
                           std::to_string(effect.numParams));
  if (std::int32_t(bank.programs.size()) > effect.numPrograms)
    return fail(error, "it has " + std::to_string(bank.programs.size()) +
                           " programs, the plug-in only " + std::to_string(effect.numPrograms));
  for (std::size_t p = 0; p < bank.programs.size(); ++p) {
    const ProgramBank::Program& program = bank.programs[p];
    plugin.dispatch(vst::effSetProgram, 0, static_cast<vst::IntPtr>(p));
    char name[kNameBytes + 1] = {};
    std::strncpy(name, program.name.c_str(), kNameBytes);
    plugin.dispatch(vst::effSetProgramName, 0, 0, name);
    for (std::int32_t i = 0; i < params; ++i) plugin.setParameter(i, program.values[i]);
  }
  plugin.dispatch(vst::effSetProgram, 0, bank.currentProgram);
  return true;
}

bool loadBankFile(const std::string& path, Plugin& plugin, std::string& error) {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return fail(error, "cannot read the bank " + path + ": " + ec.message());
  if (size > kMaxFileBytes) return fail(error, "the bank " + path + " is refused: it is too large");
  std::ifstream file(path, std::ios::binary);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
  if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
    return fail(error, "cannot read the bank " + path);
  ProgramBank bank;
  std::string reason;
  if (!decodeBank(bytes, bank, reason) || !applyBank(plugin, bank, reason))
    return fail(error, "the bank " + path + " is refused: " + reason);
  return true;
}

bool saveBankFile(const std::string& path, Plugin& plugin, std::string& error) {
  const std::vector<std::uint8_t> bytes = encodeBank(readBank(plugin));
  platform::ReplacementFile file;
  std::string reason;
  bool ok = file.create(path, reason);
  if (ok) {
    std::ofstream out(file.path(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    ok = out.good() || fail(reason, "the write fell short (disk full?)");
  }
  if (ok) ok = file.commit(reason);
  if (!ok) return fail(error, "cannot save the bank " + path + ": " + reason);
  return true;
}

bool findProgram(const std::string& key, Plugin& plugin, int& index, std::string& error) {
  const int count = plugin.effect()->numPrograms;
  const std::string takes = "--program takes a number from 1 to " + std::to_string(count) +
                            " or a program's name (--info lists them), not '" + key + "'";
  int number = 0;
  const auto [end, ec] = std::from_chars(key.data(), key.data() + key.size(), number);
  if (!key.empty() && ec == std::errc() && end == key.data() + key.size()) {
    if (number >= 1 && number <= count) {
      index = number - 1;
      return true;
    }
    return fail(error, takes);
  }
  std::string several;
  const int found = findByName(
      count, [&](int i) { return plugin.programNameIndexed(i); }, key, several);
  if (found == -2)
    return fail(error, "--program '" + key + "' starts several names (" + several +
                           "); give more of it or a number");
  if (found < 0) return fail(error, takes);
  index = found;
  return true;
}

}  // namespace gw::host
