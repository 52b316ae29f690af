// The COM entry points of olesrv.dll: the class factory of the session object, the
// unload test, and registration of the ProgID "OracleInProcServer.XOraSession" with its
// class id under HKEY_CLASSES_ROOT, pointing at this module's own file.
#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <ole2.h>

#include <atomic>
#include <initializer_list>
#include <string>

#include "olesrv/automation_objects.h"

namespace {

HMODULE g_module = nullptr;
std::atomic<long> g_locks{0};

const char* const kProgId = "OracleInProcServer.XOraSession";
const char* const kClsidText = "{A3145EF6-E73A-4172-92A4-58BFB8828B2B}";
const char* const kDescription = "SQL Tessellar automation session";
// {A3145EF6-E73A-4172-92A4-58BFB8828B2B}
const CLSID kClsid = {0xa3145ef6, 0xe73a, 0x4172, {0x92, 0xa4, 0x58, 0xbf, 0xb8, 0x82, 0x8b, 0x2b}};

class ClassFactory : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Riid, void** Out) override {
    if (Out == nullptr) return E_POINTER;
    if (IsEqualIID(Riid, IID_IUnknown) || IsEqualIID(Riid, IID_IClassFactory)) {
      *Out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  // The factory is static: its references only keep the module loaded.
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++g_locks); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--g_locks); }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* Outer, REFIID Riid, void** Out) override {
    if (Out == nullptr) return E_POINTER;
    *Out = nullptr;
    if (Outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* session = static_cast<IDispatch*>(tess::olesrv::NewSessionObject());
    if (session == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = session->QueryInterface(Riid, Out);
    session->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL Lock) override {
    if (Lock)
      ++g_locks;
    else
      --g_locks;
    return S_OK;
  }
};

ClassFactory g_factory;

bool SetKey(const std::string& Path, const char* Name, const std::string& Value) {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CLASSES_ROOT, Path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = RegSetValueExA(key, Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                                 static_cast<DWORD>(Value.size() + 1));
  RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

// Deletes a key whose subkeys are listed first (RegDeleteKeyA removes only leaves).
void DeleteKeys(std::initializer_list<std::string> LeavesFirst) {
  for (const std::string& k : LeavesFirst) RegDeleteKeyA(HKEY_CLASSES_ROOT, k.c_str());
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE Instance, DWORD Reason, LPVOID) {
  if (Reason == DLL_PROCESS_ATTACH) {
    g_module = Instance;
    DisableThreadLibraryCalls(Instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID Clsid, REFIID Riid, LPVOID* Out) {
  if (Out == nullptr) return E_POINTER;
  *Out = nullptr;
  if (!IsEqualCLSID(Clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
  return g_factory.QueryInterface(Riid, Out);
}

STDAPI DllCanUnloadNow() {
  return tess::olesrv::LiveObjects() == 0 && g_locks.load() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() try {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(g_module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return E_FAIL;
  const std::string clsidKey = std::string("CLSID\\") + kClsidText;
  const bool ok = SetKey(kProgId, nullptr, kDescription) &&
                  SetKey(std::string(kProgId) + "\\CLSID", nullptr, kClsidText) &&
                  SetKey(clsidKey, nullptr, kDescription) &&
                  SetKey(clsidKey + "\\ProgID", nullptr, kProgId) &&
                  SetKey(clsidKey + "\\InprocServer32", nullptr, path) &&
                  SetKey(clsidKey + "\\InprocServer32", "ThreadingModel", "Apartment");
  return ok ? S_OK : E_FAIL;
} catch (...) {
  // Nothing leaves an entry point; only building the key names can fail.
  return E_OUTOFMEMORY;
}

STDAPI DllUnregisterServer() try {
  const std::string clsidKey = std::string("CLSID\\") + kClsidText;
  DeleteKeys({std::string(kProgId) + "\\CLSID", kProgId, clsidKey + "\\InprocServer32",
              clsidKey + "\\ProgID", clsidKey});
  return S_OK;
} catch (...) {
  return E_OUTOFMEMORY;
}
