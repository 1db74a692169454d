#include "notify/MessageSummary.h"

#include <cstdio>
#include <utility>

#include "notify/CNotiHtmlDlg.h"
#include "notify/MessageData.h"
#include "notify/NotifyConfig.h"

namespace {

bool Has(const std::string& line, const char* word) {
    return line.find(word) != std::string::npos;
}

// A media message names its kind in line 1; some kinds look at line 2 or 3.
std::optional<std::string> SummarizeMedia(const StringList& lines) {
    const std::string first = lines.empty() ? std::string() : lines[0];
    auto line = [&lines](std::size_t i) -> const std::string* {
        return i < lines.size() ? &lines[i] : nullptr;
    };
    if (Has(first, "image")) {
        const std::string* third = line(2);
        if (!third) return std::nullopt;
        return NotifyText(Has(*third, "zumble") ? 191 : 185);
    }
    if (Has(first, "zumble")) return NotifyText(191);
    if (Has(first, "ams")) return NotifyText(193);
    if (Has(first, "video")) return NotifyText(186);
    if (Has(first, "audio")) {
        const std::string* second = line(1);
        if (!second) return std::nullopt;
        return NotifyText(Has(*second, "3gp") ? 195 : 187);
    }
    if (Has(first, "contact")) return NotifyText(188);
    if (Has(first, "calendar")) return NotifyText(192);
    if (Has(first, "geo")) return NotifyText(189);
    if (Has(first, "doc")) return NotifyText(190);
    if (Has(first, "file")) {
        const std::string* second = line(1);
        if (!second) return std::nullopt;
        return *second;
    }
    if (Has(first, "mixed")) {
        const std::string* second = line(1);
        if (!second) return std::nullopt;
        if (Has(*second, "doc")) return NotifyText(190);
        if (Has(*second, "image")) return NotifyText(185);
        if (Has(*second, "video")) return NotifyText(186);
        if (Has(*second, "zumble")) return NotifyText(191);
        return std::string();
    }
    return NotifyText(194);
}

}  // namespace

StringList SplitText(const std::string& text, const std::string& delimiter) {
    StringList pieces;
    if (text.empty()) return pieces;
    if (delimiter.empty()) return {text};
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(delimiter, start);
        if (at == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + delimiter.size();
    }
}

std::string ToastTimeText(const LocalTime& time) {
    // Hour 0 stays 0 and noon counts as am: the service's users know the
    // toasts' clock this way.
    char text[32];
    if (time.hour <= 12)
        std::snprintf(text, sizeof text, "%d : %02d am", time.hour, time.minute);
    else
        std::snprintf(text, sizeof text, "%d : %02d pm", time.hour - 12, time.minute);
    return text;
}

std::optional<std::string> SummarizeMessage(int kind, const std::string& text) {
    if (kind != 1) return text;
    return SummarizeMedia(SplitText(text, "\n"));
}

bool CNotiHtmlDlg::FillToast(const std::string& data) {
    m_eventData = data;
    const MessageData message = ReadMessageData(data);
    // Data that is not a message gives no toast: an empty or stale one
    // would tell the user nothing true.
    if (!message.readable) return false;
    if (message.sender.empty() || message.text.empty()) return false;

    const std::string timeText = ToastTimeText(m_clock ? m_clock->Now() : LocalTime{});
    std::string sender = message.sender;
    std::optional<std::string> summary;
    if (NotifyPreviewOn()) {
        summary = SummarizeMessage(message.kind, message.text);
    } else {
        sender = kHiddenSender;
        summary = kHiddenSummary;
    }
    // A message lacking a line its kind needs, or one that sums up to
    // nothing, is not shown; the page keeps what it showed.
    const StringList lines = summary ? SplitText(*summary, "\n") : StringList();
    if (lines.empty()) return false;

    m_timeText = timeText;
    // A page still loading gets the message once it has loaded. One call
    // fills the whole toast, and none when the page shows it already: the
    // engine keeps a little for every call made.
    StringList fill{m_closeLabel, sender, lines.front(), m_timeText};
    if (fill == m_filled) return true;
    m_page.CallState(m_window.get(), "setToast", fill);
    m_filled = std::move(fill);
    return true;
}
