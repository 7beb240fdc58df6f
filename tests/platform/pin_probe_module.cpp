// A module that can ask to stay mapped, to see the pin outlast its loader's unload.
#include "platform/module_export.h"
#include "platform/module_pin.h"

extern "C" GW_MODULE_EXPORT int gwKeepMapped() {
  return gw::platform::keepModuleMapped() ? 1 : 0;
}
