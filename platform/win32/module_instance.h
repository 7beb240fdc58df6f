// The instance handle of the module this code is linked into (the plug-in DLL, or a
// program), for window classes and resources: not the process's executable.
#pragma once

#include <windows.h>

namespace gw::platform::win32 {

HINSTANCE moduleInstance();

}  // namespace gw::platform::win32
