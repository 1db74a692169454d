#pragma once
// What the controller keeps of the signed-in user.
#include <string>

struct SigninInfo {
    std::string token;
    std::string cookies;
    void Clear() {
        token.clear();
        cookies.clear();
    }
};
