#pragma once
// A small native dialog with a text and up to two buttons (logout notice,
// account-action dialog). UI thread only.
#include <memory>
#include <string>

#include "platform/Types.h"

enum class DialogButton { Ok, Cancel };

class INativeDialogEvents {
public:
    virtual ~INativeDialogEvents() = default;
    virtual void OnButton(DialogButton button) {}
    // Escape, or the window manager's close box where the dialog has one.
    virtual void OnDismiss() {}
};

struct NativeDialogDescription {
    std::string title;
    std::string text;
    std::string okLabel;      // empty: no OK button
    std::string cancelLabel;  // empty: no Cancel button
    bool closeBox = true;
    bool topmost = false;
};

class INativeDialog {
public:
    virtual ~INativeDialog() = default;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual void Show() = 0;
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;
    virtual void SetForeground() = 0;
    // Shows the dialog and nests the UI loop until EndModal.
    virtual void RunModal() = 0;
    virtual void EndModal() = 0;
};

class INativeDialogFactory {
public:
    virtual ~INativeDialogFactory() = default;
    virtual std::unique_ptr<INativeDialog> Create(const NativeDialogDescription& spec,
                                                  INativeDialogEvents* events) = 0;
};
