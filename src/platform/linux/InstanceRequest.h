#pragma once
// What a later start and the running instance say to each other on the
// single-instance socket: one request line, one answer line.
#include <cstddef>
#include <string_view>

inline constexpr std::string_view kActivateRequest = "activate\n";
// The running instance took the request; sent before it acts on it.
inline constexpr std::string_view kActivateAnswer = "ok\n";
// A line longer than this is not a request; reading stops there.
inline constexpr std::size_t kMaxInstanceLine = 64;

enum class InstanceLine { Incomplete, Expected, Other };

// What the bytes received so far on a connection amount to, given the line
// that is expected (kActivateRequest or kActivateAnswer, newline included).
// Incomplete: keep reading; more than kMaxInstanceLine bytes without a
// newline are Other.
InstanceLine ReadInstanceLine(std::string_view received, std::string_view expected);
