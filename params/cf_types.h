// Minimal reference-counted text objects in the manner of Core Foundation, through which
// the plug-in base passes value names and value texts. A new object starts at count 0 and
// its creator takes the first reference; whoever receives a returned object releases it.
// Namespaced so that a port linking the real Core Foundation cannot collide with them.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace gw {

class CFType {
 public:
  virtual ~CFType() = default;
  CFType(const CFType&) = delete;
  CFType& operator=(const CFType&) = delete;

 protected:
  CFType() = default;

 private:
  friend CFType* CFRetain(CFType* object);
  friend void CFRelease(CFType* object);
  // Atomic: interned strings are retained and released by any thread that asks for a text.
  std::atomic<std::int32_t> count_{0};
};

class CFString : public CFType {
 public:
  explicit CFString(std::string text) : text_(std::move(text)) {}
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

class CFArray : public CFType {
 public:
  ~CFArray() override;
  std::size_t count() const { return items_.size(); }
  CFString* at(std::size_t i) const { return i < items_.size() ? items_[i] : nullptr; }

 private:
  friend CFArray* CFArrayCreate(CFString* const* strings, std::size_t count);
  std::vector<CFString*> items_;  // one reference each
};

// Thread: any. Both accept null.
CFType* CFRetain(CFType* object);
void CFRelease(CFType* object);

// The interned string for a constant text, keyed by the literal's address: created once
// with count 1 and owned by a process-wide map until the module unloads. Callers neither
// retain nor release it. Thread: any.
CFString* CFSTR(const char* literal);

// Copies the text and its terminating zero when size allows; otherwise writes nothing and
// returns false. Thread: any.
bool CFStringGetCString(const CFString* string, char* buffer, std::size_t size);

// A new array (count 1, the caller releases it) holding a new copy of each string, in
// order. Null strings become empty texts. Thread: any.
CFArray* CFArrayCreate(CFString* const* strings, std::size_t count);

// Releases a held object when the owner goes out of scope.
template <typename T>
class CFHolder {
 public:
  explicit CFHolder(T* object = nullptr) : object_(object) {}
  ~CFHolder() { CFRelease(object_); }
  CFHolder(const CFHolder&) = delete;
  CFHolder& operator=(const CFHolder&) = delete;
  T* get() const { return object_; }
  T** out() {
    CFRelease(object_);
    object_ = nullptr;
    return &object_;
  }

 private:
  T* object_;
};

}  // namespace gw
