// See automation.h: late binding through IDispatch (CLSIDFromProgID, CoCreateInstance,
// GetIDsOfNames, Invoke).  COM is initialised for the calling thread on first use, as a
// single-threaded apartment, the model the program's windows need anyway.
#include "platform/automation.h"

#include "platform/ansi_text.h"

#include "platform/win32.h"
// After win32.h (which leaves OLE out):
#include <ole2.h>
#include <oleauto.h>

#include <map>
#include <optional>

#include "platform/automation_date.h"
#include "platform/scoped_variant.h"

namespace tess::platform {

std::wstring AnsiToWide(const std::string& S) {
  const int n = MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  if (n > 0) MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  return w;
}

std::string WideToAnsi(const wchar_t* W, size_t Length) {
  if (W == nullptr || Length == 0) return std::string();
  const int len = static_cast<int>(Length);
  const int n = WideCharToMultiByte(CP_ACP, 0, W, len, nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  if (n > 0) WideCharToMultiByte(CP_ACP, 0, W, len, s.data(), n, nullptr, nullptr);
  return s;
}

namespace {

std::wstring Wide(const std::string& S) {
  return AnsiToWide(S);
}

std::string Narrow(BSTR B) {
  return B != nullptr ? WideToAnsi(B, SysStringLen(B)) : std::string();
}

// Frees the strings of an EXCEPINFO.
struct ScopedExcepInfo {
  EXCEPINFO e{};
  ~ScopedExcepInfo() {
    SysFreeString(e.bstrSource);
    SysFreeString(e.bstrDescription);
    SysFreeString(e.bstrHelpFile);
  }
};

bool HoldsMoreThanADouble(VARTYPE T) {
  return T == VT_DECIMAL || T == VT_I8 || T == VT_UI8 || T == VT_CY;
}

// A number's digits as they are, with "." before the fraction whatever the user's locale.
std::string ExactText(VARIANT& V) {
  ScopedVariant s;
  const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
  if (FAILED(VariantChangeTypeEx(&s.v, &V, english, VARIANT_NOUSEROVERRIDE, VT_BSTR)))
    return std::string();
  return Narrow(s.v.bstrVal);
}

void EnsureCom() {
  // S_FALSE and RPC_E_CHANGED_MODE both leave COM usable on this thread.
  thread_local const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)hr;
}

class DispatchObject : public AutomationObject {
 public:
  explicit DispatchObject(IDispatch* D) : disp_(D) {}  // takes the reference
  ~DispatchObject() override { disp_->Release(); }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  AutoValue Get(const std::string& Name, const std::vector<AutoValue>& Args) override {
    return Invoke(Name, DISPATCH_PROPERTYGET | DISPATCH_METHOD, Args);
  }
  AutoValue Call(const std::string& Name, const std::vector<AutoValue>& Args) override {
    return Invoke(Name, DISPATCH_METHOD | DISPATCH_PROPERTYGET, Args);
  }

 private:
  DISPID IdOf(const std::string& Name) {
    auto it = ids_.find(Name);
    if (it != ids_.end()) return it->second;
    std::wstring w = Wide(Name);
    LPOLESTR names[1] = {w.data()};
    DISPID id = DISPID_UNKNOWN;
    const HRESULT hr = disp_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) throw AutomationError("Unknown member " + Name, static_cast<int32_t>(hr));
    ids_.emplace(Name, id);
    return id;
  }

  AutoValue Invoke(const std::string& Name, WORD Flags, const std::vector<AutoValue>& Args) {
    const DISPID id = IdOf(Name);
    // Arguments go in reverse order.
    std::vector<VARIANT> args(Args.size());
    for (size_t i = 0; i < Args.size(); ++i) {
      VARIANT& v = args[Args.size() - 1 - i];
      VariantInit(&v);
      ToVariant(Args[i], v);
    }
    DISPPARAMS params{args.empty() ? nullptr : args.data(), nullptr,
                      static_cast<UINT>(args.size()), 0};
    ScopedVariant result;
    ScopedExcepInfo info;
    UINT argErr = 0;
    const HRESULT hr =
        disp_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, Flags, &params, &result.v, &info.e, &argErr);
    for (VARIANT& v : args) VariantClear(&v);
    if (hr == DISP_E_EXCEPTION) {
      if (info.e.pfnDeferredFillIn != nullptr) info.e.pfnDeferredFillIn(&info.e);
      const int32_t code = info.e.wCode != 0 ? info.e.wCode : static_cast<int32_t>(info.e.scode);
      throw AutomationError(Narrow(info.e.bstrDescription), code);
    }
    if (FAILED(hr)) throw AutomationError(Name + " failed", static_cast<int32_t>(hr));
    return FromVariant(result.v);
  }

