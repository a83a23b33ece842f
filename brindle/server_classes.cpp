#include "brindle/server_classes.h"

#include "idl/brindle_idl.h"
#include "registry/orv_registry.h"
#include "settings/orv_settings.h"

namespace orv {
namespace {

const CreatableClass kClasses[] = {
    {&CLSID_orvRegistry2, L"orvRegistry2", L"Brindle0200.orvRegistry2", &CreateOrvRegistry2Instance},
    {&CLSID_orvOrvaneSettings2, L"orvOrvaneSettings2", L"Brindle0200.orvOrvaneSettings2",
     &CreateOrvOrvaneSettings2Instance},
};

const MarshalledInterface kInterfaces[] = {
    {&IID__orvRegistry2, L"_orvRegistry2"},
    {&IID__RegKey, L"_RegKey"},
    {&IID__RegValue, L"_RegValue"},
    {&IID__orvOrvaneSettings2, L"_orvOrvaneSettings2"},
    {&kIidOrvOrvaneSettings2V0, L"_orvOrvaneSettings2"},
};

const ServerTable kServer = {&LIBID_Brindle0200, L"1.1", L"Orvane - Brindle 2.00", kClasses, kInterfaces};

}  // namespace

const ServerTable& BrindleServer() { return kServer; }

}  // namespace orv
