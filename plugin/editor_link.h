// What the plug-in tells an editor: a parameter's new internal value, or that the
// current program changed and every control must be refreshed.
#pragma once

namespace gw {

class EditorLink {
 public:
  // Thread: any (setParameter may arrive on the host's audio thread); must not block.
  virtual void parameterChanged(int index, float value) = 0;
  // Thread: the thread that called setProgram.
  virtual void programChanged() = 0;

 protected:
  ~EditorLink() = default;
};

}  // namespace gw
