#pragma once
// The check of e-mail address and password against the authentication
// service, made on the sign-in worker thread before the service's own
// sign-in page is submitted.
#include <atomic>
#include <cstdint>
#include <string>

#include "platform/System.h"
#include "platform/Types.h"

// Results besides kNetOk (valid) and 0 (the request failed).
enum : int {
    kCredentialsRejected = 400,      // any other refusal
    kCredentialsCode1804 = 430,      // error code holding "1804"
    kCredentialsCode1805 = 460,      // error code holding "1805" but not "1804"
    kCredentialsServiceError = 500,  // an answer with any other status
};

// White space at both ends of a typed address or password is never part of
// it: ASCII blanks and the Unicode spaces (no-break, ideographic, ...) are
// cut, characters are never split. The one trim of sign-in and check.
std::string TrimCredential(const std::string& text);

// The service's address: MURMEL_AUTH_URL from the environment when set (for
// development and tests), else the built-in one, with the check's path.
std::string CredentialCheckUrl();

// Reduces the service's answer to a result; `userId` receives the answer's
// user id on kNetOk and is left alone otherwise.
int ReadCredentialAnswer(std::uint32_t status, const std::string& body, std::string& userId);

// Posts the trimmed, encoded credentials and reads the answer. Blocks until
// then, or until `cancel` is set (result 0).
int CheckCredentials(INetworkStatus& network, const StringList& cookies, std::string email,
                     std::string password, std::string& userId,
                     const std::atomic<bool>* cancel = nullptr);
