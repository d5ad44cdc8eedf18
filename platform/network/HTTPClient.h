#pragma once
// Synchronous HTTP GET requests over libcurl, for whatever thread asks: http and https only
// (redirects too, at most kMaximumRedirects), a timeout for the whole transfer, no signals, no
// cache, and a cap on the body so a hostile answer cannot fill memory. A transfer can be
// cancelled from another thread through the flag it is given.
#include <atomic>
#include <cstddef>
#include <string>

#include "platform/foundation/NSError.h"

inline const std::string HTTPClientErrorDomain = "HTTPClientErrorDomain";

struct HTTPResponse {
    long status = 0;  // the final answer's status; 0 when none came
    std::string body;
    // The transfer's failure (libcurl's code and message); null when an answer came.
    NSErrorPtr error;
};

class HTTPClient {
public:
    static constexpr long kMaximumRedirects = 5;
    static constexpr size_t kMaximumBody = size_t{1} << 20;
    // The error code of a body over the cap and of a cancelled transfer (beside libcurl's own).
    static constexpr long kBodyTooLarge = 1001;
    static constexpr long kCancelled = 1002;

    // `cancel` (may be null) is polled while the transfer runs.
    static HTTPResponse get(const std::string& url, double timeoutSeconds, const std::atomic<bool>* cancel = nullptr);
};
