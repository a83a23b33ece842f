// Timing and the plain Win32 read that the benchmarks compare against.
#pragma once
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace orv::bench {

inline double Now() {
  static const LARGE_INTEGER f = [] {
    LARGE_INTEGER q;
    QueryPerformanceFrequency(&q);
    return q;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// One object of a class of the server loaded from beside the benchmark; a
// benchmark without it has nothing to measure, so the program ends.
template <class Loader, class Ptr>
void CreateOrExit(const Loader& server, REFCLSID clsid, Ptr* out) {
  if (!server.Loaded() || FAILED(server.Create(clsid, out))) {
    std::fprintf(stderr, "cannot load Brindle0200.dll\n");
    std::exit(1);
  }
}

// Best of several rounds, so a stray pause on the machine does not count.
template <class F>
double BestSeconds(int rounds, F&& f) {
  double best = 1e30;
  for (int r = 0; r < rounds; ++r) {
    const double a = Now();
    f();
    const double s = Now() - a;
    if (s < best) best = s;
  }
  return best;
}

// Open, query the size, query the data, close: what reading one value costs.
inline bool DirectRead(const std::wstring& path, const wchar_t* name, std::vector<BYTE>& buf) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  LONG st = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  if (st == ERROR_SUCCESS && size > 0) {
    buf.resize(size);
    st = RegQueryValueExW(key, name, nullptr, &type, buf.data(), &size);
  }
  RegCloseKey(key);
  return st == ERROR_SUCCESS;
}

}  // namespace orv::bench
