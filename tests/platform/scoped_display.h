// Sets DISPLAY for one test and restores it afterwards.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace gw::test {

class ScopedDisplay {
 public:
  // nullopt unsets DISPLAY.
  explicit ScopedDisplay(std::optional<std::string> value) {
    if (const char* old = std::getenv("DISPLAY")) saved_ = old;
    if (value) {
      ::setenv("DISPLAY", value->c_str(), 1);
    } else {
      ::unsetenv("DISPLAY");
    }
  }
  ~ScopedDisplay() {
    if (saved_) {
      ::setenv("DISPLAY", saved_->c_str(), 1);
    } else {
      ::unsetenv("DISPLAY");
    }
  }
  ScopedDisplay(const ScopedDisplay&) = delete;
  ScopedDisplay& operator=(const ScopedDisplay&) = delete;

 private:
  std::optional<std::string> saved_;
};

}  // namespace gw::test
