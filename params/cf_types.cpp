#include "params/cf_types.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace gw {
namespace {

// Owns the interned strings; its destruction at module unload releases them.
class InternTable {
 public:
  ~InternTable() {
    for (auto& entry : strings_) CFRelease(entry.second);
  }
  CFString* find(const char* literal) {
    std::lock_guard lock(mutex_);
    auto found = strings_.find(literal);
    if (found != strings_.end()) return found->second;
    try {
      auto* string = new CFString(literal);
      CFRetain(string);
      strings_.emplace(literal, string);
      return string;
    } catch (const std::bad_alloc&) {
      return nullptr;  // out of memory: the caller shows no text
    }
  }

 private:
  std::mutex mutex_;
  std::unordered_map<const char*, CFString*> strings_;
};

InternTable& internTable() {
  static InternTable table;
  return table;
}

}  // namespace

CFType* CFRetain(CFType* object) {
  if (object != nullptr) object->count_.fetch_add(1, std::memory_order_relaxed);
  return object;
}

void CFRelease(CFType* object) {
  if (object == nullptr) return;
  // acq_rel: the thread that destroys must see every other holder's last use.
  if (object->count_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object;
}

CFArray::~CFArray() {
  for (CFString* item : items_) CFRelease(item);
}

CFString* CFSTR(const char* literal) {
  if (literal == nullptr) return nullptr;
  return internTable().find(literal);
}

bool CFStringGetCString(const CFString* string, char* buffer, std::size_t size) {
  if (string == nullptr || buffer == nullptr) return false;
  const std::string& text = string->text();
  if (size < text.size() + 1) return false;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return true;
}

CFArray* CFArrayCreate(CFString* const* strings, std::size_t count) {
  auto* array = new (std::nothrow) CFArray;
  if (array == nullptr) return nullptr;
  CFRetain(array);
  try {
    array->items_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
      auto* copy = new CFString(strings && strings[i] ? strings[i]->text() : std::string());
      array->items_.push_back(static_cast<CFString*>(CFRetain(copy)));
    }
  } catch (const std::bad_alloc&) {
    CFRelease(array);  // out of memory: no list rather than a short one
    return nullptr;
  }
  return array;
}

}  // namespace gw
