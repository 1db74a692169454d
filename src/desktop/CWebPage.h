#pragma once
// Calls global functions of a page script by name with string arguments.
// Failures are silent: they only leave their text in m_lastError.
#include <memory>
#include <string>
#include <vector>

#include "platform/HtmlWindow.h"

// The failure codes the page host reports, as the desktop's message texts
// know them.
enum : long {
    kScriptUnknownName = static_cast<long>(0x80020006L),  // no such function
    kScriptException = static_cast<long>(0x80020009L),    // the function threw
    kScriptFailed = static_cast<long>(0x80004005L),       // the engine failed
};

// The message text of a failure code, trailing line break included;
// "FormatMessage Netive Error" for a code that has no text.
std::string SystemMessageText(long code);

class CWebPage {
public:
    CWebPage();
    virtual ~CWebPage();
    CWebPage(const CWebPage&) = delete;
    CWebPage& operator=(const CWebPage&) = delete;

    // Binds to the document the window currently shows.
    bool BindDocument(IHtmlWindow* document);

    // Calls `name` with the arguments in order, each made valid UTF-8 (an
    // ill-formed sequence becomes U+FFFD). Returns false at once when
    // no document is bound; a function that is missing or throws is found
    // out when the page answers, which records the failure and reports it
    // to `result`, if given.
    bool InvokeScript(const std::string& name, const StringList& arguments,
                      ScriptCallback result = nullptr);
    bool InvokeScript(const std::string& name, ScriptCallback result = nullptr);
    bool InvokeScript(const std::string& name, const std::string& first,
                      ScriptCallback result = nullptr);
    bool InvokeScript(const std::string& name, const std::string& first, const std::string& second,
                      ScriptCallback result = nullptr);

    // A call that sets what the window's page shows. It is made at once when
    // the window has a document, and made again after every later load of
    // the page (one still loading now, or one loaded again after its process
    // ended), so the page never loses it. A later call of the same function
    // replaces the kept one. While one is on its way to the page, a later
    // one waits for its answer and then goes with the latest arguments:
    // calls made faster than the page answers them do not pile up.
    void CallState(IHtmlWindow* window, const std::string& name, const StringList& arguments);
    // The window's top-level document has loaded: the calls kept for it are
    // made, in the order they were first kept.
    void OnDocumentLoaded(IHtmlWindow* window);
    // The window is about to go: an answer that comes for it later starts
    // nothing, and its kept calls are dropped.
    void ForgetWindow(IHtmlWindow* window);

    void RecordError(const std::string& message);
    const std::string& LastError() const { return m_lastError; }

private:
    IHtmlWindow* m_document = nullptr;
    std::string m_lastError;
    struct StateCall {
        IHtmlWindow* window;  // null once forgotten; entries stay, answers find them by place
        std::string name;
        StringList arguments;
        unsigned sent = 0;     // counts the calls made, to know the last one's answer
        bool waiting = false;  // the last one made is not answered yet
        bool changed = false;  // arguments that came while it was on its way
    };
    void SendState(std::size_t index);
    std::vector<StateCall> m_state;
    // Answers that arrive after this object is gone are dropped.
    std::shared_ptr<CWebPage*> m_alive;
};
