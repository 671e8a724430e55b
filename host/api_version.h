#pragma once

#include <cstdint>

namespace mexhost {
// The hexadecimal digits of the release name R2023b.
constexpr std::uint32_t kRequiredRelease = 0x0002023B;
// API version 730: sizes are 64-bit.
constexpr std::uint32_t kRequiredApiVersion = 0x07300000;
}  // namespace mexhost

extern "C" void mexfilerequiredapiversion(std::uint32_t* release,
                                          std::uint32_t* apiVersion);
