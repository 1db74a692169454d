#pragma once
// Message boxes, modal to their owner window only. Show nests the UI loop:
// timers, posted messages and page events keep arriving while the box is
// open, and every window but the owner takes input. UI thread only.
#include <string>

class IHtmlWindow;

enum class MessageBoxButtons { Ok, OkCancel, YesNo };
enum class MessageBoxIcon { None, Information, Warning, Error, Question };
enum class MessageBoxAnswer { Ok, Cancel, Yes, No };

class IMessageBox {
public:
    virtual ~IMessageBox() = default;
    virtual MessageBoxAnswer Show(const std::string& text, const std::string& title,
                                  MessageBoxButtons buttons, MessageBoxIcon icon) = 0;
    // The window the boxes belong to from now on: it takes no input while
    // one is open. Null (the default): a box blocks no other window. The
    // owner must be unset before it is destroyed.
    virtual void SetOwner(IHtmlWindow* owner) {}
};
