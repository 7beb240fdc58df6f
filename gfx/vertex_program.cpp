#include "gfx/vertex_program.h"

#include <GL/glew.h>

#include <cstdio>

#include "gfx/resource_loader.h"

namespace gw {

VertexProgram loadVertexProgram(int type, int id) {
  VertexProgram program;
  const ResourceText text = loadResourceText(type, id);
  if (text.size == 0 || !GLEW_ARB_vertex_program) return program;
  GLuint name = 0;
  glGenProgramsARB(1, &name);
  glBindProgramARB(GL_VERTEX_PROGRAM_ARB, name);
  glProgramStringARB(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                     static_cast<GLsizei>(text.size), text.data);
  glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &program.errorPosition);
  glBindProgramARB(GL_VERTEX_PROGRAM_ARB, 0);
  if (program.errorPosition != -1) {
    const GLubyte* message = glGetString(GL_PROGRAM_ERROR_STRING_ARB);
    std::fprintf(stderr, "error at position: %d\n%s\n", program.errorPosition,
                 message != nullptr ? reinterpret_cast<const char*>(message) : "");
    glDeleteProgramsARB(1, &name);
    return program;
  }
  program.name = name;
  return program;
}

}  // namespace gw
