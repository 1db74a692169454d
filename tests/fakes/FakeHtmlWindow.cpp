#include "fakes/FakeHtmlWindow.h"

#include <algorithm>

void FakeHtmlWindow::CompleteDocument(const std::string& url, bool topLevel) {
    if (topLevel) {
        currentUrl = url;
        hasDocument = true;
    }
    events->OnDocumentComplete(url, topLevel);
}

void FakeHtmlWindow::Element(const std::string& id, ElementEvent event) {
    events->OnElementEvent(id, event);
}

void FakeHtmlWindow::External(const std::string& method, const StringList& args) {
    events->OnExternalCall(method, args);
}

void FakeHtmlWindow::CallFunction(const std::string& name, const StringList& args,
                                  ScriptCallback done) {
    ScriptResult result;
    auto has = [&](const std::vector<std::string>& v) {
        return std::find(v.begin(), v.end(), name) != v.end();
    };
    if (!hasDocument) {
        result.status = ScriptResult::Status::NoDocument;
    } else if (has(missingFunctions)) {
        result.status = ScriptResult::Status::NotFound;
    } else if (has(throwingFunctions)) {
        result.status = ScriptResult::Status::Threw;
        result.message = "thrown";
    } else {
        calls.push_back({name, args});
    }
    if (!done) return;
    if (holdAnswers)
        heldAnswers.push_back([done, result] { done(result); });
    else
        done(result);
}

void FakeHtmlWindow::AnswerHeld() {
    auto answers = std::move(heldAnswers);
    heldAnswers.clear();
    for (auto& answer : answers) answer();
}

void FakeHtmlWindow::FillForm(const StringList& names, const StringList& values,
                              const std::string& submitName, std::function<void(bool)> done) {
    for (const std::string& input : formInputs) {
        if (input == submitName) {
            ++formSubmits;
            return done(true);
        }
        for (size_t i = 0; i < names.size(); ++i)
            if (input == names[i]) formValues[input] = values[i];
    }
    done(false);
}

std::string FakeHtmlWindow::GetData(const std::string& id) const {
    auto it = data.find(id);
    return it == data.end() ? std::string() : it->second;
}

void FakeHtmlWindow::Show() {
    visible = true;
    ++timesShown;
}

void FakeHtmlWindow::Move(int x, int y) {
    rect = {x, y, x + rect.Width(), y + rect.Height()};
}

void FakeHtmlWindow::Resize(int width, int height) {
    rect = {rect.left, rect.top, rect.left + width, rect.top + height};
}

namespace {
// Clears the factory's pointer when the core destroys the window.
class OwnedFakeHtmlWindow : public FakeHtmlWindow {
public:
    OwnedFakeHtmlWindow(const HtmlWindowDescription& spec, IHtmlWindowEvents* events,
                        FakeHtmlWindow** slot)
        : FakeHtmlWindow(spec, events), m_slot(slot) {}
    ~OwnedFakeHtmlWindow() override { *m_slot = nullptr; }

private:
    FakeHtmlWindow** m_slot;
};
}  // namespace

std::unique_ptr<IHtmlWindow> FakeHtmlWindowFactory::Create(const HtmlWindowDescription& spec,
                                                           IHtmlWindowEvents* events) {
    if (onCreate) onCreate(spec);
    created.push_back(nullptr);
    auto window = std::make_unique<OwnedFakeHtmlWindow>(spec, events, &created.back());
    window->loadedResource = spec.resourceId;
    created.back() = window.get();
    return window;
}

FakeHtmlWindow* FakeHtmlWindowFactory::WithPage(int resourceId) const {
    auto all = AllWithPage(resourceId);
    return all.empty() ? nullptr : all.front();
}

std::vector<FakeHtmlWindow*> FakeHtmlWindowFactory::AllWithPage(int resourceId) const {
    std::vector<FakeHtmlWindow*> out;
    for (FakeHtmlWindow* w : created)
        if (w && w->spec.resourceId == resourceId) out.push_back(w);
    return out;
}
