// Reads arbitrary bytes as the authentication service's answer: the first
// byte picks the status, the rest is the body.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/HttpRequest.h"
#include "signin/CredentialCheck.h"
#include "signin/XmlWrapper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const std::uint32_t kStatuses[] = {200, 400, 401, 500};
    const std::uint32_t status = kStatuses[data[0] % 4];
    const std::string body(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string userId = "unset";
    const int result = ReadCredentialAnswer(status, body, userId);
    const bool known = result == kNetOk || result == kCredentialsRejected ||
                       result == kCredentialsCode1804 || result == kCredentialsCode1805 ||
                       result == kCredentialsServiceError;
    if (!known || (result != kNetOk && userId != "unset")) std::abort();

    CXmlDocumentWrapper document;
    const bool parsed = document.ParseXml(body);
    const CXmlNodeWrapper root = document.RootNode();
    if (parsed == root.IsEmpty()) std::abort();
    root.ChildByName("ErrorCode").ChildByName("x").NodeText();
    root.NodeText();
    return 0;
}
