#pragma once
#include <windows.h>

#include "server/server_table.h"

namespace orv {

// A class factory for one creatable class; counts as a live object of the
// module while a client holds it.
HRESULT CreateClassFactory(CreateInstanceFn create, REFIID iid, void** out);

}  // namespace orv
