// Version texts of the settings keys ("1.02", "2.0", "1.10"): parsed and
// compared numerically, component by component. No Windows API here.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace orv {

enum class VersionOrder : int { kEqual = 0, kNewer = 1, kOlder = 2 };

// The value of one component: its decimal number when it is made of the
// digits 0-9 only and fits a signed 32-bit integer, else 0 ("" and "x" are 0).
std::int32_t VersionPartValue(const std::wstring& part);

// How A stands to B. Missing trailing components count as 0 (1.2 equals
// 1.2.0), so 1.02 equals 1.2 and 1.10 is newer than 1.9.
VersionOrder CompareVersionText(const std::wstring& a, const std::wstring& b);

// Ascending version order; equal versions keep their order in the list.
void SortVersionList(std::vector<std::wstring>& list);

}  // namespace orv
