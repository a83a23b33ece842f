// orvRegistry2: the value operations and the conversions between automation
// data and registry bytes.
#include <climits>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

#include "server/com_error.h"
#include "registry/orv_registry.h"
#include "registry/reg_api.h"
#include "registry/reg_value.h"
#include "registry/value_codec.h"
#include "server/variant_args.h"

namespace orv {
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

HKEY Root(RegistryRoot2_Const root) { return regapi::RootHandle(static_cast<std::int32_t>(root)); }

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

// False when the bytes do not convert for the type.
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

}  // namespace

// Also answers False for data beyond what one registry value can hold, so a
// size never wraps on its way to RegSetValueEx.
bool OrvRegistry2::ValueDataToBytes(const VARIANT& data, LONG type, std::vector<BYTE>* buffer) const {
  std::optional<codec::Bytes> bytes = Encode(Wide(), data, type);
  if (!bytes) return false;
  *buffer = std::move(*bytes);
  return true;
}

// Failures of the platform (out of memory) are thrown, not answered nullptr.
ComPtr<RegValueRecord> OrvRegistry2::BytesToRegValue(const std::wstring& name, LONG type, const BYTE* bytes,
                                                     DWORD count) const {
  Variant data;
  if (!Decode(Wide(), type, bytes, count, data.Get())) return {};
  ComPtr<RegValueRecord> record;
  record = RegValueRecord::Create(name.c_str(), type, std::move(data));
  return record;
}

STDMETHODIMP OrvRegistry2::SetValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                                    RegistryDataType2_Const ValueDataType, VARIANT ValueData,
                                    VARIANT_BOOL* lpKeyAlreadyExist, VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    // Rejected data touches neither the registry nor LastRegError.
    if (IsOmitted(ValueData)) return S_OK;
    const LONG type = static_cast<LONG>(ValueDataType);
    std::vector<BYTE> buffer;
    if (!ValueDataToBytes(ValueData, type, &buffer)) return S_OK;

    const bool wide = Wide();
    RegKeyHandle key;
    DWORD disposition = 0;
    if (Track(regapi::CreateKey(wide, Root(RegistryRoot), Text(SubKey), KEY_SET_VALUE, key.Put(), &disposition)) !=
        ERROR_SUCCESS) {
      return S_OK;
    }
    // An omitted flag may be NULL or point at garbage: write it, never read it.
    if (lpKeyAlreadyExist) {
      if (disposition == REG_CREATED_NEW_KEY) *lpKeyAlreadyExist = VARIANT_FALSE;
      if (disposition == REG_OPENED_EXISTING_KEY) *lpKeyAlreadyExist = VARIANT_TRUE;
    }
    const auto count = static_cast<DWORD>(buffer.size());  // ValueDataToBytes keeps it within a DWORD
    const LONG status = Track(regapi::SetValue(wide, key.Get(), Text(ValueName), static_cast<DWORD>(type),
                                               count > 0 ? buffer.data() : nullptr, count));
    *ret = status == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::GetValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName, _RegValue** ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = nullptr;
    const bool wide = Wide();
    const std::wstring name = Text(ValueName);
    RegKeyHandle key;
    if (Track(regapi::OpenKey(wide, Root(RegistryRoot), Text(SubKey), KEY_QUERY_VALUE, key.Put())) != ERROR_SUCCESS) {
      return S_OK;
    }
    DWORD type = 0, size = 0;
    if (Track(regapi::QueryValue(wide, key.Get(), name, &type, nullptr, &size)) != ERROR_SUCCESS) return S_OK;
    std::vector<BYTE> buffer(size);
    // One attempt only: a value that grew in between ends here with 234.
    if (size > 0 && Track(regapi::QueryValue(wide, key.Get(), name, &type, buffer.data(), &size)) != ERROR_SUCCESS) {
      return S_OK;
    }
    const DWORD delivered = size < buffer.size() ? size : static_cast<DWORD>(buffer.size());
    ComPtr<RegValueRecord> record = BytesToRegValue(name, static_cast<LONG>(type), buffer.data(), delivered);
    *ret = record.Detach();
    return S_OK;
  });
}

STDMETHODIMP OrvRegistry2::DeleteValue(RegistryRoot2_Const RegistryRoot, BSTR SubKey, BSTR ValueName,
                                       VARIANT_BOOL* ret) {
  return ComBoundary(IID__orvRegistry2, kErrorSource, [&]() -> HRESULT {
    if (!ret) return E_POINTER;
    *ret = VARIANT_FALSE;
    const bool wide = Wide();
    RegKeyHandle key;
    if (Track(regapi::OpenKey(wide, Root(RegistryRoot), Text(SubKey), KEY_SET_VALUE, key.Put())) != ERROR_SUCCESS) {
      return S_OK;
    }
    const LONG status = Track(regapi::DeleteValue(wide, key.Get(), Text(ValueName)));
    *ret = status == ERROR_SUCCESS ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  });
}

}  // namespace orv
