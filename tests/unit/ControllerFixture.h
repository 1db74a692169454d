#pragma once
// A controller on fake ports, with its login page and web-client page
// loaded, for the tests of what the controller does.
#include <gtest/gtest.h>

#include "config/AppSettings.h"
#include "config/LoadText.h"
#include "config/Settings.h"
#include "controller/CMainDlg.h"
#include "fakes/FakePorts.h"
#include "platform/Messages.h"

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.network.online = false;  // the version check asks nobody
        AppSettings.rememberEmail = false;
        AppSettings.savedEmail.clear();
        dlg.Session().m_credentialCheck = [this](const StringList&, const std::string& email,
                                                 const std::string& password, std::string&,
                                                 const std::atomic<bool>&) {
            checkedEmail = email;
            checkedPassword = password;
            return credentialResult;
        };
        dlg.Session().m_sitePing = [this](const std::string& address, std::string& error) {
            pinged.push_back(address);
            error = pingError;
            return pingError.empty();
        };
    }

    FakeHtmlWindow* Login() { return fake.htmlWindows.WithPage(CMainDlg::kPageId); }
    // The web-client window: the one with a web process of its own.
    FakeHtmlWindow* Host() {
        for (FakeHtmlWindow* w : fake.htmlWindows.created)
            if (w && w->spec.ownWebProcess) return w;
        return nullptr;
    }
    FakeNativeDialog* Notice() { return fake.dialogs.created[0]; }

    // Creates the controller and lets both pages finish loading.
    void Start() {
        ASSERT_TRUE(dlg.Create());
        Login()->CompleteDocument("res:///html/login.html");
        Host()->formInputs = {"svcIptLgnID", "svcIptLgnPD", "signin_submit"};
        Host()->CompleteDocument(AppSettings.webClientBaseUrl + kSignInPath);
        fake.loop.Pump();
    }
    // The user types into the login page and presses Login.
    void TypeAndSignIn(const std::string& email, const std::string& password) {
        Login()->UserSets("input_email", email);
        Login()->UserSets("input_password", password);
        Login()->External("Signin");
    }
    // Lets the credential worker report and the controller handle it.
    void FinishCheck() {
        ASSERT_TRUE(fake.loop.WaitForSend());
        fake.loop.Pump();
    }
    void SignInAs(const std::string& token) {
        TypeAndSignIn("kim@example.org", "secret");
        FinishCheck();
        Host()->External("SigninOk", {"SUCCESS," + token + ",x"});
    }
    // Calls of a page function, with their arguments.
    static std::vector<StringList> CallsOf(FakeHtmlWindow* w, const std::string& name) {
        std::vector<StringList> out;
        for (const auto& c : w->calls)
            if (c.name == name) out.push_back(c.args);
        return out;
    }

    FakePorts fake;
    CMainDlg dlg{fake.ports};
    int credentialResult = 1000;
    std::string checkedEmail, checkedPassword;
    std::vector<std::string> pinged;
    std::string pingError;
};
