// The editor's child window and its GL context against a real X server.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/gl_context.h"
#include "platform/system.h"
#include "platform/window.h"
#include "tests/platform/x11_driver.h"

using namespace gw::platform;
using gw::test::waitUntil;
using gw::test::X11Driver;

namespace {

// Clears the window to a colour on a thread of its own, as the render thread does, and
// returns the pixel read back from the back buffer before the swap.
std::array<unsigned char, 4> drawOnRenderThread(std::uintptr_t window, std::string& error) {
  std::array<unsigned char, 4> pixel{};
  std::thread render([&] {
    auto context = GlContext::create(window, error);
    if (context == nullptr || !context->makeCurrent()) return;
    glClearColor(0.0f, 0.5f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    context->swapBuffers();
    glFinish();
    context->releaseCurrent();
  });
  render.join();
  return pixel;
}

TEST(ChildWindow, GlContextOnAnotherThreadDrawsIntoTheHostWindow) {
  X11Driver x;
  const Window host = x.topLevel(40, 40, 300, 200);
  std::string error;
  auto child = ChildWindow::create(host, 128, 96, error);
  ASSERT_NE(child, nullptr) << error;
  EXPECT_NE(child->nativeHandle(), 0u);

  const auto pixel = drawOnRenderThread(child->nativeHandle(), error);
  ASSERT_TRUE(error.empty()) << error;
  EXPECT_EQ(pixel[0], 0);
  EXPECT_NEAR(pixel[1], 128, 1);
  EXPECT_EQ(pixel[2], 255);
  // The swap put the colour on screen, inside the host's window.
  EXPECT_TRUE(waitUntil([&] {
    const unsigned shown = x.pixel(static_cast<Window>(child->nativeHandle()), 64, 48);
    return (shown & 0xff00ff) == 0x0000ff && ((shown >> 8) & 0xff) >= 127;
  }));
  x.destroy(host);
}

TEST(ChildWindow, UnusableParentsAreRefusedWithoutEndingTheProcess) {
  X11Driver x;
  std::string error;
  EXPECT_EQ(ChildWindow::create(0, 100, 100, error), nullptr);
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_EQ(ChildWindow::create(0x7ffffff, 100, 100, error), nullptr);
  EXPECT_NE(error.find("not usable"), std::string::npos) << error;
  // The X error is what the OS's last-error text reports, once.
  EXPECT_NE(lastErrorText().find("BadWindow"), std::string::npos);
  errno = ENOENT;
  EXPECT_EQ(lastErrorText(), std::strerror(ENOENT));
  const Window host = x.topLevel(0, 0, 50, 50);
  EXPECT_EQ(ChildWindow::create(host, 0, 100, error), nullptr);
  error.clear();
  EXPECT_EQ(GlContext::create(0x7ffffff, error), nullptr);
  EXPECT_FALSE(error.empty());
  x.destroy(host);
}

TEST(ChildWindow, HostDestroyingItsWindowFirstIsReportedAndSurvived) {
  X11Driver x;
  const Window host = x.topLevel(0, 0, 200, 100);
  std::string error;
  auto child = ChildWindow::create(host, 200, 100, error);
  ASSERT_NE(child, nullptr) << error;

  // The render thread keeps drawing while the host destroys its window under it.
  std::atomic<bool> hostGone{false};
  std::atomic<int> framesAfter{0};
  std::thread render([&] {
    auto context = GlContext::create(child->nativeHandle(), error);
    if (context == nullptr) return;
    for (int i = 0; i < 200 && framesAfter < 5; ++i) {
      if (context->makeCurrent()) {
        glClear(GL_COLOR_BUFFER_BIT);
        context->swapBuffers();
      }
      if (hostGone) ++framesAfter;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    context->releaseCurrent();
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  x.destroy(host);
  hostGone = true;
  render.join();
  EXPECT_TRUE(error.empty()) << error;

  std::vector<PointerEvent> events;
  EXPECT_TRUE(waitUntil([&] {
    child->pollEvents(events);
    return !events.empty() && events.back().kind == PointerEvent::Kind::Close;
  }));
  child->capturePointer();
  child->resize(10, 10);
  child.reset();
}

}  // namespace
