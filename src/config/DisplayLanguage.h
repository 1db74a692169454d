#pragma once
// The user's display language as a platform language id, from locale names
// such as "pt_PT.UTF-8", "sr_RS@latin" or "zh-TW".
#include <functional>
#include <string_view>
#include <vector>

inline constexpr unsigned kLanguageEnglishUS = 1033;

// The language id of one locale name; "C", "POSIX", empty and unknown
// languages give English (United States).
unsigned LanguageIdFromLocale(std::string_view locale);

// The same, but 0 for "C", "POSIX", empty and unknown languages.
unsigned KnownLanguageIdFromLocale(std::string_view locale);

// Looks at LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG, in that
// order; the first that is set and not empty decides. `getenv` returns
// nullptr for a variable that is not set.
unsigned LanguageIdFromEnvironment(const std::function<const char*(const char*)>& getenv);

// The user's languages in order of preference, as gettext reads them: every
// known entry of the colon-separated LANGUAGE list (unknown ones skipped);
// without any, the one language LanguageIdFromEnvironment gives. Never empty.
std::vector<unsigned> LanguageIdsFromEnvironment(
    const std::function<const char*(const char*)>& getenv);

// The primary language of a language id (its sub-language part zero).
constexpr unsigned PrimaryLanguage(unsigned languageId) {
    return languageId & 0x3FF;
}
