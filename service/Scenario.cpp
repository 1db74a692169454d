#include "Scenario.h"

#include <set>

#include "Faults.h"
#include "HttpUtil.h"

namespace svc {
namespace {

const char* kDefaults = R"({
  "accounts": [
    {"email": "demo@murmel.test", "password": "demo1234", "userId": "u-1001",
     "name": "Demo User", "signin": "ok", "authErrorCode": ""}
  ],
  "signinPage": {"ready": "SigninReady", "readyDelayMs": 0, "redirect": "none"},
  "auth": {"status": 0, "errorCode": "", "delayMs": 0, "body": "",
           "redirect": {"to": "", "status": 302, "count": 0}, "silent": false,
           "closeMidBody": false},
  "ping": {"status": 200, "delayMs": 0, "close": false,
           "redirect": {"to": "", "status": 302, "count": 0}, "silent": false,
           "closeMidBody": false},
  "version": {"answer": "uptodate", "newversion": "1.0.3", "downloadurl": "",
              "status": 200, "body": "", "delayMs": 0,
              "redirect": {"to": "", "status": 302, "count": 0}, "silent": false,
              "closeMidBody": false},
  "bot": {"intervalSeconds": 0, "sender": "Murmel Bot", "sessionid": "bot",
          "replyDelayMs": 1500}
})";

const std::set<std::string> kSigninOutcomes = {"ok",
                                               "fail",
                                               "signInDo",
                                               "emailVerification",
                                               "termsAcceptance",
                                               "identityCheck",
                                               "profileUpdate",
                                               "silent"};
const std::set<std::string> kReadyModes = {"SigninReady", "ScriptToApp", "none"};
const std::set<std::string> kRedirects = {"none", "https", "otherHost"};
const std::set<std::string> kVersionAnswers = {"uptodate", "optional", "mandatory", "notjson",
                                               "raw"};

bool SameKind(const Json::Value& a, const Json::Value& b) {
    if (a.isObject() || b.isObject()) return a.isObject() && b.isObject();
    if (a.isArray() || b.isArray()) return a.isArray() && b.isArray();
    if (a.isBool() || b.isBool()) return a.isBool() && b.isBool();
    if (a.isString() || b.isString()) return a.isString() && b.isString();
    return a.isIntegral() && b.isIntegral();
}

// Checks `value` against the shape of `model`; `where` names the place for
// the error text.
bool CheckShape(const Json::Value& value, const Json::Value& model, const std::string& where,
                std::string& error) {
    if (!SameKind(value, model)) {
        error = where + ": wrong type";
        return false;
    }
    if (!value.isObject()) return true;
    for (const auto& key : value.getMemberNames()) {
        if (!model.isMember(key)) {
            error = where + "." + key + ": unknown key";
            return false;
        }
        if (model[key].isArray()) continue;  // arrays are checked by CheckAccounts
        if (!CheckShape(value[key], model[key], where + "." + key, error)) return false;
    }
    return true;
}

bool OneOf(const Json::Value& value, const std::set<std::string>& allowed, const std::string& where,
           std::string& error) {
    if (allowed.count(value.asString())) return true;
    error = where + ": unknown value \"" + value.asString() + "\"";
    return false;
}

bool CheckDoc(const Json::Value& doc, std::string& error) {
    static const Json::Value defaults = Scenario::Defaults();
    if (!CheckShape(doc, defaults, "scenario", error)) return false;
    const Json::Value& accounts = doc["accounts"];
    if (!accounts.isArray()) {
        error = "scenario.accounts: wrong type";
        return false;
    }
    const Json::Value& model = defaults["accounts"][0];
    for (Json::ArrayIndex i = 0; i < accounts.size(); ++i) {
        std::string where = "scenario.accounts[" + std::to_string(i) + "]";
        if (!CheckShape(accounts[i], model, where, error)) return false;
        if (!accounts[i]["email"].isString() || !accounts[i]["password"].isString()) {
            error = where + ": needs email and password";
            return false;
        }
        if (accounts[i].isMember("signin") &&
            !OneOf(accounts[i]["signin"], kSigninOutcomes, where + ".signin", error))
            return false;
    }
    for (const char* route : {"auth", "ping", "version"})
        if (!CheckFaults(doc[route], std::string("scenario.") + route, error)) return false;
    return OneOf(doc["signinPage"]["ready"], kReadyModes, "scenario.signinPage.ready", error) &&
           OneOf(doc["signinPage"]["redirect"], kRedirects, "scenario.signinPage.redirect",
                 error) &&
           OneOf(doc["version"]["answer"], kVersionAnswers, "scenario.version.answer", error);
}

void MergeInto(Json::Value& target, const Json::Value& patch) {
    if (!target.isObject() || !patch.isObject()) {
        target = patch;
        return;
    }
    for (const auto& key : patch.getMemberNames()) MergeInto(target[key], patch[key]);
}

}  // namespace

Json::Value Scenario::Defaults() {
    Json::Value doc;
    std::string error;
    ParseJson(kDefaults, doc, error);
    return doc;
}

Scenario::Scenario() : m_doc(Defaults()) {}

bool Scenario::Replace(const Json::Value& doc, std::string& error) {
    if (!doc.isObject()) {
        error = "scenario: wrong type";
        return false;
    }
    Json::Value next = Defaults();
    if (doc.isMember("accounts")) next["accounts"] = Json::arrayValue;
    MergeInto(next, doc);
    if (!CheckDoc(next, error)) return false;
    m_doc = next;
    return true;
}

bool Scenario::Merge(const Json::Value& patch, std::string& error) {
    if (!patch.isObject()) {
        error = "scenario: wrong type";
        return false;
    }
    Json::Value next = m_doc;
    MergeInto(next, patch);
    if (!CheckDoc(next, error)) return false;
    m_doc = next;
    return true;
}

const Json::Value* Scenario::FindAccount(const std::string& email) const {
    for (const auto& account : m_doc["accounts"])
        if (account["email"].asString() == email) return &account;
    return nullptr;
}

void Scenario::AddAccount(const Json::Value& account) {
    m_doc["accounts"].append(account);
}

}  // namespace svc
