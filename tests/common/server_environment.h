// One server per test program: COM started, Brindle0200.dll loaded, and a
// registry key of this process's own (HKCU\Software\OrvaneTests\<label>-<pid>)
// removed when the program ends.
#pragma once
#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/common/server_loader.h"

namespace orv::test {

inline std::unique_ptr<ServerLoader> g_loader;
inline std::wstring g_base;

class ServerEnvironment : public ::testing::Environment {
 public:
  explicit ServerEnvironment(const wchar_t* label) : label_(label) {}
  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_loader = std::make_unique<ServerLoader>();
    g_base = L"Software\\OrvaneTests\\" + label_ + L"-" + std::to_wstring(GetCurrentProcessId());
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_CURRENT_USER, g_base.c_str());
    g_loader.reset();
    CoUninitialize();
  }

 private:
  std::wstring label_;
};

}  // namespace orv::test
