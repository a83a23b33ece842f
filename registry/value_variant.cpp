// Automation data to and from registry bytes. Decode writes *out only when
// the bytes convert for the type.
#include "registry/value_variant.h"

#include <climits>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "registry/reg_api.h"
#include "registry/value_codec.h"
#include "server/variant_args.h"
#include "support/com_types.h"

namespace orv::reg {
namespace {

// How data of each registry type code crosses between VARIANT and bytes;
// codes not listed (REG_NONE, REG_BINARY and all others) are raw bytes.
enum class DataForm { Text, MultiText, Dword, Raw };

struct FormRule {
  LONG type;
  DataForm form;
};

constexpr FormRule kFormRules[] = {
    {REG_SZ, DataForm::Text},     {REG_EXPAND_SZ, DataForm::Text},         {REG_MULTI_SZ, DataForm::MultiText},
    {REG_DWORD, DataForm::Dword}, {REG_DWORD_BIG_ENDIAN, DataForm::Dword},
};

DataForm FormOf(LONG type) {
  for (const FormRule& rule : kFormRules) {
    if (rule.type == type) return rule.form;
  }
  return DataForm::Raw;
}

// Platform allocations that fail make the call fail (E_OUTOFMEMORY at the boundary).
template <class T>
T Made(T p) {
  if (!p) throw std::bad_alloc();
  return p;
}

// RegSetValueEx takes a DWORD length: anything longer cannot be a value.
constexpr std::uint64_t kMaxValueBytes = MAXDWORD;

// ---- Reading a VARIANT ---------------------------------------------------

std::optional<std::int32_t> HeldInteger(const Held& h) {
  switch (h.type) {
    case VT_UI1: return *static_cast<const BYTE*>(h.data);
    case VT_I2: return *static_cast<const SHORT*>(h.data);
    case VT_I4: return *static_cast<const LONG*>(h.data);
    default: return std::nullopt;
  }
}

const BSTR* HeldString(const Held& h) { return h.type == VT_BSTR ? static_cast<const BSTR*>(h.data) : nullptr; }

// A one-dimensional array of the element type, or nullptr. Bounds stay as
// the caller made them: only the element count matters.
SAFEARRAY* HeldVector(const Held& h, VARTYPE element, ULONG elementSize) {
  if (h.type != (VT_ARRAY | element)) return nullptr;
  SAFEARRAY* a = *static_cast<SAFEARRAY* const*>(h.data);
  if (!a || a->cDims != 1 || a->cbElements != elementSize) return nullptr;
  return a;
}

// ---- Encoding -------------------------------------------------------------

// The system ANSI conversion takes an int length.
std::optional<std::string> Ansi(const std::wstring& text) {
  if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  return regapi::ToAnsi(text);
}

std::optional<codec::Bytes> FitValue(codec::Bytes bytes) {
  if (bytes.size() > kMaxValueBytes) return std::nullopt;
  return bytes;
}

std::optional<codec::Bytes> EncodeText(bool wide, const std::wstring& text, std::size_t terminators) {
  if (wide) {
    if (text.size() + terminators > kMaxValueBytes / 2) return std::nullopt;
    return codec::EncodeWide<wchar_t>(text, terminators);
  }
  const std::optional<std::string> ansi = Ansi(text);
  if (!ansi) return std::nullopt;
  return FitValue(codec::EncodeNarrow(*ansi, terminators));
}

std::optional<codec::Bytes> EncodeMulti(bool wide, SAFEARRAY* a) {
  SafeArrayAccess access(a);
  if (!access.Ok()) return std::nullopt;
  const auto* items = static_cast<const BSTR*>(access.Data());
  const ULONG n = a->rgsabound[0].cElements;

  std::uint64_t units = codec::kMultiTerminators + (n > 0 ? n - 1 : 0);
  for (ULONG i = 0; i < n && units <= kMaxValueBytes; ++i) units += SysStringLen(items[i]);
  if (units > (wide ? kMaxValueBytes / 2 : kMaxValueBytes)) return std::nullopt;

  if (wide) {
    std::vector<std::wstring_view> views;
    views.reserve(n);
    for (ULONG i = 0; i < n; ++i) views.emplace_back(items[i] ? items[i] : L"", SysStringLen(items[i]));
    return codec::EncodeWideMulti(views);
  }
  std::vector<std::string> ansi;
  ansi.reserve(n);
  for (ULONG i = 0; i < n; ++i) {
    std::optional<std::string> item = Ansi(Text(items[i]));
    if (!item) return std::nullopt;
    ansi.push_back(std::move(*item));
  }
  return FitValue(codec::EncodeNarrowMulti(std::vector<std::string_view>(ansi.begin(), ansi.end())));
}

std::optional<codec::Bytes> CopyBytes(SAFEARRAY* a) {
  SafeArrayAccess access(a);
  if (!access.Ok()) return std::nullopt;
  const auto* first = static_cast<const BYTE*>(access.Data());
  return codec::Bytes(first, first + a->rgsabound[0].cElements);
}

}  // namespace

std::optional<codec::Bytes> Encode(bool wide, const VARIANT& data, LONG type) {
  const Held h = Look(data);
  switch (FormOf(type)) {
    case DataForm::Text:
      if (const BSTR* s = HeldString(h)) return EncodeText(wide, Text(*s), codec::kStringTerminators);
      return std::nullopt;
    case DataForm::MultiText:
      if (const BSTR* s = HeldString(h)) return EncodeText(wide, Text(*s), codec::kMultiTerminators);
      if (SAFEARRAY* a = HeldVector(h, VT_BSTR, sizeof(BSTR))) return EncodeMulti(wide, a);
      return std::nullopt;
    case DataForm::Dword:
      if (std::optional<std::int32_t> n = HeldInteger(h)) return codec::PackDword(*n);
      return std::nullopt;
    case DataForm::Raw:
      if (SAFEARRAY* a = HeldVector(h, VT_UI1, 1)) return CopyBytes(a);
      return std::nullopt;
  }
  return std::nullopt;
}

namespace {

// ---- Decoding ---------------------------------------------------------------

std::optional<std::wstring> FromAnsi(const std::string& text) {
  if (text.size() > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  return regapi::FromAnsi(text.data(), text.size());
}

std::optional<std::wstring> DecodeText(bool wide, const BYTE* bytes, DWORD count) {
  if (wide) return codec::DecodeWide<wchar_t>(bytes, count);
  return FromAnsi(codec::DecodeNarrow(bytes, count));
}

std::optional<std::vector<std::wstring>> DecodeMulti(bool wide, const BYTE* bytes, DWORD count) {
  if (wide) return codec::DecodeWideMulti<wchar_t>(bytes, count);
  std::vector<std::wstring> items;
  for (const std::string& piece : codec::DecodeNarrowMulti(bytes, count)) {
    std::optional<std::wstring> item = FromAnsi(piece);
    if (!item) return std::nullopt;
    items.push_back(std::move(*item));
  }
  return items;
}

BSTR NewBstr(const std::wstring& text) { return Made(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))); }

// Arrays handed out have lower bound 0.
SAFEARRAY* StringArray(const std::vector<std::wstring>& items) {
  SafeArray a(Made(SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(items.size()))));
  if (!items.empty()) {
    SafeArrayAccess access(a.Get());
    if (!access.Ok()) throw std::bad_alloc();
    auto* slots = static_cast<BSTR*>(access.Data());
    for (std::size_t i = 0; i < items.size(); ++i) slots[i] = NewBstr(items[i]);
  }
  return a.Detach();
}

