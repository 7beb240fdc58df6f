// A minimal VST 2.4 module with an editor built on the platform layer alone: a child
// window, a render thread with its GL context clearing to one colour at ~30 frames a
// second, and a quit event. It lets the standalone host be tested end to end.
#include <GL/gl.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "platform/gl_context.h"
#include "platform/threading.h"
#include "platform/window.h"
#include "plugin/vst/aeffect.h"

namespace {

using namespace gw::platform;

struct Editor {
  std::unique_ptr<ChildWindow> window;
  AutoResetEvent quit;
  std::thread render;
};

vst::ERect kRect{0, 0, 200, 320};

struct Instance {
  vst::AEffect effect{};
  vst::HostCallback host = nullptr;
  std::unique_ptr<Editor> editor;
};

// A press edits parameter 0 to the pointer's x across the window, as a slider would.
void reportPointer(Instance* instance, const PointerEvent& event) {
  vst::AEffect* e = &instance->effect;
  const float value = static_cast<float>(event.x) / static_cast<float>(kRect.right);
  if (event.kind == PointerEvent::Kind::Press) {
    instance->host(e, vst::audioMasterBeginEdit, 0, 0, nullptr, 0.0f);
    instance->host(e, vst::audioMasterAutomate, 0, 0, nullptr, value);
  } else if (event.kind == PointerEvent::Kind::Release) {
    instance->host(e, vst::audioMasterEndEdit, 0, 0, nullptr, 0.0f);
  }
}

void renderLoop(Editor* editor) {
  std::string error;
  auto context = GlContext::create(editor->window->nativeHandle(), error);
  if (context == nullptr) std::fprintf(stderr, "fake editor: %s\n", error.c_str());
  AutoResetEvent* events[] = {&editor->quit};
  do {
    if (context != nullptr && context->makeCurrent()) {
      glClearColor(0.1f, 0.6f, 0.3f, 1.0f);
      glClear(GL_COLOR_BUFFER_BIT);
      context->swapBuffers();
    }
  } while (AutoResetEvent::waitAny(events, 33) != 0);
  if (context != nullptr) context->releaseCurrent();
}

void closeEditor(Instance* instance) {
  if (instance->editor == nullptr) return;
  instance->editor->quit.signal();
  instance->editor->render.join();
  instance->editor.reset();
  std::fprintf(stderr, "fake editor closed\n");
}

vst::IntPtr VSTCALLBACK dispatch(vst::AEffect* effect, std::int32_t opcode, std::int32_t,
                                 vst::IntPtr, void* ptr, float) {
  auto* instance = static_cast<Instance*>(effect->object);
  switch (opcode) {
    case vst::effClose:
      closeEditor(instance);
      delete instance;
      std::fprintf(stderr, "fake effect closed\n");
      return 1;
    case vst::effEditGetRect:
      *static_cast<vst::ERect**>(ptr) = &kRect;
      return 1;
    case vst::effEditOpen: {
      if (instance->editor != nullptr) return 0;
      auto editor = std::make_unique<Editor>();
      std::string error;
      editor->window = ChildWindow::create(reinterpret_cast<std::uintptr_t>(ptr), kRect.right,
                                           kRect.bottom, error);
      if (editor->window == nullptr) {
        std::fprintf(stderr, "fake editor: %s\n", error.c_str());
        return 0;
      }
      editor->render = std::thread(renderLoop, editor.get());
      instance->editor = std::move(editor);
      return 1;
    }
    case vst::effEditIdle:
      if (instance->editor != nullptr) {
        std::vector<PointerEvent> events;
        instance->editor->window->pollEvents(events);
        for (const auto& event : events) reportPointer(instance, event);
      }
      return 0;
    case vst::effEditClose:
      closeEditor(instance);
      return 0;
    default:
      return 0;
  }
}

void VSTCALLBACK processReplacing(vst::AEffect*, float**, float** outputs, std::int32_t frames) {
  for (int channel = 0; channel < 2; ++channel) {
    for (std::int32_t i = 0; i < frames; ++i) outputs[channel][i] = 0.0f;
  }
}
void VSTCALLBACK setParameter(vst::AEffect*, std::int32_t, float) {}
float VSTCALLBACK getParameter(vst::AEffect*, std::int32_t) {
  return 0.0f;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) vst::AEffect* VSTPluginMain(
    vst::HostCallback host) {
  if (host == nullptr) return nullptr;
  auto* instance = new Instance;
  instance->host = host;
  vst::AEffect& e = instance->effect;
  e.magic = vst::kEffectMagic;
  e.dispatcher = dispatch;
  e.setParameter = setParameter;
  e.getParameter = getParameter;
  e.processReplacing = processReplacing;
  e.numPrograms = 1;
  e.numOutputs = 2;
  e.flags = vst::effFlagsCanReplacing | vst::effFlagsIsSynth;
#ifndef FAKE_NO_EDITOR
  e.flags |= vst::effFlagsHasEditor;
#endif
  e.object = instance;
  e.uniqueID = vst::fourCC('F', 'k', 'E', 'd');
  return &e;
}
