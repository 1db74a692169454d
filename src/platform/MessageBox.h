#pragma once
// Modal message boxes. Show nests the UI loop: timers, posted messages and
// page events keep arriving while the box is open. UI thread only.
#include <string>

enum class MessageBoxButtons { Ok, OkCancel, YesNo };
enum class MessageBoxIcon { None, Information, Warning, Error, Question };
enum class MessageBoxAnswer { Ok, Cancel, Yes, No };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MessageBoxAnswer Show(const std::string& text, const std::string& title,
                                  MessageBoxButtons buttons, MessageBoxIcon icon) = 0;
};
