// esGetRnd: uniform random integers from the operating system's
// cryptographic generator.
#pragma once
#include <cstdint>
#include "status.h"

namespace orv {

// A uniformly drawn integer in [lower, upper], both included. `reserved` must
// be 0. lower > upper is kInvalidArg; a generator failure is returned as is.
Status esGetRnd(std::int32_t lower, std::int32_t upper, std::int32_t reserved, std::int32_t* out);

}  // namespace orv
