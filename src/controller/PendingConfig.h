#pragma once
// Temporary: replaced by the configuration store when it lands.
#include <string>
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
        case 210:
            return "OK";
        case 183:
            return "Cancel";
        case 196:
            return "Close";
        default:
            return {};
    }
}
