#include <dlfcn.h>

#include "platform/module_loader.h"

namespace gw::platform {

namespace {

// dlopen searches the library path for a name without a slash.
std::string fileName(const std::string& path) {
  return path.find('/') == std::string::npos ? "./" + path : path;
}

}  // namespace

ModuleHandle loadModule(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no module file given";
    return nullptr;
  }
  std::string file = fileName(path);
  dlerror();
  // RTLD_LOCAL: two modules in one host must not resolve each other's symbols.
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* text = dlerror();
    error = text != nullptr ? text : path + ": cannot load module";
  }
  return handle;
}

void* findModuleSymbol(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}

void unloadModule(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

bool isModuleLoaded(const std::string& path) {
  if (path.empty()) return false;
  void* handle = dlopen(fileName(path).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

}  // namespace gw::platform
