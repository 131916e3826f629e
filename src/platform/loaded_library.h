#pragma once

#include <dlfcn.h>

namespace platform {

// A library the program opens only when it first needs it, so that a run that never does
// maps none of it. Kept open for the rest of the run; null when it cannot be opened.
inline void* OpenLibrary(const char* soname) { return ::dlopen(soname, RTLD_NOW | RTLD_LOCAL); }

// Points `function` at the library's function `name`; false when the library lacks it.
template <typename Function>
bool LookUp(void* library, Function& function, const char* name) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

}  // namespace platform
