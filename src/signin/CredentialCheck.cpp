#include "signin/CredentialCheck.h"

#include <cstdlib>
#include <cwctype>
#include <exception>
#include <string_view>

#include "net/HttpRequest.h"
#include "net/UrlEncode.h"
#include "signin/XmlWrapper.h"

namespace {

const char* const kCheckPath = "/auth/user/isvalid";
const char* const kFormHeader = "Content-Type:application/x-www-form-urlencoded;charset=UTF-8";

// White space at both ends of a credential is never part of it. Multibyte
// characters are left whole: only ASCII white space is removed byte-wise,
// and the no-break and other Unicode spaces by their UTF-8 forms.
bool StartsWithSpace(const std::string& s, std::size_t at, std::size_t& length) {
    // U+0085, U+00A0, U+1680, U+2000..U+200A, U+2028, U+2029, U+202F, U+205F, U+3000
    static const char* const kWide[] = {
        "\xC2\x85",     "\xC2\xA0",     "\xE1\x9A\x80", "\xE2\x80\x80", "\xE2\x80\x81",
        "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85", "\xE2\x80\x86",
        "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8",
        "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80"};
    const auto b = static_cast<unsigned char>(s[at]);
    if (b < 0x80) {
        length = 1;
        return std::iswspace(b) != 0;
    }
    for (const char* wide : kWide) {
        const std::string_view w(wide);
        if (s.compare(at, w.size(), w) == 0) {
            length = w.size();
            return true;
        }
    }
    return false;
}

}  // namespace

std::string TrimCredential(const std::string& s) {
    std::size_t first = 0, length = 0;
    while (first < s.size() && StartsWithSpace(s, first, length)) first += length;
    std::size_t last = s.size();
    while (last > first) {
        // Step back to the start of the last character.
        std::size_t start = last - 1;
        while (start > first && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
        if (!StartsWithSpace(s, start, length) || start + length != last) break;
        last = start;
    }
    return s.substr(first, last - first);
}

namespace {

std::string ErrorCode(const std::string& body) {
    CXmlDocumentWrapper document;
    document.ParseXml(body);
    return document.RootNode().ChildByName("ErrorCode").NodeText();
}

}  // namespace

std::string CredentialCheckUrl() {
    const char* custom = std::getenv("MURMEL_AUTH_URL");
    const std::string base = custom && *custom ? custom : MURMEL_AUTH_URL;
    return EnsureScheme(base + kCheckPath);
}

int ReadCredentialAnswer(std::uint32_t status, const std::string& body, std::string& userId) {
    if (status == 200) {
        CXmlDocumentWrapper document;
        document.ParseXml(body);
        userId = document.RootNode().ChildByName("UserID").NodeText();
        return kNetOk;
    }
    if (status != 400) return kCredentialsServiceError;
    const std::string code = ErrorCode(body);
    if (code.find("1804") != std::string::npos) return kCredentialsCode1804;
    if (code.find("1805") != std::string::npos) return kCredentialsCode1805;
    return kCredentialsRejected;
}

int CheckCredentials(INetworkStatus& network, const StringList& cookies, std::string email,
                     std::string password, std::string& userId, const std::atomic<bool>* cancel) {
    try {
        const std::string body = "username=" + UrlEncode(TrimCredential(email)) +
                                 "&password=" + UrlEncode(TrimCredential(password));
        std::string response;
        std::uint32_t status = 0;
        RequestLimits limits;
        limits.cancel = cancel;
        const int result = HttpRequest(network, HttpVerb::Post, CredentialCheckUrl(), cookies,
                                       {kFormHeader}, body, response, &status, limits);
        if (result != kNetOk) return result;
        return ReadCredentialAnswer(status, response, userId);
    } catch (const std::exception&) {
        return 0;
    }
}
