#pragma once
// The version service's answer as the program reads it.
#include <string>

struct VersionInfo {
    int critical = 0;  // 1: the update is required
    std::string platform;
    std::string model;
    int uptodate = 1;  // 1: the running version is current
    std::string osversion;
    std::string downloadurl;
    std::string newversion;
};

// Fills `info` from a JSON answer with "success" true. Any other answer
// (not JSON, not successful, or of another shape) leaves `info` as it was;
// a "data" that is not an object, or a member of it that is neither text
// nor true/false, reads as missing. Never throws.
void ReadVersionAnswer(const std::string& text, VersionInfo& info);
