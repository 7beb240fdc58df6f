// One face of a TrueType collection (.ttc) as a font file of its own. Windows' GDI hands
// out such a face (GetFontData, table 0) as the bytes from its table directory on, with
// table offsets that count from the start of the collection; FreeType, given those bytes,
// finds no tables. Portable, so that it is tested where it is built.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace gw::platform {

// True when bytes begin as a collection does ("ttcf").
bool isFontCollection(std::span<const unsigned char> bytes);

// The face whose table directory is directory, with its tables copied out of collection
// behind a directory of its own. Empty when the directory is malformed or names a table
// outside the collection.
std::vector<unsigned char> faceOfCollection(std::span<const unsigned char> collection,
                                            std::span<const unsigned char> directory);

}  // namespace gw::platform
