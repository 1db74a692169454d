#include "desktop/CWebPage.h"

#include <algorithm>

#include "net/Utf8Text.h"

std::string SystemMessageText(long code) {
    switch (code) {
        case kScriptUnknownName:
            return "Unknown name.\n";
        case kScriptException:
            return "Exception occurred.\n";
        case kScriptFailed:
            return "Unspecified error\n";
        default:
            return "FormatMessage Netive Error";
    }
}

CWebPage::CWebPage() : m_alive(std::make_shared<CWebPage*>(this)) {}

CWebPage::~CWebPage() = default;

void CWebPage::RecordError(const std::string& message) {
    m_lastError = "JSCall Error:\n" + message;
}

bool CWebPage::BindDocument(IHtmlWindow* document) {
    if (!document) {
        RecordError("NULL pointer");
        return false;
    }
    m_document = nullptr;
    if (!document->HasDocument()) {
        RecordError("Failed to get HTML document COM object");
        return false;
    }
    m_document = document;
    return true;
}

static long FailureCode(ScriptResult::Status status) {
    switch (status) {
        case ScriptResult::Status::NotFound:
            return kScriptUnknownName;
        case ScriptResult::Status::Threw:
            return kScriptException;
        case ScriptResult::Status::NoDocument:
        case ScriptResult::Status::Failed:
        case ScriptResult::Status::Ok:
            break;
    }
    return kScriptFailed;
}

bool CWebPage::InvokeScript(const std::string& name, const StringList& arguments,
                            ScriptCallback result) {
    if (!m_document || !m_document->HasDocument()) {
        if (!m_document) RecordError("NULL pointer");
        RecordError("Cannot GetScript");
        return false;
    }
    // A page takes text only: one stray byte in an argument would fail the
    // whole call, and the page would go on showing what it showed before.
    StringList texts;
    texts.reserve(arguments.size());
    for (const std::string& argument : arguments) texts.push_back(ReplaceInvalidUtf8(argument));
    std::weak_ptr<CWebPage*> alive = m_alive;
    m_document->CallFunction(
        ReplaceInvalidUtf8(name), texts, [alive, result](const ScriptResult& outcome) {
            auto self = alive.lock();
            if (self && outcome.status != ScriptResult::Status::Ok) {
                if (outcome.status == ScriptResult::Status::NoDocument)
                    (*self)->RecordError("Cannot GetScript");
                else
                    (*self)->RecordError(SystemMessageText(FailureCode(outcome.status)));
            }
            if (result) result(outcome);
        });
    return true;
}

void CWebPage::CallState(IHtmlWindow* window, const std::string& name,
                         const StringList& arguments) {
    if (!window) return;
    auto kept = std::find_if(m_state.begin(), m_state.end(), [&](const StateCall& call) {
        return call.window == window && call.name == name;
    });
    if (kept == m_state.end()) {
        m_state.push_back({window, name, arguments});
        kept = std::prev(m_state.end());
    } else {
        kept->arguments = arguments;
    }
    if (!window->HasDocument()) return;
    if (kept->waiting) {
        kept->changed = true;
        return;
    }
    SendState(static_cast<std::size_t>(kept - m_state.begin()));
}

void CWebPage::SendState(std::size_t index) {
    StateCall& call = m_state[index];
    if (!BindDocument(call.window)) return;
    const unsigned serial = ++call.sent;
    call.waiting = true;
    call.changed = false;
    std::weak_ptr<CWebPage*> alive = m_alive;
    const bool made =
        InvokeScript(call.name, call.arguments, [alive, index, serial](const ScriptResult&) {
            auto self = alive.lock();
            if (!self) return;
            CWebPage& page = **self;
            StateCall& answered = page.m_state[index];
            // An answer to a call made before a later load is not the one
            // waited for; one for a window that went has nothing to go to.
            if (answered.sent != serial || !answered.window) return;
            answered.waiting = false;
            if (answered.changed && answered.window->HasDocument()) page.SendState(index);
        });
    if (!made) m_state[index].waiting = false;
}

void CWebPage::OnDocumentLoaded(IHtmlWindow* window) {
    if (!window || !window->HasDocument()) return;
    // A new document: whatever was on its way went to the old one.
    for (std::size_t k = 0; k < m_state.size(); ++k)
        if (m_state[k].window == window) SendState(k);
}

void CWebPage::ForgetWindow(IHtmlWindow* window) {
    if (!window) return;
    for (StateCall& call : m_state)
        if (call.window == window) call = StateCall{nullptr, {}, {}};
    if (m_document == window) m_document = nullptr;
}

bool CWebPage::InvokeScript(const std::string& name, ScriptCallback result) {
    return InvokeScript(name, StringList{}, std::move(result));
}

bool CWebPage::InvokeScript(const std::string& name, const std::string& first,
                            ScriptCallback result) {
    return InvokeScript(name, StringList{first}, std::move(result));
}

bool CWebPage::InvokeScript(const std::string& name, const std::string& first,
                            const std::string& second, ScriptCallback result) {
    return InvokeScript(name, StringList{first, second}, std::move(result));
}
