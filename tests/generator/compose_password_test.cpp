#include "generator/compose_password.h"

#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <map>
#include <numeric>
#include <tuple>
#include <vector>

#ifdef _WIN32
#include "support/random.h"
#else
#include "support/uniform.h"
#endif

namespace orv {
namespace {

// The real generator where there is one; natively a seeded stand-in.
RandomDraw TestDraw() {
#ifdef _WIN32
  return [](std::int32_t lo, std::int32_t hi, std::int32_t* out) { return esGetRnd(lo, hi, 0, out); };
#else
  return [state = std::uint64_t{0x9E3779B97F4A7C15}](std::int32_t lo, std::int32_t hi, std::int32_t* out) mutable {
    return DrawUniform(
        lo, hi,
        [&state](std::uint32_t* w) {
          state += 0x9E3779B97F4A7C15;  // splitmix64
          std::uint64_t z = state;
          z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9;
          z = (z ^ (z >> 27)) * 0x94D049BB133111EB;
          *w = static_cast<std::uint32_t>((z ^ (z >> 31)) >> 32);
          return kOk;
        },
        out);
  };
#endif
}

bool IsIn(std::wstring_view alphabet, wchar_t c) { return alphabet.find(c) != std::wstring_view::npos; }
wchar_t Lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// Checks a password against the rule; returns true when the sections start
// with a consonant. Records a test failure otherwise.
bool CheckShape(const std::vector<std::int32_t>& lengths, const std::wstring& pw) {
  std::int64_t expected = 0;
  for (auto l : lengths) expected += l > 0 ? l : 0;
  EXPECT_EQ(static_cast<std::int64_t>(pw.size()), expected) << "password " << pw.size();
  bool startsWithConsonant = false, seenLetterSection = false;
  std::size_t pos = 0;
  for (std::size_t k = 0; k < lengths.size() && pos <= pw.size(); ++k) {
    const auto len = static_cast<std::size_t>(lengths[k] > 0 ? lengths[k] : 0);
    const std::wstring section = pw.substr(pos, len);
    pos += len;
    if (k + 1 == lengths.size()) {
      for (wchar_t c : section) EXPECT_TRUE(c >= L'0' && c <= L'9') << "digit section of " << pw;
      continue;
    }
    if (section.empty()) continue;
    const bool consonantFirst = IsIn(kConsonants, Lower(section[0]));
    if (seenLetterSection) {
      EXPECT_EQ(consonantFirst, startsWithConsonant) << "mixed starts in " << pw;
    }
    seenLetterSection = true;
    startsWithConsonant = consonantFirst;
    for (std::size_t j = 0; j < section.size(); ++j) {
      const wchar_t c = section[j];
      EXPECT_EQ(c >= L'A' && c <= L'Z', j == 0) << "letter case at " << j << " in " << pw;
      const bool wantConsonant = (j % 2 == 0) == consonantFirst;
      EXPECT_TRUE(IsIn(wantConsonant ? kConsonants : kVowels, Lower(c))) << "position " << j << " in " << pw;
    }
  }
  return startsWithConsonant;
}

TEST(ComposePassword, ShapesHoldOverManyPasswords) {
  const std::vector<std::vector<std::int32_t>> shapes = {
      {4, 3, 2},                                     // the worked shape: 9 characters
      {1, 1},                                        // the window's minimum: letter, digit
      {5, 5, 5, 4},                                  // the first-run choices: 19 characters
      {1, 1, 1, 3},                                  // one-letter sections restart the alternation
      {20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 20},  // the maximum: 220 characters
      {7},                                           // a single entry: digits only
      {0, -3, 2, 1},                                 // non-positive lengths add nothing
  };
  const RandomDraw draw = TestDraw();
  for (const auto& shape : shapes) {
    int consonantStarts = 0;
    for (int i = 0; i < 300; ++i) {
      std::wstring pw;
      ASSERT_EQ(ComposePassword(shape, draw, &pw), kOk);
      consonantStarts += CheckShape(shape, pw) ? 1 : 0;
      if (::testing::Test::HasFailure()) return;
    }
    // Both coin outcomes occur wherever a letter section exists.
    if (shape.size() > 1 && std::accumulate(shape.begin(), shape.end() - 1, 0) > 0) {
      EXPECT_GT(consonantStarts, 0);
      EXPECT_LT(consonantStarts, 300);
    }
  }
}

TEST(ComposePassword, EveryLetterOfBothAlphabetsAppearsAndYOnlyAsAVowel) {
  const RandomDraw draw = TestDraw();
  std::wstring all;
  for (int i = 0; i < 200; ++i) {
    std::wstring pw;
    ASSERT_EQ(ComposePassword(std::vector<std::int32_t>{20, 20, 1}, draw, &pw), kOk);
    CheckShape({20, 20, 1}, pw);
    all += pw;
  }
  for (wchar_t c : kConsonants) EXPECT_TRUE(IsIn(all, c)) << static_cast<char>(c);
  for (wchar_t c : kVowels) EXPECT_TRUE(IsIn(all, c)) << static_cast<char>(c);
}

// Scripted draws: checks every requested range and the exact left-to-right layout.
struct Script {
  std::deque<std::tuple<std::int32_t, std::int32_t, std::int32_t>> steps;  // lower, upper, answer
  Status failWith = kOk;
  RandomDraw Draw() {
    return [this](std::int32_t lo, std::int32_t hi, std::int32_t* out) {
      if (steps.empty()) return failWith == kOk ? kFail : failWith;
      auto [wantLo, wantHi, answer] = steps.front();
      steps.pop_front();
      EXPECT_EQ(lo, wantLo);
      EXPECT_EQ(hi, wantHi);
      *out = answer;
      return kOk;
    };
  }
};

TEST(ComposePassword, ExactSequenceStartingWithConsonants) {
  Script s{{{0, 1, 1},  // coin: consonants first
            {1, 20, 1},
            {1, 6, 1},
            {1, 20, 20},
            {1, 6, 6},  // B a z y
            {1, 20, 2},
            {1, 6, 2},
            {1, 20, 3},  // C e d
            {0, 9, 0},
            {0, 9, 9}}};  // 0 9
  std::wstring pw;
  ASSERT_EQ(ComposePassword(std::vector<std::int32_t>{4, 3, 2}, s.Draw(), &pw), kOk);
  EXPECT_EQ(pw, L"BazyCed09");
  EXPECT_TRUE(s.steps.empty());
}

TEST(ComposePassword, ExactSequenceStartingWithVowels) {
  Script s{{{0, 1, 0}, {1, 6, 6}, {1, 20, 20}, {1, 6, 1}, {0, 9, 5}}};
  std::wstring pw;
  ASSERT_EQ(ComposePassword(std::vector<std::int32_t>{2, 1, 1}, s.Draw(), &pw), kOk);
  EXPECT_EQ(pw, L"YzA5");
  EXPECT_TRUE(s.steps.empty());
}

TEST(ComposePassword, FailingDrawStopsAndLeavesThePasswordAlone) {
  Script s{{{0, 1, 1}, {1, 20, 1}}, static_cast<Status>(0x80090020)};
  std::wstring pw = L"previous";
  EXPECT_EQ(ComposePassword(std::vector<std::int32_t>{4, 2}, s.Draw(), &pw), static_cast<Status>(0x80090020));
  EXPECT_EQ(pw, L"previous");
}

TEST(ComposePassword, DrawOutsideTheAskedRangeIsRefused) {
  Script s{{{0, 1, 1}, {1, 20, 21}}};
  std::wstring pw = L"previous";
  EXPECT_EQ(ComposePassword(std::vector<std::int32_t>{4, 2}, s.Draw(), &pw), kUnexpected);
  EXPECT_EQ(pw, L"previous");
}

TEST(ComposePassword, AbsurdLengthIsRefusedBeforeDrawing) {
  Script s{};
  std::wstring pw = L"previous";
  EXPECT_EQ(ComposePassword(std::vector<std::int32_t>{INT32_MAX, INT32_MAX, 4}, s.Draw(), &pw), kInvalidArg);
  EXPECT_EQ(pw, L"previous");
  EXPECT_EQ(ComposePassword(std::vector<std::int32_t>{1, 1}, s.Draw(), nullptr), kPointer);
}

TEST(ComposePassword, EmptyListTossesTheCoinAndGivesNothing) {
  Script s{{{0, 1, 0}}};
  std::wstring pw = L"previous";
  ASSERT_EQ(ComposePassword({}, s.Draw(), &pw), kOk);
  EXPECT_EQ(pw, L"");
}

TEST(PasswordStrength, ExactFiguresRoundedDown) {
  const std::pair<std::vector<std::int32_t>, std::int32_t> cases[] = {
      {{5, 5, 5, 4}, 63},                                  // the first-run shape: 63.48
      {std::vector<std::int32_t>(11, 20), 758},            // the largest
      {{20, 20, 20, 20, 20, 20, 20, 20, 20, 2, 17}, 685},  // 685.99982: just below an integer
      {{13, 13, 13, 13, 13, 13, 13, 13, 13, 12, 1}, 442},  // 442.000026: just above one
      {{0, -2, 3}, 9},                                     // no letter: the coin adds nothing
      {{0}, 0},                                            // one password, certain
  };
  for (const auto& [shape, want] : cases) {
    std::int32_t bits = -1;
    EXPECT_EQ(PasswordStrength(shape, &bits), kOk);
    EXPECT_EQ(bits, want) << shape.size() << " entries";
  }
  std::int32_t bits = 7;
  EXPECT_EQ(PasswordStrength(std::vector<std::int32_t>{INT32_MAX, 4}, &bits), kInvalidArg);
  EXPECT_EQ(bits, 7);
}

// Runs ComposePassword once for every sequence of draws and adds up each
// password's chance; the strength is -log2 of the largest.
TEST(PasswordStrength, MatchesACountOfEveryPasswordOfTinyShapes) {
  const std::vector<std::vector<std::int32_t>> shapes = {{1, 1}, {2, 1}, {3, 1}, {1, 2, 1}, {0, 2}, {2}, {0, 1, 0}};
  for (const auto& shape : shapes) {
    std::map<std::wstring, double> chance;
    std::vector<std::pair<std::int32_t, std::int32_t>> path;  // per draw: answer, upper bound
    do {
      std::size_t depth = 0;
      double p = 1;
      const RandomDraw walk = [&](std::int32_t lo, std::int32_t hi, std::int32_t* out) {
        if (depth == path.size()) path.emplace_back(lo, hi);
        *out = path[depth++].first;
        p /= hi - lo + 1;
        return kOk;
      };
      std::wstring pw;
      ASSERT_EQ(ComposePassword(shape, walk, &pw), kOk);
      chance[pw] += p;  // without a letter both coin sides give the same passwords
      // The next sequence: step the last draw that has not reached its upper bound.
      while (!path.empty() && path.back().first == path.back().second) path.pop_back();
      if (!path.empty()) ++path.back().first;
    } while (!path.empty());
    double likeliest = 0;
    for (const auto& [pw, p] : chance) likeliest = std::max(likeliest, p);
    std::int32_t bits = -1;
    ASSERT_EQ(PasswordStrength(shape, &bits), kOk);
    EXPECT_EQ(bits, static_cast<std::int32_t>(std::floor(-std::log2(likeliest)))) << chance.size() << " passwords";
  }
}

}  // namespace
}  // namespace orv
