// Loads Brindle0200.dll from the test program's own folder and makes objects
// through its exported class factory, as COM would, without registration.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <string>

#include "support/com_types.h"

namespace orv::test {

// Brindle0200.dll beside the running test program.
inline std::wstring ServerDllPath() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"Brindle0200.dll";
}

class ServerLoader {
 public:
  ServerLoader() {
    module_ = LoadLibraryW(ServerDllPath().c_str());
    if (module_) {
      getClassObject_ = reinterpret_cast<decltype(getClassObject_)>(
          reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
      canUnloadNow_ = reinterpret_cast<decltype(canUnloadNow_)>(
          reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    }
  }
  ~ServerLoader() {
    if (module_) FreeLibrary(module_);
  }
  ServerLoader(const ServerLoader&) = delete;
  ServerLoader& operator=(const ServerLoader&) = delete;

  bool Loaded() const { return getClassObject_ != nullptr; }
  HMODULE Module() const { return module_; }

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) const {
    return getClassObject_ ? getClassObject_(clsid, iid, out) : E_FAIL;
  }
  HRESULT CanUnloadNow() const { return canUnloadNow_ ? canUnloadNow_() : E_FAIL; }

  // A new object of a creatable class, asked for T.
  template <class T>
  HRESULT Create(REFCLSID clsid, ComPtr<T>* out) const {
    ComPtr<IClassFactory> factory;
    HRESULT hr = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put()));
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, __uuidof(T), reinterpret_cast<void**>(out->Put()));
  }

 private:
  HMODULE module_ = nullptr;
  HRESULT(STDAPICALLTYPE* getClassObject_)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(STDAPICALLTYPE* canUnloadNow_)() = nullptr;
};

}  // namespace orv::test
