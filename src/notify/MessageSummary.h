#pragma once
// How a new message is summarised on its toast.
#include <optional>
#include <string>

#include "platform/System.h"
#include "platform/Types.h"

// The pieces of text between the delimiters; an empty text has none, a text
// ending with the delimiter has an empty last piece.
StringList SplitText(const std::string& text, const std::string& delimiter);

// "h : mm am" up to hour 12 inclusive, "h : mm pm" with the hour less 12
// after it.
std::string ToastTimeText(const LocalTime& time);

// The summary of a message of that kind with the preview on; nothing when
// the message lacks a line its kind needs to be summarised.
std::optional<std::string> SummarizeMessage(int kind, const std::string& text);

// Shown instead of sender and text when the preview is off.
inline constexpr const char* kHiddenSender = "        ";
inline constexpr const char* kHiddenSummary = "Murmel New Messages";
