#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

#include "fakes/FakeNetworkStatus.h"
#include "net/HttpRequest.h"
#include "signin/CredentialCheck.h"
#include "signin/XmlWrapper.h"

namespace {

std::string ChildText(const std::string& xml, const std::string& name) {
    CXmlDocumentWrapper document;
    document.ParseXml(xml);
    return document.RootNode().ChildByName(name).NodeText();
}

int Refusal(const std::string& code) {
    std::string userId = "kept";
    const int result =
        ReadCredentialAnswer(400, "<Error><ErrorCode>" + code + "</ErrorCode></Error>", userId);
    EXPECT_EQ(userId, "kept");
    return result;
}

}  // namespace

TEST(XmlWrapper, ParsesOnlyOneCompleteDocument) {
    CXmlDocumentWrapper document;
    EXPECT_TRUE(document.ParseXml("<?xml version=\"1.0\"?><a><b>x</b></a>"));
    EXPECT_FALSE(document.RootNode().IsEmpty());
    for (const char* bad : {"", "   ", "plain text", "<a><b></a>", "<a>", "<a/><b/>", "<a x=1/>"}) {
        EXPECT_FALSE(document.ParseXml(bad)) << bad;
        EXPECT_TRUE(document.RootNode().IsEmpty()) << bad;
        EXPECT_EQ(document.RootNode().ChildByName("b").NodeText(), "") << bad;
    }
}

TEST(XmlWrapper, ChildByNameLooksOnlyAtDirectChildElements) {
    EXPECT_EQ(ChildText("<r><UserID>u-1</UserID></r>", "UserID"), "u-1");
    EXPECT_EQ(ChildText("<r><x><UserID>deep</UserID></x></r>", "UserID"), "");
    EXPECT_EQ(ChildText("<r><userid>u</userid></r>", "UserID"), "");
    EXPECT_EQ(ChildText("<r><UserID>1</UserID><UserID>2</UserID></r>", "UserID"), "1");
    EXPECT_EQ(ChildText("<UserID>root</UserID>", "UserID"), "");
}

TEST(XmlWrapper, NodeTextJoinsDescendantsAndTrimsTheEnds) {
    EXPECT_EQ(ChildText("<r><c>\n  a<i>b</i><![CDATA[<c>]]>&amp; \n</c></r>", "c"), "ab<c>&");
    EXPECT_EQ(ChildText("<r><c/></r>", "c"), "");
    EXPECT_EQ(ChildText("<r><c>\xC3\xA9</c></r>", "c"), "\xC3\xA9");
}

TEST(CredentialAnswer, AcceptsEveryOkAnswerWithWhateverUserIdItHolds) {
    std::string userId = "old";
    EXPECT_EQ(ReadCredentialAnswer(200, "<User><UserID> 42 </UserID></User>", userId), kNetOk);
    EXPECT_EQ(userId, "42");
    for (const char* body : {"", "not xml", "<User/>", "<User><x><UserID>9</UserID></x></User>"}) {
        userId = "old";
        EXPECT_EQ(ReadCredentialAnswer(200, body, userId), kNetOk) << body;
        EXPECT_EQ(userId, "") << body;
    }
}

TEST(CredentialAnswer, RefusalCodesAreFoundAnywhereInTheErrorCode) {
    EXPECT_EQ(Refusal("1804"), kCredentialsCode1804);
    EXPECT_EQ(Refusal("AUT_1804"), kCredentialsCode1804);
    EXPECT_EQ(Refusal("1805"), kCredentialsCode1805);
    EXPECT_EQ(Refusal("1805_1804"), kCredentialsCode1804);
    EXPECT_EQ(Refusal("1804 1805"), kCredentialsCode1804);
    EXPECT_EQ(Refusal("180"), kCredentialsRejected);
    EXPECT_EQ(Refusal(""), kCredentialsRejected);
    std::string userId;
    EXPECT_EQ(ReadCredentialAnswer(400, "<E><x><ErrorCode>1804</ErrorCode></x></E>", userId),
              kCredentialsRejected);
    EXPECT_EQ(ReadCredentialAnswer(400, "", userId), kCredentialsRejected);
    EXPECT_EQ(ReadCredentialAnswer(400, "1804", userId), kCredentialsRejected);
}

TEST(CredentialAnswer, AnyOtherStatusIsAServiceError) {
    std::string userId = "kept";
    const std::string body = "<E><ErrorCode>1804</ErrorCode><UserID>x</UserID></E>";
    for (std::uint32_t status : {401u, 403u, 404u, 500u, 503u, 201u, 0u})
        EXPECT_EQ(ReadCredentialAnswer(status, body, userId), kCredentialsServiceError) << status;
    EXPECT_EQ(userId, "kept");
}

TEST(CredentialCheck, AddressComesFromTheEnvironmentWhenSet) {
    unsetenv("MURMEL_AUTH_URL");
    EXPECT_EQ(CredentialCheckUrl(), std::string(MURMEL_AUTH_URL) + "/auth/user/isvalid");
    setenv("MURMEL_AUTH_URL", "http://127.0.0.1:8", 1);
    EXPECT_EQ(CredentialCheckUrl(), "http://127.0.0.1:8/auth/user/isvalid");
    unsetenv("MURMEL_AUTH_URL");
}

TEST(CredentialCheck, OfflineGivesZeroAndKeepsTheUserId) {
    FakeNetworkStatus offline(false);
    std::string userId = "kept";
    EXPECT_EQ(CheckCredentials(offline, {}, "a@b.example", "pw", userId), 0);
    EXPECT_EQ(userId, "kept");
    EXPECT_EQ(offline.asked, 1);
}

TEST(TrimCredential, CutsEveryWhiteSpaceAtTheEndsAndNoCharacter) {
    const std::pair<std::string, std::string> cases[] = {
        {" \t\r\nkim@example.org\v\f", "kim@example.org"},
        {"\xC2\xA0kim@example.org\xC2\xA0", "kim@example.org"},          // no-break
        {"\xE3\x80\x80\xE2\x80\x83kim\xE2\x80\xAF\xE2\x81\x9F", "kim"},  // wide ones
        {"a\u00A0b", "a\u00A0b"},                                        // inside stays
        // Letters whose last byte is that of a space (U+0085 ends in 0x85).
        {"\xC3\x85se\xC3\x85", "\xC3\x85se\xC3\x85"},
        {"\xE2\x80\x8B", "\xE2\x80\x8B"},  // a zero-width space is no white space
        {"\xC2\xA0 \xE3\x80\x80", ""},
        {"", ""},
    };
    for (const auto& [text, trimmed] : cases) EXPECT_EQ(TrimCredential(text), trimmed) << text;
}
