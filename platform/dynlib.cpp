// See dynlib.h.  The two platforms differ only in the calls and in how the name is mapped.
#include "platform/dynlib.h"

#ifdef _WIN32
#include "platform/win32.h"
#else
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>
#include <sys/stat.h>
#endif

#include <cctype>

namespace tess::platform {

namespace {
thread_local std::string g_lastError;

#ifndef _WIN32
bool EndsWithNoCase(const std::string& s, const std::string& suffix) {
  if (s.size() < suffix.size()) return false;
  for (size_t i = 0; i < suffix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(s[s.size() - suffix.size() + i])) !=
        std::tolower(static_cast<unsigned char>(suffix[i])))
      return false;
  }
  return true;
}
#endif
}  // namespace

std::string NativeLibraryName(const std::string& windowsName) {
#ifdef _WIN32
  return windowsName;
#else
  // Only the file part is renamed; a directory in front stays as given.
  std::string::size_type slash = windowsName.find_last_of("/\\");
  std::string dir = slash == std::string::npos ? "" : windowsName.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? windowsName : windowsName.substr(slash + 1);
  if (EndsWithNoCase(file, ".dll")) file = "lib" + file.substr(0, file.size() - 4) + ".so";
  return dir + file;
#endif
}

std::string ExecutableDirectory() {
#ifdef _WIN32
  char buf[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string path(buf, n);
#else
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf);
  std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
#endif
  std::string::size_type slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

LibraryHandle OpenLibrary(const std::string& windowsName) {
  g_lastError.clear();
#ifdef _WIN32
  HMODULE h = LoadLibraryA(windowsName.c_str());
  if (!h) g_lastError = "LoadLibrary failed for " + windowsName + " (error " +
                        std::to_string(GetLastError()) + ")";
  return reinterpret_cast<LibraryHandle>(h);
#else
  std::string name = NativeLibraryName(windowsName);
  void* h = nullptr;
  if (name.find('/') == std::string::npos) {
    std::string local = ExecutableDirectory() + name;
    struct stat st;
    if (stat(local.c_str(), &st) == 0) h = dlopen(local.c_str(), RTLD_NOW | RTLD_LOCAL);
  }
  if (!h) h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!h) {
    const char* e = dlerror();
    g_lastError = e ? e : ("cannot load " + name);
  }
  return h;
#endif
}

void* LibrarySymbol(LibraryHandle lib, const char* name) {
  if (!lib || !name) return nullptr;
#ifdef _WIN32
  return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(lib), name));
#else
  return dlsym(lib, name);
#endif
}

void CloseLibrary(LibraryHandle lib) {
  if (!lib) return;
#ifdef _WIN32
  FreeLibrary(reinterpret_cast<HMODULE>(lib));
#else
  dlclose(lib);
#endif
}

std::string LastLibraryError() { return g_lastError; }

}  // namespace tess::platform
