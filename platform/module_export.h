// How a plug-in module marks its entry points for export. ELF modules build with hidden
// visibility, so each entry needs the attribute, and the "main" alias is a second symbol;
// a Windows DLL lists both names in plugin/glimmerwick.def instead.
#pragma once

#if defined(_WIN32)
#define GW_MODULE_EXPORT
#define GW_MODULE_MAIN_ALIAS_IN_CODE 0
#else
#define GW_MODULE_EXPORT __attribute__((visibility("default")))
#define GW_MODULE_MAIN_ALIAS_IN_CODE 1
#endif
