// The user agent that the request routine, the page fetch and the download all send.
#pragma once

namespace pagewick {

inline constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

}  // namespace pagewick
