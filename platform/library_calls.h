// Libraries loaded when first needed instead of at start-up: each is opened
// by name with dlopen and its calls looked up one by one into a table of the
// caller's. A library that is missing, or lacks a call, is said once on the
// standard error stream under the caller's subject ("printing", "video").
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <string>

namespace platform {

inline void* OpenLibrary(const char* subject, const std::string& name)
{
    void* library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library)
        std::fprintf(stderr, "%s: cannot load %s: %s\n", subject, name.c_str(), dlerror());
    return library;
}

// Sets `*to` to the address of `call` in `library`; false when there is none.
template <class Pointer>
bool FindLibraryCall(const char* subject, void* library, const std::string& name,
                     const char* call, Pointer* to)
{
    void* found = dlsym(library, call);
    if (!found) std::fprintf(stderr, "%s: %s has no %s\n", subject, name.c_str(), call);
    *to = reinterpret_cast<Pointer>(found);
    return found != nullptr;
}

} // namespace platform
