// ThrowIfFailed: whose description a failure carries.
#include "support/errors.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include "support/com_types.h"

namespace orv {
namespace {

void LeaveErrorInfo(const wchar_t* description) {
  ComPtr<ICreateErrorInfo> create;
  ASSERT_EQ(CreateErrorInfo(create.Put()), S_OK);
  create->SetDescription(const_cast<LPOLESTR>(description));
  ComPtr<IErrorInfo> info;
  ASSERT_EQ(create.As(&info), S_OK);
  SetErrorInfo(0, info.Get());
}

std::wstring Thrown(HRESULT hr, const wchar_t* what) {
  try {
    ThrowIfFailed(hr, what);
  } catch (const ComError& e) {
    EXPECT_EQ(e.hr(), hr);
    return e.description();
  }
  return L"(nothing thrown)";
}

TEST(ThrowIfFailed, TakesTheCalleesDescriptionOnceElseItsOwn) {
  struct Case {
    const char* label;
    const wchar_t* left;  // what the failed callee left, nullptr for nothing
    const wchar_t* what;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {"the callee's text", L"Callee's text", L"Own text", L"Callee's text"},
      {"an empty description is none", L"", L"Own text", L"Own text"},
      {"nothing left", nullptr, L"Own text", L"Own text"},
      {"nothing to say: the reporter's system text", nullptr, L"", L""},
  };
  for (const Case& c : cases) {
    ClearErrorInfo();
    if (c.left) LeaveErrorInfo(c.left);
    EXPECT_EQ(Thrown(E_FAIL, c.what), c.expected) << c.label;
    // Taken, so the next failure does not inherit it.
    EXPECT_EQ(Thrown(E_FAIL, L"next"), L"next") << c.label;
  }
  LeaveErrorInfo(L"kept");
  ThrowIfFailed(S_FALSE, L"success throws nothing and takes nothing");
  EXPECT_EQ(Thrown(E_FAIL, L""), L"kept");
}

}  // namespace
}  // namespace orv