SAFEARRAY* ByteArray(const BYTE* bytes, DWORD count) {
  SafeArray a(Made(SafeArrayCreateVector(VT_UI1, 0, count)));
  if (count > 0) {
    SafeArrayAccess access(a.Get());
    if (!access.Ok()) throw std::bad_alloc();
    std::memcpy(access.Data(), bytes, count);
  }
  return a.Detach();
}

}  // namespace

bool Decode(bool wide, LONG type, const BYTE* bytes, DWORD count, VARIANT* out) {
  switch (FormOf(type)) {
    case DataForm::Text: {
      const std::optional<std::wstring> text = DecodeText(wide, bytes, count);
      if (!text) return false;
      V_BSTR(out) = NewBstr(*text);
      V_VT(out) = VT_BSTR;
      return true;
    }
    case DataForm::MultiText: {
      const std::optional<std::vector<std::wstring>> items = DecodeMulti(wide, bytes, count);
      if (!items) return false;
      V_ARRAY(out) = StringArray(*items);
      V_VT(out) = VT_ARRAY | VT_BSTR;
      return true;
    }
    case DataForm::Dword: {
      const std::optional<std::int32_t> n = codec::UnpackDword(bytes, count);
      if (!n) return false;
      V_I4(out) = *n;
      V_VT(out) = VT_I4;
      return true;
    }
    case DataForm::Raw:
      V_ARRAY(out) = ByteArray(bytes, count);
      V_VT(out) = VT_ARRAY | VT_UI1;
      return true;
  }
  return false;
}

}  // namespace orv::reg
