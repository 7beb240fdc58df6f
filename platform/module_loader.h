// Loading a plug-in module file (.so here, .dll on Windows) and finding its exports.
// Used by our host tools, never by the module itself.
#pragma once

#include <string>

namespace gw::platform {

// Opaque handle of a loaded module file.
using ModuleHandle = void*;

// Loads the module at path, resolving all its imports now. A bare file name means the
// file in the current directory, not a search of the system's library path. Returns null
// and sets error to the loader's text on failure. Thread: any.
ModuleHandle loadModule(const std::string& path, std::string& error);

// The address of an exported function, or null. Thread: any.
void* findModuleSymbol(ModuleHandle module, const char* name);

// Unloads a module returned by loadModule; null is ignored. Thread: any.
void unloadModule(ModuleHandle module);

// True while the module file at path is mapped into this process, whoever loaded it;
// loads nothing. Thread: any.
bool isModuleLoaded(const std::string& path);

}  // namespace gw::platform
