// DUNAX_EXPORT marks the entry point of a module called by name (extern "C" int NAME(...)), so
// that the loader finds it: exported from the DLL on Windows, of default visibility elsewhere
// (the modules are built with hidden visibility, so nothing else leaves them).
#pragma once

#if defined(_WIN32)
#define DUNAX_EXPORT __declspec(dllexport)
#else
#define DUNAX_EXPORT __attribute__((visibility("default")))
#endif
