#include "registry/collection.h"

#include <memory>

#include "server/com_error.h"
#include "server/variant_args.h"

namespace orv {
namespace {

constexpr wchar_t kSource[] = L"Collection";

bool IsMissing(const VARIANT* v) { return !v || IsOmitted(*v); }

// A 1-based position from an index argument; throws for anything else.
std::size_t Position(const VARIANT* index, std::size_t count, bool allowEnd) {
  if (IsMissing(index)) throw ComError(kInvalidProcedureCall, L"An index is required.");
  Variant value;
  const VARIANT* held = Referent(*index);
  if (!held) throw ComError(E_INVALIDARG, L"The index could not be read.");
  ThrowIfFailed(VariantCopyInd(value.Get(), const_cast<VARIANT*>(held)), L"The index could not be read.");
  // A text index would be a key, and this collection has none.
  Variant n;
  if (V_VT(value.Get()) == VT_BSTR || FAILED(VariantChangeType(n.Get(), value.Get(), 0, VT_I4))) {
    throw ComError(kInvalidProcedureCall, L"This collection has no keys; the index must be a number.");
  }
  const LONG i = V_I4(n.Get());
  const std::size_t limit = allowEnd ? count + 1 : count;
  if (i < 1 || static_cast<std::size_t>(i) > limit) throw ComError(kSubscriptOutOfRange, L"Subscript out of range.");
  return static_cast<std::size_t>(i);
}

// Snapshot enumerator for For Each.
class ItemEnumerator final : public ComObject<module::Counted, IEnumVARIANT> {
 public:
  ItemEnumerator(std::shared_ptr<const std::vector<Variant>> items, std::size_t pos)
      : items_(std::move(items)), pos_(pos) {}

  STDMETHODIMP Next(ULONG count, VARIANT* out, ULONG* fetched) override {
    if (!out) return E_POINTER;
    ULONG n = 0;
    for (; n < count && pos_ < items_->size(); ++n, ++pos_) {
      VariantInit(&out[n]);
      if (HRESULT hr = VariantCopy(&out[n], const_cast<VARIANT*>((*items_)[pos_].Get())); FAILED(hr)) {
        for (ULONG k = 0; k < n; ++k) VariantClear(&out[k]);
        if (fetched) *fetched = 0;
        return hr;
      }
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const std::size_t left = items_->size() - pos_;
    pos_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    pos_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumVARIANT** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    try {
      *out = MakeObject<ItemEnumerator>(items_, pos_).Detach();
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
    return S_OK;
  }

 private:
  std::shared_ptr<const std::vector<Variant>> items_;
  std::size_t pos_;
};

}  // namespace

ComPtr<Collection> Collection::Create() { return MakeObject<Collection>(); }

void Collection::Append(IDispatch* item) {
  Variant v;
  V_VT(v.Get()) = VT_DISPATCH;
  V_DISPATCH(v.Get()) = item;
  if (item) item->AddRef();
  items_.push_back(std::move(v));
}

STDMETHODIMP Collection::Item(VARIANT* Index, VARIANT* pvarRet) {
  return ComBoundary(IID__Collection, kSource, [&]() -> HRESULT {
    if (!pvarRet) return E_POINTER;
    VariantInit(pvarRet);
    const std::size_t i = Position(Index, items_.size(), false);
    return VariantCopy(pvarRet, items_[i - 1].Get());
  });
}

STDMETHODIMP Collection::Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) {
  return ComBoundary(IID__Collection, kSource, [&]() -> HRESULT {
    // Late-bound callers reach here with a script variable that points nowhere.
    if (!Item) throw ComError(E_POINTER, L"The item to add points nowhere.");
    if (!IsMissing(Key)) throw ComError(kInvalidProcedureCall, L"This collection does not take keys.");
    if (!IsMissing(Before) && !IsMissing(After)) {
      throw ComError(kInvalidProcedureCall, L"Before and After cannot both be given.");
    }
    std::size_t at = items_.size();
    if (!IsMissing(Before)) at = Position(Before, items_.size(), false) - 1;
    if (!IsMissing(After)) at = Position(After, items_.size(), false);
    Variant v;
    const VARIANT* item = Referent(*Item);
    if (!item) throw ComError(E_INVALIDARG, L"The item could not be read.");
    ThrowIfFailed(VariantCopyInd(v.Get(), const_cast<VARIANT*>(item)), L"The item could not be copied.");
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), std::move(v));
    return S_OK;
  });
}

STDMETHODIMP Collection::Count(LONG* pi4) {
  if (!pi4) return E_POINTER;
  *pi4 = static_cast<LONG>(items_.size());
  return S_OK;
}

STDMETHODIMP Collection::Remove(VARIANT* Index) {
  return ComBoundary(IID__Collection, kSource, [&]() -> HRESULT {
    const std::size_t i = Position(Index, items_.size(), false);
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i - 1));
    return S_OK;
  });
}

STDMETHODIMP Collection::_NewEnum(IUnknown** ppunk) {
  return ComBoundary(IID__Collection, kSource, [&]() -> HRESULT {
    if (!ppunk) return E_POINTER;
    *ppunk = nullptr;
    auto snapshot = std::make_shared<std::vector<Variant>>();
    snapshot->reserve(items_.size());
    for (const auto& item : items_) {
      Variant copy;
      if (HRESULT hr = VariantCopy(copy.Get(), const_cast<VARIANT*>(item.Get())); FAILED(hr)) return hr;
      snapshot->push_back(std::move(copy));
    }
    *ppunk = MakeObject<ItemEnumerator>(std::move(snapshot), 0).Detach();
    return S_OK;
  });
}

}  // namespace orv
