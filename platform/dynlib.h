// Loading a shared library by file name, the same way on both builds.
//
// Callers always name the Windows file ("ora73.dll").  On Windows that name goes to
// LoadLibraryA as it is.  On Linux "X.dll" is looked up as "libX.so", first in the
// directory of the running executable (where the build puts every library), then on
// the ordinary library path.
#pragma once

#include <string>

namespace tess::platform {

// An opaque module handle; null when nothing is loaded.
using LibraryHandle = void*;

// The file name a library would be opened under on this platform.
std::string NativeLibraryName(const std::string& windowsName);

// Loads the library; returns null on failure (the reason is in LastLibraryError()).
LibraryHandle OpenLibrary(const std::string& windowsName);

// Address of an export, or null when the library has none of that name.
void* LibrarySymbol(LibraryHandle lib, const char* name);

// Releases one load of the library; a null handle is ignored.
void CloseLibrary(LibraryHandle lib);

// A readable reason for the last failed OpenLibrary on this thread.
std::string LastLibraryError();

// Directory of the running executable, with a trailing separator.
std::string ExecutableDirectory();

}  // namespace tess::platform
