// The module's exported entry points; everything else in the module is hidden.
#include "platform/module_export.h"
#include "plugin/plugin_factory.h"

// Thread: the host's loading thread.
extern "C" GW_MODULE_EXPORT vst::AEffect* VSTCALLBACK VSTPluginMain(vst::HostCallback host) {
  return gw::createEffect(host, gw::CpuProbe::sse2Usable());
}

#if GW_MODULE_MAIN_ALIAS_IN_CODE
// Older Linux hosts look the entry up as "main". A C++ function cannot be named main with
// this signature, so the forwarder takes the symbol name through an assembler label.
// (Windows builds export the alias from glimmerwick.def instead.)
extern "C" GW_MODULE_EXPORT vst::AEffect* VSTCALLBACK
vstMainForwarder(vst::HostCallback host) __asm__("main");
extern "C" vst::AEffect* VSTCALLBACK vstMainForwarder(vst::HostCallback host) {
  return VSTPluginMain(host);
}
#endif
