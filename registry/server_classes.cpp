#include "server_classes.h"

#include <iterator>

#include "brindle_idl.h"

namespace orv {

namespace {

const CreatableClass kClasses[] = {
    {&CLSID_orvRegistry2, L"orvRegistry2", L"Brindle0200.orvRegistry2", &CreateOrvRegistry2Instance},
    {&CLSID_orvOrvaneSettings2, L"orvOrvaneSettings2", L"Brindle0200.orvOrvaneSettings2",
     &CreateOrvOrvaneSettings2Instance},
};

}  // namespace

const CreatableClass* CreatableClassesBegin() { return std::begin(kClasses); }
const CreatableClass* CreatableClassesEnd() { return std::end(kClasses); }

const CreatableClass* FindCreatableClass(REFCLSID clsid) {
  for (const auto& c : kClasses) {
    if (IsEqualCLSID(*c.clsid, clsid)) return &c;
  }
  return nullptr;
}

}  // namespace orv
