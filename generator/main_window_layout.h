// The design of Quorlet's window: one row per control, in tab order, with
// positions in twips relative to the control's container (the window's client
// area or a frame), and the number controls with their ranges and stored
// names. Windows-free, so the tables can be checked natively.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orv::quorlet {

enum class ControlKind { Frame, Label, TextBox, UpDown, Button };

struct ControlRow {
  std::wstring_view name;  // "txtSectionLen"
  int index;               // element of a control array, or -1
  ControlKind kind;
  std::wstring_view container;   // name of the frame holding it; empty: the window
  int left, top, width, height;  // twips
  int tabIndex;
  std::wstring_view caption;
};

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidthTwips = 5415;
inline constexpr int kClientHeightTwips = 4155;
inline constexpr std::wstring_view kWindowCaption = L"Quorlet";
inline constexpr std::wstring_view kWindowClass = L"OrvaneQuorletMain";

struct FontDesign {
  std::wstring_view face;
  int points;
  int weight;
  int charset;
};
inline constexpr FontDesign kWindowFont{L"Tahoma", 9, 400, 204};
// Only name, size and character set are set on the number and password boxes.
inline constexpr FontDesign kMonoFont{L"Courier New", 10, 400, 204};

inline constexpr int kSectionCount = 10;
inline constexpr int kLayoutRows = 14 + 2 * kSectionCount;

namespace detail {

constexpr std::array<ControlRow, kLayoutRows> BuildLayout() {
  using K = ControlKind;
  constexpr std::wstring_view data = L"fraData", result = L"fraResult";
  std::array<ControlRow, kLayoutRows> rows{};
  std::size_t n = 0;
  rows[n++] = {L"fraData", -1, K::Frame, L"", 120, 120, 5175, 2415, 0, L"Условия создания пароля"};
  rows[n++] = {L"lblTag", 0, K::Label, data, 180, 380, 1800, 195, 1, L"Количество секций:"};
  rows[n++] = {L"txtNumSections", -1, K::TextBox, data, 2460, 360, 660, 315, 2, L""};
  rows[n++] = {L"udNumSections", -1, K::UpDown, data, 3120, 360, 240, 315, 3, L""};
  rows[n++] = {L"lblTag", 4, K::Label, data, 180, 795, 2115, 210, 4, L"Длина числовой секции:"};
  rows[n++] = {L"txtNumSectionLen", -1, K::TextBox, data, 2460, 780, 660, 315, 5, L""};
  rows[n++] = {L"udNumSectionLen", -1, K::UpDown, data, 3120, 780, 240, 315, 6, L""};
  rows[n++] = {L"lblTag", 1, K::Label, data, 180, 1200, 1335, 195, 7, L"Длина секций:"};
  // Two rows of five; each up-down stands right of its text box.
  for (int i = 0; i < kSectionCount; ++i) {
    const int top = i < 5 ? 1500 : 1920;
    rows[n++] = {L"txtSectionLen", i, K::TextBox, data, 180 + 960 * (i % 5), top, 660, 315, 8 + 2 * i, L""};
    rows[n++] = {L"udSectionLen", i, K::UpDown, data, 840 + 960 * (i % 5), top, 240, 315, 9 + 2 * i, L""};
  }
  rows[n++] = {L"cmdGenerate", -1, K::Button, data, 3600, 300, 1395, 435, 28, L"Создать"};
  rows[n++] = {L"fraResult", -1, K::Frame, L"", 120, 2640, 5175, 1395, 29, L"Готовый пароль"};
  rows[n++] = {L"txtPassword", -1, K::TextBox, result, 180, 360, 4815, 315, 30, L""};
  rows[n++] = {L"lblTag", 2, K::Label, result, 180, 780, 2670, 195, 31, L"Ctrl+Ins - скопировать пароль"};
  rows[n++] = {L"lblTag", 3, K::Label, result, 180, 1020, 1050, 195, 32, L"Esc - выход"};
  rows[n++] = {L"cmdCopy", -1, K::Button, result, 3360, 780, 1635, 435, 33, L"Скопировать"};
  return rows;
}

}  // namespace detail

inline constexpr std::array<ControlRow, kLayoutRows> kLayout = detail::BuildLayout();

// Control identifiers follow the tab order; none collides with IDOK or IDCANCEL.
inline constexpr int kFirstControlId = 1000;
constexpr int ControlIdOf(const ControlRow& row) { return kFirstControlId + row.tabIndex; }

