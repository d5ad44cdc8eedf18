#include "platform/network/HTTPClient.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace {

struct Transfer {
    std::string body;
    bool tooLarge = false;
    const std::atomic<bool>* cancel = nullptr;
};

size_t Write(char* data, size_t size, size_t count, void* user) {
    auto* transfer = static_cast<Transfer*>(user);
    const size_t bytes = size * count;
    if (transfer->body.size() + bytes > HTTPClient::kMaximumBody) {
        transfer->tooLarge = true;
        return 0;  // ends the transfer
    }
    transfer->body.append(data, bytes);
    return bytes;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* transfer = static_cast<Transfer*>(user);
    return transfer->cancel && transfer->cancel->load() ? 1 : 0;
}

}  // namespace

HTTPResponse HTTPClient::get(const std::string& url, double timeoutSeconds, const std::atomic<bool>* cancel) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    HTTPResponse response;
    const std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        response.error =
            NSError::errorWithDomain(HTTPClientErrorDomain, CURLE_FAILED_INIT, "The request could not be made.");
        return response;
    }
    Transfer transfer;
    transfer.cancel = cancel;
    char message[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(timeoutSeconds * 1000));
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, kMaximumRedirects);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, Write);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, message);
    const CURLcode result = curl_easy_perform(c);
    if (result != CURLE_OK) {
        if (transfer.tooLarge)
            response.error = NSError::errorWithDomain(HTTPClientErrorDomain, kBodyTooLarge, "The answer is too large.");
        else if (result == CURLE_ABORTED_BY_CALLBACK)
            response.error = NSError::errorWithDomain(HTTPClientErrorDomain, kCancelled, "The request was cancelled.");
        else
            response.error = NSError::errorWithDomain(HTTPClientErrorDomain, result,
                                                      message[0] ? message : curl_easy_strerror(result));
        return response;
    }
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &response.status);
    response.body = std::move(transfer.body);
    return response;
}
