#pragma once
// What the service answers: accounts, sign-in outcomes, the answers of the
// authentication service, /ping and the version file, and the demo bot.
// Held as a JSON document over built-in defaults; every change is checked
// against the defaults' shape, so a typo in a key is an error, not a no-op.
#include <json/json.h>

#include <string>

namespace svc {

class Scenario {
public:
    Scenario();

    // Replaces the whole scenario (missing keys take their defaults).
    bool Replace(const Json::Value& doc, std::string& error);
    // Merges objects key by key; arrays and values are replaced.
    bool Merge(const Json::Value& patch, std::string& error);

    const Json::Value& Doc() const { return m_doc; }
    const Json::Value& Section(const char* name) const { return m_doc[name]; }
    // The account with this e-mail address (exact match), or null.
    const Json::Value* FindAccount(const std::string& email) const;
    void AddAccount(const Json::Value& account);

    static Json::Value Defaults();

private:
    Json::Value m_doc;
};

}  // namespace svc
