// Resources: the numbered RT_RCDATA resources compiled into the executable,
// resource packs loaded as data files (the side file "Animations.dll"), and
// the named read-only blobs embedded in the program.
//
// Resource pack format (all integers unsigned 32-bit little-endian):
//
//   offset  size        field
//   0       8           magic "KVRESPK1"
//   8       4           entry count N (at most 65536)
//   12      16 * N      entry table, one entry per resource:
//                         type   (resource type, a 16-bit number, e.g. 10 = RT_RCDATA)
//                         id     (resource identifier, a 16-bit number)
//                         offset (from the start of the file to the resource's bytes)
//                         size   (of the resource, in bytes)
//   12+16N  ...         resource bytes
//
// A pack is valid when the file holds the whole header and table, every
// type and id is at most 0xFFFF, no two entries share a type and an id, and
// every resource lies after the table and inside the file. Resources may be
// of size 0. Any other file is rejected as a whole.
#pragma once

#include "platform/wintypes.h"

#include <cstddef>
#include <string>
#include <vector>

#define RT_RCDATA MAKEINTRESOURCEW(10)

#define LOAD_LIBRARY_AS_DATAFILE 0x00000002u
#define LOAD_LIBRARY_AS_IMAGE_RESOURCE 0x00000020u
#define LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE 0x00000040u

#define ERROR_MOD_NOT_FOUND 126
#define ERROR_BAD_EXE_FORMAT 193
#define ERROR_RESOURCE_DATA_NOT_FOUND 1812
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814

// Finds the resource `name` of `type` in a module: the executable (its
// module handle, or NULL) or a pack loaded with LoadLibraryExW. Names and
// types are numbers (MAKEINTRESOURCEW); string names are never found.
// NULL with GetLastError set when there is no such resource.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);

// The resource's bytes: LoadResource gives a handle, LockResource the
// read-only bytes, valid while the module stays loaded (the executable's
// for the life of the program).
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);

// Loads a resource pack as a data file. `flags` must ask for a data file
// (LOAD_LIBRARY_AS_DATAFILE, ..._EXCLUSIVE or LOAD_LIBRARY_AS_IMAGE_RESOURCE)
// and `file` must be NULL. A relative name is looked for next to the running
// executable first, then in the current folder; backslashes separate folders
// as forward slashes do. NULL with GetLastError: ERROR_MOD_NOT_FOUND when no
// file is there, ERROR_BAD_EXE_FORMAT when it is not a valid pack,
// ERROR_INVALID_PARAMETER for bad arguments.
HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags);

// Unloads a pack; its resources' bytes go with it. The executable's module
// is never unloaded (TRUE, nothing happens). FALSE with ERROR_INVALID_HANDLE
// for a handle that names no loaded module.
BOOL FreeLibrary(HMODULE module);

namespace platform {

// Adds a numbered RT_RCDATA resource to the executable's module (the
// program's embedded media do this at start-up; tests add their own). The
// bytes are not copied: they must stay valid for the life of the program.
// Registering an id again replaces its bytes.
void RegisterExecutableResource(int id, const void* data, size_t size);

// Adds a named read-only blob (an embedded picture, sound or video, named
// by its file's base name). The bytes are not copied. Registering a name
// again replaces its bytes.
void RegisterEmbeddedBlob(const char* name, const void* data, size_t size);

// The blob registered under `name`; false (outputs untouched) when none is.
bool FindEmbeddedBlob(const std::string& name, const unsigned char** data, size_t* size);

// The names of every registered blob, in ascending order.
std::vector<std::string> EmbeddedBlobNames();

// For media read once (a picture decoded into its texture): the pages lying
// wholly inside [data, data + size) leave the process's memory. The bytes
// stay as they are and readable; they are read from the program's file again
// when next touched. Only the program's own media, a read-only part of its
// file, are released; any other memory is left alone.
void ReleaseEmbeddedPages(const void* data, size_t size);

} // namespace platform
