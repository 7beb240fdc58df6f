// The text a parameter shows for a value, as every format and the editor show it.
#pragma once

#include <cstddef>

namespace gw {

// "Unused" for the unused rows; an indexed row's value name (its value as a number where
// it has none, or outside them); "On"/"Off"; a word for a special value ("Inf", "Band");
// otherwise the number with fixed decimals by magnitude. Writes at most bytes bytes,
// always terminated; a name or word that does not fit leaves the text empty. A bad index
// gives the empty text. Thread: any.
void displayText(int index, float value, char* text, std::size_t bytes);

}  // namespace gw
