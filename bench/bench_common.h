// Timing and the plain Win32 read that the benchmarks compare against.
#pragma once
#include <windows.h>

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
