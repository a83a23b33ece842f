// The error report names what failed instead of showing a raw insert.
#include "generator/run_time_error.h"

#include <gtest/gtest.h>

namespace orv::quorlet {
namespace {

TEST(RunTimeErrorText, InsertsNameTheSubjectOrAnEllipsis) {
  const struct {
    const wchar_t* text;
    const wchar_t* subject;
    const wchar_t* want;
  } cases[] = {
      {L"Bad EXE format for %1.", L"C:\\Q\\Quorlet-ReadMe.txt", L"Bad EXE format for \u00ABC:\\Q\\Quorlet-ReadMe.txt\u00BB."},
      {L"Bad EXE format for %1.", L"", L"Bad EXE format for \u2026."},
      {L"%1 and %2!s! and %10", L"f", L"\u00ABf\u00BB and \u00ABf\u00BB and \u00ABf\u00BB"},
      {L"100% sure, %% kept, %0 kept", L"f", L"100% sure, %% kept, %0 kept"},
      {L"ends with %", L"f", L"ends with %"},
      {L"open form %1!s", L"f", L"open form \u00ABf\u00BB!s"},  // an unclosed form keeps its tail
  };
  for (const auto& c : cases) EXPECT_EQ(FillInserts(c.text, c.subject), c.want) << c.text;
}

TEST(RunTimeErrorText, SystemTextOfAFailedOpenNamesTheFile) {
  const std::wstring text = SystemErrorText(HRESULT_FROM_WIN32(ERROR_BAD_EXE_FORMAT), L"C:\\x.txt");
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text.find(L'%'), std::wstring::npos) << std::string(text.begin(), text.end());
  EXPECT_NE(text.find(L"\u00ABC:\\x.txt\u00BB"), std::wstring::npos) << std::string(text.begin(), text.end());
}

}  // namespace
}  // namespace orv::quorlet
