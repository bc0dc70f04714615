#pragma once
#include <cstdint>
#include <vector>

namespace korvel {

// A byte array (tag records, frame data, image bytes).
using Bytes = std::vector<uint8_t>;

}  // namespace korvel
