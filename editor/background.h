// The animated background: a 3 x 3 grid of coloured vertices over the whole window whose
// blue and red sway with time, faster and wider while voices sound.
#pragma once

#include <array>

namespace gw::background {

constexpr int kVertexCount = 9;
constexpr int kFloatsPerVertex = 6;  // red, green, blue, x, y, z
using Vertices = std::array<float, kVertexCount * kFloatsPerVertex>;

// The grid at rest, rows from the bottom (y = -1) up, in normalised device coordinates.
Vertices initial();
// Advances the animation clock by one frame of frameInterval seconds.
double advance(double time, float activity, float frameInterval);
// Colours for the clock value; positions are left as they are.
void colour(Vertices& vertices, double time, float activity);
// Strip order of the grid's two rows of quads.
inline constexpr std::array<unsigned char, 12> kStrip{0, 3, 1, 4, 2, 5, 5, 8, 4, 7, 3, 6};

}  // namespace gw::background
