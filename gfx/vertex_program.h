// Loading an ARB vertex program from the module's resources.
#pragma once

namespace gw {

struct VertexProgram {
  unsigned name = 0;       // 0 when the program could not be made
  int errorPosition = -1;  // GL's error position; -1 when the text compiled
};

// Thread: render, context current and GL_ARB_vertex_program available. A compile error
// is printed as "error at position: N\n<GL's text>\n" and leaves no program bound.
VertexProgram loadVertexProgram(int type, int id);

}  // namespace gw
