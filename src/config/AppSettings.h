#pragma once
// The settings the program reads once at start-up, and the process-wide
// record that holds them.
#include <string>

struct AppSettingsRecord {
    std::string configPath;  // the config.ini that seeds the store
    std::string language = "en";
    bool alertSound = true;
    std::string soundIndex;  // zero-based sound number as decimal text
    bool messagePreview = true;
    bool rememberEmail = false;
    std::string savedEmail;
    std::string webClientBaseUrl = MURMEL_WEB_URL;
    std::string pushHost = MURMEL_PUSH_HOST;
    int pushPort = 5223;
};

// Filled by LoadSettings before the controller exists; afterwards only the
// settings window and the remember check box change it.
extern AppSettingsRecord AppSettings;
