// One image of the module's resources as a GL texture. Thread: render for all of it.
#pragma once

#include <cstdint>

namespace gw {

class Texture {
 public:
  explicit Texture(std::uint16_t resourceId) : resourceId_(resourceId) {}

  // Needs the GL context current. An image that cannot be read or decoded, or is not
  // power-of-two RGB/RGBA with 8 bits a channel, leaves the texture without a name.
  void upload();
  // Deletes the GL name, if any.
  void release();

  std::uint16_t resourceId() const { return resourceId_; }
  // 0 while none exists; binding 0 draws untextured.
  unsigned name() const { return name_; }
  bool loaded() const { return loaded_; }

 private:
  std::uint16_t resourceId_;
  unsigned name_ = 0;
  bool loaded_ = false;
};

}  // namespace gw
