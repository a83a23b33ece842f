#include "settings/setting_types.h"

#include <new>
#include <string>

#include "server/com_error.h"
#include "support/text_routines.h"

namespace orv {
namespace {

enum SettingType : LONG { kString = 0, kLong = 1, kBinary = 2, kBoolean = 3 };
constexpr LONG kRegSz = 1, kRegBinary = 3, kRegDword = 4;

// How a value to save becomes what is written.
enum class Saved { AsText, Unchanged, AsBooleanText };

struct TypeRow {
  LONG settingType;
  LONG written;      // registry type of a saved value
  LONG accepted[2];  // registry types read back (0 marks an unused slot: REG_NONE is never accepted)
  Saved saved;
  VARTYPE takes[3];  // VARIANT types saved (VT_EMPTY marks an unused slot); AsText takes anything
};
constexpr TypeRow kTypes[] = {
    {kString, kRegSz, {kRegSz, 0}, Saved::AsText, {}},
    {kLong, kRegDword, {kRegDword, 0}, Saved::Unchanged, {VT_UI1, VT_I2, VT_I4}},
    {kBinary, kRegBinary, {kRegBinary, 0}, Saved::Unchanged, {VT_ARRAY | VT_UI1}},
    {kBoolean, kRegSz, {kRegDword, kRegSz}, Saved::AsBooleanText, {VT_BOOL}},
};

const TypeRow* RowOf(LONG settingType) {
  for (const TypeRow& row : kTypes) {
    if (row.settingType == settingType) return &row;
  }
  return nullptr;
}

bool Takes(const TypeRow& row, VARTYPE vt) {
  for (VARTYPE t : row.takes) {
    if (t != VT_EMPTY && t == vt) return true;
  }
  return false;
}

std::wstring AsciiUpper(std::wstring text) {
  for (wchar_t& c : text) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return text;
}

void SetBstr(VARIANT* out, const wchar_t* text) {
  const BSTR b = SysAllocString(text);
  if (!b) throw std::bad_alloc();
  VariantClear(out);
  V_VT(out) = VT_BSTR;
  V_BSTR(out) = b;
}

bool Prepare(const TypeRow& row, VARIANT* value) {
  const VARTYPE vt = V_VT(value);
  switch (row.saved) {
    case Saved::AsText:
      // Texts as the automation runtime makes them ("True" for a Boolean);
      // Null and arrays do not convert.
      if (vt == VT_NULL || (vt & VT_ARRAY)) return false;
      return SUCCEEDED(VariantChangeTypeEx(value, value, LOCALE_USER_DEFAULT, VARIANT_ALPHABOOL, VT_BSTR));
    case Saved::Unchanged: return Takes(row, vt);
    case Saved::AsBooleanText:
      if (!Takes(row, vt)) return false;
      SetBstr(value, V_BOOL(value) != VARIANT_FALSE ? L"True" : L"False");
      return true;
  }
  return false;
}

}  // namespace

void TypeDefault(LONG settingType, VARIANT* out) {
  VariantInit(out);
  switch (settingType) {
    case kString: SetBstr(out, L""); break;
    case kLong:
      V_VT(out) = VT_I4;
      V_I4(out) = 0;
      break;
    case kBinary:
      V_VT(out) = VT_ARRAY | VT_UI1;
      V_ARRAY(out) = nullptr;
      break;
    case kBoolean:
      V_VT(out) = VT_BOOL;
      V_BOOL(out) = VARIANT_FALSE;
      break;
    default: V_VT(out) = VT_NULL; break;
  }
}

bool IsTypeCompatible(LONG registryType, LONG settingType) {
  const TypeRow* row = RowOf(settingType);
  if (!row) return false;
  for (LONG t : row->accepted) {
    if (t != 0 && t == registryType) return true;
  }
  return false;
}

bool ToBoolean(const VARIANT& value) {
  if (V_VT(&value) == VT_I4) return V_I4(&value) != 0;
  if (V_VT(&value) != VT_BSTR) return false;
  const BSTR b = V_BSTR(&value);
  std::wstring trimmed;
  if (Status s = asTrimEx(std::wstring(b ? b : L"", SysStringLen(b)), &trimmed); Failed(s)) {
    throw ComError(s, L"Trimming a stored Boolean text failed.");
  }
  const std::wstring upper = AsciiUpper(trimmed);
  return upper == L"TRUE" || upper == L"1";
}

bool PrepareValueToSave(LONG settingType, VARIANT* value, LONG* registryType) noexcept {
  const TypeRow* row = RowOf(settingType);
  if (!row) return false;
  try {
    if (!Prepare(*row, value)) return false;
  } catch (...) {
    return false;  // a failed conversion only means "not ready"
  }
  *registryType = row->written;
  return true;
}

}  // namespace orv
