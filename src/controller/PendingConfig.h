#pragma once
// Temporary: replaced by the configuration store, the network operations
// and the tray icon when they land.
#include <string>
#include <vector>

#include "platform/Tray.h"
#include "platform/Types.h"

struct AppSettingsRecord {
    std::string webClientBaseUrl = MURMEL_WEB_URL;
    bool rememberEmail = false;
    std::string savedEmail;
};
inline AppSettingsRecord AppSettings;
inline std::string LoadText(int id) {
    switch (id) {
        case 184:
            return "Alarm";
        case 197:
            return "Email";
        case 198:
            return "Password";
        case 203:
            return "You have been logged out because you were inactive fora specified period.";
        case 204:
            return "Login error. Please try again later.";
        case 205:
            return "Error occurred. Try again.";
        case 199:
            return "Network error";
        case 206:
            return "You need to get an e-mail verification.";
        case 207:
            return "You need to agree to the terms again.";
        case 208:
            return "You need to confirm your identity.";
        case 209:
            return "You need to confirm your member information.";
        case 210:
            return "OK";
        case 211:
            return "UPDATE";
        case 183:
            return "Cancel";
        case 196:
            return "Close";
        default:
            return {};
    }
}
inline std::vector<TrayMenuItem> LoadMenu(int id) {
    if (id == 152)
        return {{32785, "Email"},    {0, ""}, {32776, "Open"}, {32786, "Sign Out"},
                {32778, "Settings"}, {0, ""}, {32779, "Quit"}};
    if (id == 179) return {{32780, "Sign In"}, {32791, "Settings"}, {0, ""}, {32783, "Quit"}};
    return {};
}
inline bool WriteSetting(const std::string&, const std::string&, const std::string&) {
    return true;
}
