// A host's X error handling after it has used and unloaded the module's editor. Xlib
// keeps one error handler per process: the module may hold it while its own connections
// are open, but after unload the host's errors must reach the host's handler (or Xlib's
// default), never a pointer into unmapped code. Each case runs in a process of its own,
// as a host would, through glimmerwick.so and our host library, with a window and a
// connection of the host's own; a crash shows as the child's signal.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "host/host_library.h"
#include "platform/module_loader.h"
#include "plugin/vst/aeffect.h"

// Last: Xlib's macros (None, Status, Bool) would otherwise clash with the headers above.
#include <X11/Xlib.h>

namespace gw::test {
namespace {

// Failures inside a child are printed on its standard error, which the parent shows.
class Checks {
 public:
  void expect(bool ok, const std::string& what) {
    if (ok) return;
    ++failures_;
    std::fprintf(stderr, "check failed: %s\n", what.c_str());
  }
  int exitCode() const { return failures_ == 0 ? 0 : 3; }

 private:
  int failures_ = 0;
};

// The host's handlers: one of the kind a host installs at start, and one of the kind a
// toolkit installs later, which passes errors on to the handler it replaced.
int firstCount = 0;
int firstCode = 0;
int secondCount = 0;
XErrorHandler replacedBySecond = nullptr;

int firstHandler(Display*, XErrorEvent* event) {
  ++firstCount;
  firstCode = event->error_code;
  return 0;
}

int secondHandler(Display* display, XErrorEvent* event) {
  ++secondCount;
  return replacedBySecond != nullptr ? replacedBySecond(display, event) : 0;
}

int probeHandler(Display*, XErrorEvent*) {
  return 0;
}

// Xlib has no getter: the handler in the slot, put straight back.
XErrorHandler currentHandler() {
  const XErrorHandler current = XSetErrorHandler(probeHandler);
  XSetErrorHandler(current);
  return current;
}

// Threads of this process. ThreadSanitizer starts one of its own at the first thread
// creation, so one is created and joined first, before any count is taken.
int threadCount() {
  static const bool warmedUp = [] {
    std::thread([] {}).join();
    return true;
  }();
  (void)warmedUp;
  int count = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator("/proc/self/task")) {
    ++count;
  }
  return count;
}

using Instances = std::vector<std::unique_ptr<host::Plugin>>;

// The host: its own connection and editor windows, the module and its instances.
class Host {
 public:
  Host() : display_(XOpenDisplay(nullptr)) {}
  ~Host() {
    if (display_ != nullptr) XCloseDisplay(display_);
  }

  bool connected() const { return display_ != nullptr; }

  // Loads the module, creates `count` instances, lets `use` work with them, then closes
  // them (effClose) and unloads the module.
  void useModule(Checks& checks, std::size_t count,
                 const std::function<void(Host&, Instances&)>& use) {
    std::string error;
    auto module = host::Module::load(GW_MODULE_PATH, error);
    checks.expect(module != nullptr, "the module loads: " + error);
    if (!module) return;
    Instances plugins;
    for (std::size_t i = 0; i < count; ++i) {
      plugins.push_back(host::Plugin::create(*module, error));
      checks.expect(plugins.back() != nullptr, "an instance is created: " + error);
      if (!plugins.back()) return;
    }
    use(*this, plugins);
  }

  // Opens the editor in a new host window; returns that window.
  Window openEditor(host::Plugin& plugin) {
    const Window window =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 610, 415, 0, 0, 0);
    XMapWindow(display_, window);
    XSync(display_, False);
    plugin.dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(window));
    return window;
  }

  // Idles the editors as a host's UI timer does, long enough for frames to be drawn.
  void idle(std::initializer_list<host::Plugin*> plugins, int ms = 300) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < end) {
      for (host::Plugin* plugin : plugins) plugin->dispatch(vst::effEditIdle);
      while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  void closeEditor(host::Plugin& plugin, Window window) {
    plugin.dispatch(vst::effEditClose);
    XDestroyWindow(display_, window);
    XSync(display_, False);
  }

  void openIdleClose(host::Plugin& plugin) {
    const Window window = openEditor(plugin);
    idle({&plugin});
    closeEditor(plugin, window);
  }

  // An ordinary X error on the host's own connection: a window that does not exist.
  void causeError() {
    XDestroyWindow(display_, 0x1fffffff);
    XSync(display_, False);
  }

  // The host carries on with its own work after the error.
  bool carriesOn() {
    const Window window =
        XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 10, 10, 0, 0, 0);
    XWindowAttributes attributes;
    const bool known = XGetWindowAttributes(display_, window, &attributes) != 0;
    XDestroyWindow(display_, window);
    XSync(display_, False);
    return known && attributes.width == 10;
  }

 private:
  Display* display_;
};

// After unload: the slot holds `expected`, the module is gone (or pinned, when a host
// handler may still call ours) and no thread of ours is left.
void expectLeftAsFound(Checks& checks, XErrorHandler expected, int threadsBefore,
                       bool mayStayMapped = false) {
  checks.expect(currentHandler() == expected, "the error handler is the host's again");
  if (!mayStayMapped) {
    checks.expect(!platform::isModuleLoaded(GW_MODULE_PATH), "the module is unmapped");
  }
  checks.expect(threadCount() == threadsBefore,
                "threads before load " + std::to_string(threadsBefore) + ", after unload " +
                    std::to_string(threadCount()));
}

