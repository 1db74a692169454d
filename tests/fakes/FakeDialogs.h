#pragma once
// Native dialogs and message boxes that record what was shown and answer
// as the test tells them.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/MessageBox.h"
#include "platform/NativeDialog.h"

class FakeNativeDialog : public INativeDialog {
public:
    FakeNativeDialog(const NativeDialogDescription& spec, INativeDialogEvents* events)
        : spec(spec), events(events) {}
    void SetText(const std::string& t) override { spec.text = t; }
    void SetTitle(const std::string& t) override { spec.title = t; }
    void Show() override { visible = true; }
    void Hide() override { visible = false; }
    bool IsVisible() const override { return visible; }
    void SetForeground() override { ++foregroundCount; }
    // The test answers a modal run through whileModal (e.g. by pressing a
    // button); without one the run ends at once.
    void RunModal() override;
    void EndModal() override { modal = false; }

    NativeDialogDescription spec;
    INativeDialogEvents* events;
    bool visible = false;
    bool modal = false;
    int modalRuns = 0;
    int foregroundCount = 0;
    std::function<void(FakeNativeDialog&)> whileModal;
    std::vector<NativeDialogDescription>* modalLog = nullptr;
};

class FakeNativeDialogFactory : public INativeDialogFactory {
public:
    std::unique_ptr<INativeDialog> Create(const NativeDialogDescription& spec,
                                          INativeDialogEvents* events) override;
    std::deque<FakeNativeDialog*> created;  // null once destroyed
    // Given to every dialog created from now on.
    std::function<void(FakeNativeDialog&)> whileModal;
    // The dialogs that ran modally, as they were when they ran.
    std::vector<NativeDialogDescription> ranModal;
};

class FakeMessageBox : public IMessageBox {
public:
    struct Shown {
        std::string text;
        std::string title;
        MessageBoxButtons buttons;
        MessageBoxIcon icon;
    };
    MessageBoxAnswer Show(const std::string& text, const std::string& title,
                          MessageBoxButtons buttons, MessageBoxIcon icon) override;
    void SetOwner(IHtmlWindow* window) override { owner = window; }

    std::vector<Shown> shown;
    IHtmlWindow* owner = nullptr;
    // Answers in order; when none is left the box answers Ok or Yes.
    std::deque<MessageBoxAnswer> answers;
    // Runs while the box is open, as the nested loop would run events.
    std::function<void()> whileOpen;
};