  static void ToVariant(const AutoValue& A, VARIANT& V) {
    switch (A.kind) {
      case AutoValue::kNull:
        V.vt = VT_NULL;
        break;
      case AutoValue::kInteger:
        V.vt = VT_I4;
        V.lVal = A.integer;
        break;
      case AutoValue::kBoolean:
        V.vt = VT_BOOL;
        V.boolVal = A.integer != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
      case AutoValue::kReal:
        V.vt = VT_R8;
        V.dblVal = A.number;
        break;
      case AutoValue::kDate:
        V.vt = VT_DATE;
        V.date = A.number;
        break;
      case AutoValue::kText: {
        std::wstring w = Wide(A.text);
        V.bstrVal = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
        V.vt = VT_BSTR;
        break;
      }
      default:
        V.vt = VT_EMPTY;
    }
  }

  static AutoValue FromVariant(VARIANT& V) {
    AutoValue a;
    VARIANT* v = &V;
    if ((V.vt & VT_BYREF) != 0 && (V.vt & ~VT_BYREF) == VT_VARIANT && V.pvarVal != nullptr)
      v = V.pvarVal;
    switch (v->vt) {
      case VT_EMPTY:
        return a;
      case VT_NULL:
        a.kind = AutoValue::kNull;
        return a;
      case VT_BOOL:
        a.kind = AutoValue::kBoolean;
        a.integer = v->boolVal != VARIANT_FALSE ? 1 : 0;
        return a;
      case VT_I1:
      case VT_I2:
      case VT_I4:
      case VT_INT:
      case VT_UI1:
      case VT_UI2: {
        ScopedVariant i;
        VariantChangeType(&i.v, v, 0, VT_I4);
        return AutoValue::Integer(i.v.lVal);
      }
      case VT_BSTR:
        return AutoValue::Text(Narrow(v->bstrVal));
      case VT_DISPATCH:
        a.kind = AutoValue::kObject;
        if (v->pdispVal != nullptr) {
          v->pdispVal->AddRef();
          a.object = std::make_shared<DispatchObject>(v->pdispVal);
        }
        return a;
      case VT_UNKNOWN: {
        IDispatch* d = nullptr;
        if (v->punkVal == nullptr) {
          a.kind = AutoValue::kObject;
        } else if (SUCCEEDED(v->punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d)))) {
          a.kind = AutoValue::kObject;
          a.object = std::make_shared<DispatchObject>(d);
        } else {
          a.kind = AutoValue::kOther;
        }
        return a;
      }
      case VT_DATE: {
        a.kind = AutoValue::kDate;
        a.number = v->date;
        ScopedVariant s;
        if (SUCCEEDED(VariantChangeType(&s.v, v, 0, VT_BSTR))) {
          a.text = Narrow(s.v.bstrVal);
        } else if (std::optional<CivilTime> t = CivilTimeOf(v->date)) {
          a.text = CivilTimeText(*t);
        }
        return a;
      }
      default: {
        // Every other number (R4, R8, CY, DECIMAL, I8 ...) as a double; those that may
        // hold more digits than a double keep their exact text too.
        ScopedVariant d;
        if (SUCCEEDED(VariantChangeType(&d.v, v, 0, VT_R8))) {
          a.kind = AutoValue::kReal;
          a.number = d.v.dblVal;
        } else {
          a.kind = AutoValue::kOther;
        }
        if (a.kind == AutoValue::kReal && HoldsMoreThanADouble(v->vt)) a.text = ExactText(*v);
        return a;
      }
    }
  }

  IDispatch* disp_;
  std::map<std::string, DISPID> ids_;
};

}  // namespace

CreateResult CreateAutomationObject(const std::string& ProgId,
                                    std::shared_ptr<AutomationObject>& Object) {
  Object.reset();
  EnsureCom();
  CLSID clsid;
  std::wstring w = Wide(ProgId);
  if (FAILED(CLSIDFromProgID(w.c_str(), &clsid))) return CreateResult::kNotRegistered;
  IUnknown* unknown = nullptr;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&unknown))))
    return CreateResult::kNotRegistered;
  IDispatch* disp = nullptr;
  const HRESULT hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp));
  unknown->Release();
  if (FAILED(hr) || disp == nullptr) return CreateResult::kNotDispatch;
  Object = std::make_shared<DispatchObject>(disp);
  return CreateResult::kCreated;
}

}  // namespace tess::platform
