#include "platform/font_collection.h"

#include <cstdint>

namespace gw::platform {
namespace {

// An sfnt's table directory: a 12-byte header whose bytes 4-5 count the tables, then per
// table 16 bytes: tag, checksum, offset, length (big-endian words).
constexpr std::size_t kHeaderSize = 12, kRecordSize = 16;

std::uint32_t readWord(std::span<const unsigned char> bytes, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | bytes[at + i];
  return value;
}

void writeWord(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 3; i >= 0; --i, value >>= 8) bytes[at + i] = static_cast<unsigned char>(value);
}

}  // namespace

bool isFontCollection(std::span<const unsigned char> bytes) {
  return bytes.size() >= 4 && readWord(bytes, 0, 4) == 0x74746366;  // "ttcf"
}

std::vector<unsigned char> faceOfCollection(std::span<const unsigned char> collection,
                                            std::span<const unsigned char> directory) {
  if (directory.size() < kHeaderSize) return {};
  const std::size_t tables = readWord(directory, 4, 2);
  const std::size_t directorySize = kHeaderSize + kRecordSize * tables;
  if (tables == 0 || directory.size() < directorySize) return {};
  std::size_t total = directorySize;
  for (std::size_t i = 0; i < tables; ++i) {
    const std::size_t record = kHeaderSize + kRecordSize * i;
    const std::size_t offset = readWord(directory, record + 8, 4);
    const std::size_t length = readWord(directory, record + 12, 4);
    if (offset > collection.size() || length > collection.size() - offset) return {};
    total += (length + 3) & ~std::size_t{3};
  }
  std::vector<unsigned char> face(directory.begin(), directory.begin() + directorySize);
  face.reserve(total);
  for (std::size_t i = 0; i < tables; ++i) {
    const std::size_t record = kHeaderSize + kRecordSize * i;
    const std::size_t offset = readWord(directory, record + 8, 4);
    const std::size_t length = readWord(directory, record + 12, 4);
    writeWord(face, record + 8, static_cast<std::uint32_t>(face.size()));
    face.insert(face.end(), collection.begin() + offset, collection.begin() + offset + length);
    // Tables start on 4-byte boundaries.
    face.resize((face.size() + 3) & ~std::size_t{3}, 0);
  }
  return face;
}

}  // namespace gw::platform