constexpr std::optional<std::size_t> FindRow(std::wstring_view name, int index = -1) {
  for (std::size_t i = 0; i < kLayout.size(); ++i) {
    if (kLayout[i].name == name && kLayout[i].index == index) return i;
  }
  return std::nullopt;
}

// Rounds to the nearest pixel, as the form runtime scales its design.
constexpr int TwipsToPixels(int twips, int dotsPerInch) {
  const std::int64_t scaled = static_cast<std::int64_t>(twips) * dotsPerInch;
  const std::int64_t half = kTwipsPerInch / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch : -((-scaled + half) / kTwipsPerInch));
}

// A number shown in a text box and held by the up-down control bound to it,
// with its range and the value that stores it.
struct NumberChoice {
  std::wstring_view textBox;
  std::wstring_view upDown;
  int index;  // element of the control arrays, or -1
  std::int32_t minimum, maximum;
  std::wstring_view valueName;
  std::int16_t defaultValue;
};

inline constexpr std::array<NumberChoice, 2 + kSectionCount> kNumberChoices{{
    {L"txtNumSections", L"udNumSections", -1, 1, 10, L"Num Sections", 3},
    {L"txtNumSectionLen", L"udNumSectionLen", -1, 1, 20, L"Num Section Len", 4},
    {L"txtSectionLen", L"udSectionLen", 0, 1, 20, L"Section Len 0", 5},
    {L"txtSectionLen", L"udSectionLen", 1, 1, 20, L"Section Len 1", 5},
    {L"txtSectionLen", L"udSectionLen", 2, 1, 20, L"Section Len 2", 5},
    {L"txtSectionLen", L"udSectionLen", 3, 1, 20, L"Section Len 3", 5},
    {L"txtSectionLen", L"udSectionLen", 4, 1, 20, L"Section Len 4", 5},
    {L"txtSectionLen", L"udSectionLen", 5, 1, 20, L"Section Len 5", 5},
    {L"txtSectionLen", L"udSectionLen", 6, 1, 20, L"Section Len 6", 5},
    {L"txtSectionLen", L"udSectionLen", 7, 1, 20, L"Section Len 7", 5},
    {L"txtSectionLen", L"udSectionLen", 8, 1, 20, L"Section Len 8", 5},
    {L"txtSectionLen", L"udSectionLen", 9, 1, 20, L"Section Len 9", 5},
}};
inline constexpr std::size_t kNumSectionsChoice = 0;
inline constexpr std::size_t kNumSectionLenChoice = 1;
inline constexpr std::size_t kFirstSectionLenChoice = 2;

// A stored value outside the range falls back to the default, not to the
// nearer bound.
constexpr std::int32_t FitRange(std::int32_t value, std::int32_t defaultValue, std::int32_t minimum,
                                std::int32_t maximum) {
  if (value < minimum) return defaultValue;
  if (value <= maximum) return value;
  return defaultValue;
}

// Key codes and shift bits of the window's key events.
inline constexpr int kKeyEscape = 27;
inline constexpr int kKeyInsert = 45;
inline constexpr int kKeyUp = 38;
inline constexpr int kKeyDown = 40;
inline constexpr int kKeyF1 = 112;
inline constexpr int kShiftBit = 1, kCtrlBit = 2, kAltBit = 4;

// The value after an arrow key in a number box; nothing for other keys and
// for any shift state but none. Never leaves the range.
constexpr std::optional<std::int32_t> SteppedValue(int keyCode, int shift, std::int32_t value, std::int32_t minimum,
                                                   std::int32_t maximum) {
  if (shift != 0) return std::nullopt;
  if (keyCode == kKeyUp) return value < maximum ? std::optional<std::int32_t>(value + 1) : std::nullopt;
  if (keyCode == kKeyDown) return value > minimum ? std::optional<std::int32_t>(value - 1) : std::nullopt;
  return std::nullopt;
}

enum class WindowKeyAction { None, ShowAbout, OpenReadMe, Unload };

// The window-wide keys after the copy check: the first rule that matches.
constexpr WindowKeyAction WindowKeyActionFor(int keyCode, int shift) {
  if (keyCode == kKeyF1 && shift == kShiftBit) return WindowKeyAction::ShowAbout;
  if (keyCode == kKeyF1 && shift == 0) return WindowKeyAction::OpenReadMe;
  if (keyCode == kKeyEscape && shift == 0) return WindowKeyAction::Unload;
  return WindowKeyAction::None;
}

constexpr bool IsCopyKey(int keyCode, int shift) { return keyCode == kKeyInsert && shift == kCtrlBit; }

}  // namespace orv::quorlet
