#include "generator/main_window_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>

namespace orv::quorlet {
namespace {

std::string Name(const ControlRow& row) {
  std::string name(row.name.begin(), row.name.end());  // the names are ASCII
  if (row.index >= 0) name += "(" + std::to_string(row.index) + ")";
  return name;
}

// Creation order is tab order, so the rows must run 0, 1, 2, ... without gaps.
TEST(LayoutTable, RowsRunInTabOrderWithoutGapsOrRepeats) {
  for (std::size_t i = 0; i < kLayout.size(); ++i)
    EXPECT_EQ(kLayout[i].tabIndex, static_cast<int>(i)) << Name(kLayout[i]);
  std::set<std::pair<std::wstring_view, int>> names;
  for (const ControlRow& row : kLayout) EXPECT_TRUE(names.insert({row.name, row.index}).second) << Name(row);
}

TEST(LayoutTable, ContainersAreFramesCreatedBeforeWhatTheyHoldAndHoldItWhole) {
  for (std::size_t i = 0; i < kLayout.size(); ++i) {
    const ControlRow& row = kLayout[i];
    if (row.container.empty()) {
      EXPECT_EQ(row.kind, ControlKind::Frame) << Name(row);
      EXPECT_LE(row.left + row.width, kClientWidthTwips) << Name(row);
      EXPECT_LE(row.top + row.height, kClientHeightTwips) << Name(row);
      continue;
    }
    const auto frame = FindRow(row.container);
    ASSERT_TRUE(frame.has_value()) << Name(row);
    EXPECT_LT(*frame, i) << Name(row);
    EXPECT_EQ(kLayout[*frame].kind, ControlKind::Frame) << Name(row);
    EXPECT_GT(row.left, 0) << Name(row);
    EXPECT_GT(row.top, 0) << Name(row);
    EXPECT_LE(row.left + row.width, kLayout[*frame].width) << Name(row);
    EXPECT_LE(row.top + row.height, kLayout[*frame].height) << Name(row);
  }
}

TEST(LayoutTable, EveryUpDownStandsDirectlyRightOfItsTextBox) {
  for (const NumberChoice& choice : kNumberChoices) {
    const auto text = FindRow(choice.textBox, choice.index);
    const auto arrows = FindRow(choice.upDown, choice.index);
    ASSERT_TRUE(text && arrows) << choice.index;
    const ControlRow& t = kLayout[*text];
    const ControlRow& u = kLayout[*arrows];
    EXPECT_EQ(t.kind, ControlKind::TextBox);
    EXPECT_EQ(u.kind, ControlKind::UpDown);
    EXPECT_EQ(u.left, t.left + t.width) << Name(u);
    EXPECT_EQ(u.top, t.top) << Name(u);
    EXPECT_EQ(u.height, t.height) << Name(u);
    EXPECT_EQ(u.container, t.container) << Name(u);
    EXPECT_EQ(u.tabIndex, t.tabIndex + 1) << Name(u);
  }
}

TEST(LayoutTable, SectionRowsAreTwoRowsOfFive) {
  struct Case {
    int index, left, top;
  };
  const Case cases[] = {{0, 180, 1500}, {4, 180 + 4 * 960, 1500}, {5, 180, 1920}, {9, 180 + 4 * 960, 1920}};
  for (const Case& c : cases) {
    const auto row = FindRow(L"txtSectionLen", c.index);
    ASSERT_TRUE(row);
    EXPECT_EQ(kLayout[*row].left, c.left) << c.index;
    EXPECT_EQ(kLayout[*row].top, c.top) << c.index;
  }
  EXPECT_FALSE(FindRow(L"txtSectionLen", kSectionCount));
}

TEST(NumberChoices, ValueNamesAreExactAndOnlyTenSectionLengthsExist) {
  const std::wstring_view expected[] = {L"Num Sections",  L"Num Section Len", L"Section Len 0", L"Section Len 1",
                                        L"Section Len 2", L"Section Len 3",   L"Section Len 4", L"Section Len 5",
                                        L"Section Len 6", L"Section Len 7",   L"Section Len 8", L"Section Len 9"};
  ASSERT_EQ(std::size(expected), kNumberChoices.size());
  for (std::size_t i = 0; i < kNumberChoices.size(); ++i) {
    EXPECT_EQ(kNumberChoices[i].valueName, expected[i]) << i;
    if (i >= kFirstSectionLenChoice) {
      EXPECT_EQ(kNumberChoices[i].index, static_cast<int>(i - kFirstSectionLenChoice));
    }
  }
}

TEST(NumberChoices, DefaultsLieInsideTheirRanges) {
  for (const NumberChoice& c : kNumberChoices) {
    EXPECT_GE(c.defaultValue, c.minimum) << c.index;
    EXPECT_LE(c.defaultValue, c.maximum) << c.index;
  }
  EXPECT_EQ(kNumberChoices[kNumSectionsChoice].maximum, kSectionCount);
}

TEST(FitRange, OutOfRangeFallsBackToTheDefaultNotTheNearerBound) {
  struct Case {
    std::int32_t value, fallback, minimum, maximum, expected;
  };
  const Case cases[] = {
      {11, 3, 1, 10, 3},  {0, 3, 1, 10, 3},       {10, 3, 1, 10, 10},     {1, 3, 1, 10, 1},
      {20, 4, 1, 20, 20}, {21, 4, 1, 20, 4},      {25, 5, 1, 20, 5},      {-1, 5, 1, 20, 5},
      {7, 5, 1, 20, 7},   {INT_MIN, 5, 1, 20, 5}, {INT_MAX, 5, 1, 20, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitRange(c.value, c.fallback, c.minimum, c.maximum), c.expected) << c.value;
  }
}

TEST(TwipsToPixels, RoundsToTheNearestPixelAtAnyDpi) {
  struct Case {
    int twips, dpi, pixels;
  };
  const Case cases[] = {
      {15, 96, 1}, {5415, 96, 361},  {4155, 96, 277},  {660, 96, 44},    {7, 96, 0},    {8, 96, 1},
      {0, 144, 0}, {5415, 144, 542}, {1440, 120, 120}, {2460, 120, 205}, {-15, 96, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << "@" << c.dpi;
}

TEST(KeyboardStepping, StepsByOneInsideTheRangeOnlyWithoutShiftKeys) {
  struct Case {
    int key, shift;
    std::int32_t value;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {kKeyUp, 0, 3, 4},
      {kKeyUp, 0, 10, std::nullopt},  // at the top: stays, no wrap
      {kKeyDown, 0, 2, 1},
      {kKeyDown, 0, 1, std::nullopt},  // at the bottom
      {kKeyUp, kShiftBit, 3, std::nullopt},
      {kKeyUp, kCtrlBit, 3, std::nullopt},
      {kKeyDown, kAltBit, 3, std::nullopt},
      {kKeyDown, kShiftBit | kCtrlBit, 3, std::nullopt},
      {kKeyInsert, 0, 3, std::nullopt},
      {37, 0, 3, std::nullopt},  // Left arrow
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SteppedValue(c.key, c.shift, c.value, 1, 10), c.expected) << c.key << "/" << c.shift << "/" << c.value;
  }
}

TEST(WindowKeys, OnlyTheExactShiftStateMatches) {
  struct Case {
    int key, shift;
    bool copy;
    WindowKeyAction action;
  };
  const Case cases[] = {
      {kKeyInsert, kCtrlBit, true, WindowKeyAction::None},
      {kKeyInsert, kCtrlBit | kShiftBit, false, WindowKeyAction::None},
      {kKeyInsert, 0, false, WindowKeyAction::None},
      {kKeyF1, 0, false, WindowKeyAction::OpenReadMe},
      {kKeyF1, kShiftBit, false, WindowKeyAction::ShowAbout},
      {kKeyF1, kCtrlBit, false, WindowKeyAction::None},
      {kKeyF1, kShiftBit | kAltBit, false, WindowKeyAction::None},
      {kKeyEscape, 0, false, WindowKeyAction::Unload},
      {kKeyEscape, kShiftBit, false, WindowKeyAction::None},
      {kKeyEscape, kCtrlBit, false, WindowKeyAction::None},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsCopyKey(c.key, c.shift), c.copy) << c.key << "/" << c.shift;
    EXPECT_EQ(WindowKeyActionFor(c.key, c.shift), c.action) << c.key << "/" << c.shift;
  }
}

}  // namespace
}  // namespace orv::quorlet
