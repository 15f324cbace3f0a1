// Base64 (RFC 4648) for the HTTP Basic authorization header.
#pragma once

#include <string>
#include <string_view>

namespace NuBase64 {

std::string Base64Encode(std::string_view text);

}  // namespace NuBase64
