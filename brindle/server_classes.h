// Brindle0200's table of classes: what the DLL hands out and registers.
#pragma once
#include "server/server_table.h"

namespace orv {

// orvRegistry2 and orvOrvaneSettings2; RegKey and RegValue are never handed
// out by a factory.
const ServerTable& BrindleServer();

}  // namespace orv
