// Points and axis-aligned boxes in design units (x right, y up, origin bottom left).
#pragma once

namespace gw {

struct Point {
  float x = 0.0f;
  float y = 0.0f;
};

struct Box {
  float minX = 1e10f, minY = 1e10f, minZ = 1e10f;
  float maxX = -1e10f, maxY = -1e10f, maxZ = -1e10f;

  // The empty box: extending it by another yields the other.
  static constexpr Box empty() { return Box{}; }
  static constexpr Box of(float x0, float y0, float x1, float y1) {
    return Box{x0, y0, 0.0f, x1, y1, 0.0f};
  }

  constexpr bool isEmpty() const { return minX > maxX || minY > maxY; }
  constexpr void extend(const Box& other) {
    minX = other.minX < minX ? other.minX : minX;
    minY = other.minY < minY ? other.minY : minY;
    minZ = other.minZ < minZ ? other.minZ : minZ;
    maxX = other.maxX > maxX ? other.maxX : maxX;
    maxY = other.maxY > maxY ? other.maxY : maxY;
    maxZ = other.maxZ > maxZ ? other.maxZ : maxZ;
  }
  // Translating the empty box leaves it empty (its corners stay at the sentinels).
  constexpr void translate(float dx, float dy, float dz) {
    if (isEmpty()) return;
    minX += dx, maxX += dx;
    minY += dy, maxY += dy;
    minZ += dz, maxZ += dz;
  }
  // Edges count as inside.
  constexpr bool contains(Point p) const {
    return minX <= p.x && p.x <= maxX && minY <= p.y && p.y <= maxY;
  }
  constexpr Point centre() const { return {(minX + maxX) * 0.5f, (minY + maxY) * 0.5f}; }
};

}  // namespace gw
