#include "gfx/texture.h"

#include <GL/glew.h>

#include "gfx/png_image.h"
#include "gfx/resource_loader.h"
#include "resources/resource_table.h"

namespace gw {

void Texture::upload() {
  loaded_ = true;
  const ResourceText resource = loadResourceText(resources::kTypeImage, resourceId_);
  PngImage image;
  if (!decodePng({resource.data, resource.size}, image) || !image.uploadable()) return;
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, image.channels, static_cast<GLsizei>(image.width),
               static_cast<GLsizei>(image.height), 0, image.channels == 3 ? GL_RGB : GL_RGBA,
               GL_UNSIGNED_BYTE, image.pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glBindTexture(GL_TEXTURE_2D, 0);
  name_ = name;
}

void Texture::release() {
  if (name_ != 0) {
    const GLuint name = name_;
    glDeleteTextures(1, &name);
    name_ = 0;
  }
}

}  // namespace gw
