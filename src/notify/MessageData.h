#pragma once
// The members of a new-message event's JSON data that the toasts read.
#include <string>

struct MessageData {
    // The text parsed as JSON.
    bool parsed = false;
    // An object whose "sender" and "msg" are texts (or absent) and whose
    // "msgtype" is a number; only then are sender, text and kind read.
    bool readable = false;
    std::string sender;
    std::string text;
    int kind = 0;
    // "sessionid" was a text, null or absent (then empty); any other value
    // leaves the session id the program remembers as it was.
    bool hasSessionId = false;
    std::string sessionId;
};

MessageData ReadMessageData(const std::string& data);