// The usual host: its handler installed before the load. After the module has been used
// and unloaded the handler is back in the slot, and an error on the host's connection
// reaches it once while the host goes on.
int withHandlerBeforeLoad(std::size_t instances,
                          const std::function<void(Host&, Instances&)>& use) {
  Checks checks;
  Host host;
  if (!host.connected()) return 2;
  XSetErrorHandler(firstHandler);
  const int threads = threadCount();
  host.useModule(checks, instances, use);
  expectLeftAsFound(checks, firstHandler, threads);
  host.causeError();
  checks.expect(firstCount == 1,
                "the host's handler saw " + std::to_string(firstCount) + " errors, not 1");
  checks.expect(firstCode == BadWindow, "the host's handler saw BadWindow");
  checks.expect(host.carriesOn(), "the host's connection works after the error");
  return checks.exitCode();
}

class X11ErrorHandlerHabits : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

// A host without a handler of its own: after unload an error ends it the way Xlib's
// default handler does (a message and exit status 1), not with a crash.
int withoutHostHandler() {
  Checks checks;
  Host host;
  if (!host.connected()) return 2;
  const XErrorHandler before = currentHandler();
  const int threads = threadCount();
  host.useModule(checks, 1, [](Host& h, Instances& p) { h.openIdleClose(*p[0]); });
  expectLeftAsFound(checks, before, threads);
  if (checks.exitCode() != 0) return checks.exitCode();
  host.causeError();
  return 4;  // Xlib's default handler exits before this
}

TEST_F(X11ErrorHandlerHabits, WithoutAHostHandlerXlibsDefaultHandlesTheErrorAfterUnload) {
  EXPECT_EXIT(std::exit(withoutHostHandler()), ::testing::ExitedWithCode(1), "BadWindow");
}

TEST_F(X11ErrorHandlerHabits, HandlerInstalledBeforeLoadGetsTheHostsErrorsAfterUnload) {
  const auto use = [](Host& h, Instances& p) { h.openIdleClose(*p[0]); };
  EXPECT_EXIT(std::exit(withHandlerBeforeLoad(1, use)), ::testing::ExitedWithCode(0), "");
}

// A toolkit installs its handler while the editor is open and chains to the one it found,
// which is the module's: that handler must still be callable after the unload, and the
// error must reach each of the host's handlers once.
int handlerInstalledWhileTheEditorIsOpen() {
  Checks checks;
  Host host;
  if (!host.connected()) return 2;
  XSetErrorHandler(firstHandler);
  const int threads = threadCount();
  host.useModule(checks, 1, [](Host& h, Instances& p) {
    const Window window = h.openEditor(*p[0]);
    h.idle({p[0].get()});
    replacedBySecond = XSetErrorHandler(secondHandler);
    h.idle({p[0].get()});
    h.closeEditor(*p[0], window);
  });
  expectLeftAsFound(checks, secondHandler, threads, true);
  host.causeError();
  checks.expect(secondCount == 1,
                "the later handler saw " + std::to_string(secondCount) + " errors, not 1");
  checks.expect(firstCount == 1, "the first handler saw " + std::to_string(firstCount) +
                                     " errors through the chain, not 1");
  checks.expect(host.carriesOn(), "the host's connection works after the error");
  return checks.exitCode();
}

TEST_F(X11ErrorHandlerHabits, HandlerInstalledWhileTheEditorIsOpenStaysAndItsChainWorks) {
  EXPECT_EXIT(std::exit(handlerInstalledWhileTheEditorIsOpen()), ::testing::ExitedWithCode(0), "");
}

// Two instances with their editors open at once, the first opened closed first or last.
void twoEditors(Host& host, Instances& p, bool firstOpenedClosesFirst) {
  // Opened back to back, so that both render threads bind their windows at once.
  const Window windowA = host.openEditor(*p[0]);
  const Window windowB = host.openEditor(*p[1]);
  host.idle({p[0].get(), p[1].get()});
  if (firstOpenedClosesFirst) {
    host.closeEditor(*p[0], windowA);
    host.idle({p[1].get()}, 150);
    host.closeEditor(*p[1], windowB);
  } else {
    host.closeEditor(*p[1], windowB);
    host.idle({p[0].get()}, 150);
    host.closeEditor(*p[0], windowA);
  }
}

TEST_F(X11ErrorHandlerHabits, TwoEditorsClosedInOpeningOrder) {
  const auto use = [](Host& h, Instances& p) { twoEditors(h, p, true); };
  EXPECT_EXIT(std::exit(withHandlerBeforeLoad(2, use)), ::testing::ExitedWithCode(0), "");
}

TEST_F(X11ErrorHandlerHabits, TwoEditorsClosedInReverseOrder) {
  const auto use = [](Host& h, Instances& p) { twoEditors(h, p, false); };
  EXPECT_EXIT(std::exit(withHandlerBeforeLoad(2, use)), ::testing::ExitedWithCode(0), "");
}

// A host that closes the instance (effClose) with its editor still open, then unloads.
TEST_F(X11ErrorHandlerHabits, ClosedWithoutEditorCloseLeavesNoThreadAndNoHandler) {
  const auto use = [](Host& h, Instances& p) {
    h.openEditor(*p[0]);
    h.idle({p[0].get()});
    p[0]->close();
  };
  EXPECT_EXIT(std::exit(withHandlerBeforeLoad(1, use)), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace gw::test
