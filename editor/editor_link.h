// What the plug-in tells an editor: a parameter's new internal value, or that the
// current program changed and every control must be refreshed; and what a host asks of
// it through the plug-in: a copy of its next frame.
#pragma once

namespace gw {

struct FrameGrab;

class EditorLink {
 public:
  // Thread: any (setParameter may arrive on the host's audio thread); must not block.
  virtual void parameterChanged(int index, float value) = 0;
  // Thread: the thread that called setProgram.
  virtual void programChanged() = 0;
  // Thread: UI. Waits at most kFrameGrabWaitMs for the next frame (editor/frame_grab.h).
  virtual bool grabFrame(FrameGrab& grab) = 0;

 protected:
  ~EditorLink() = default;
};

}  // namespace gw
