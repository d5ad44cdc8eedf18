#pragma once
// An error: a domain, a code, and the texts a user reads (a description and, optionally, the
// reason for the failure). Errors are shared and never changed once made; "no error" is null.
#include <memory>
#include <string>

class NSError;
using NSErrorPtr = std::shared_ptr<const NSError>;

class NSError {
public:
    static NSErrorPtr errorWithDomain(std::string domain, long code, std::string localizedDescription,
                                      std::string localizedFailureReason = "") {
        return std::make_shared<const NSError>(std::move(domain), code, std::move(localizedDescription),
                                               std::move(localizedFailureReason));
    }

    NSError(std::string domain, long code, std::string description, std::string failureReason)
        : domain_(std::move(domain)),
          code_(code),
          description_(std::move(description)),
          failureReason_(std::move(failureReason)) {}

    const std::string& domain() const { return domain_; }
    long code() const { return code_; }
    const std::string& localizedDescription() const { return description_; }
    // Empty when the error gives no reason.
    const std::string& localizedFailureReason() const { return failureReason_; }

private:
    std::string domain_;
    long code_;
    std::string description_;
    std::string failureReason_;
};
