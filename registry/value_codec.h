// Byte forms of registry values, without any Windows API: the encodings the
// registry wrapper writes and the decoders of what it reads back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace orv::codec {

}  // namespace orv::codec
