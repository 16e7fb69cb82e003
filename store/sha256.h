#pragma once

#include <string>
#include <string_view>

namespace arrange5 {

// The SHA-256 digest of `text` as 64 lower-case hex digits. `what` names the digest in the
// error thrown when the crypto library fails ("历史号码的 SHA-256 校验值").
std::string sha256Hex(std::string_view text, const std::string& what);

}  // namespace arrange5
