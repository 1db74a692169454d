#include "config/DisplayLanguage.h"

#include <string>
#include <vector>

#include "config/Settings.h"

namespace {

struct LocaleId {
    std::string_view language;
    std::string_view country;  // empty: the language's usual form
    std::string_view modifier;
    unsigned id;
};

// Languages with their usual platform ids. A locale whose country is not
// listed takes the entry with an empty country.
constexpr LocaleId kLocales[] = {
    {"ar", "", "", 1025},
    {"ar", "ae", "", 14337},
    {"ar", "eg", "", 3073},
    {"bg", "", "", 1026},
    {"bs", "", "", 5146},
    {"ca", "", "", 1027},
    {"cs", "", "", 1029},
    {"da", "", "", 1030},
    {"de", "", "", 1031},
    {"de", "at", "", 3079},
    {"de", "ch", "", 2055},
    {"de", "lu", "", 4103},
    {"de", "li", "", 5127},
    {"el", "", "", 1032},
    {"en", "", "", 1033},
    {"en", "gb", "", 2057},
    {"en", "au", "", 3081},
    {"en", "ca", "", 4105},
    {"en", "nz", "", 5129},
    {"en", "ie", "", 6153},
    {"en", "za", "", 7177},
    {"en", "in", "", 16393},
    {"en", "sg", "", 18441},
    {"es", "", "", 3082},
    {"es", "mx", "", 2058},
    {"es", "ar", "", 11274},
    {"es", "co", "", 9226},
    {"es", "cl", "", 13322},
    {"es", "us", "", 21514},
    {"et", "", "", 1061},
    {"fa", "", "", 1065},
    {"fi", "", "", 1035},
    {"fr", "", "", 1036},
    {"fr", "be", "", 2060},
    {"fr", "ca", "", 3084},
    {"fr", "ch", "", 4108},
    {"fr", "lu", "", 5132},
    {"ga", "", "", 2108},
    {"gd", "", "", 1169},
    {"he", "", "", 1037},
    {"hi", "", "", 1081},
    {"hr", "", "", 1050},
    {"hr", "ba", "", 4122},
    {"hu", "", "", 1038},
    {"id", "", "", 1057},
    {"it", "", "", 1040},
    {"it", "ch", "", 2064},
    {"ja", "", "", 1041},
    {"kk", "", "", 1087},
    {"ko", "", "", 1042},
    {"lt", "", "", 1063},
    {"lv", "", "", 1062},
    {"mk", "", "", 1071},
    {"ms", "", "", 1086},
    {"ms", "bn", "", 2110},
    {"nb", "", "", 1044},
    {"nl", "", "", 1043},
    {"nl", "be", "", 2067},
    {"nn", "", "", 2068},
    {"no", "", "", 1044},
    {"pl", "", "", 1045},
    {"pt", "", "", 1046},
    {"pt", "pt", "", 2070},
    // Portuguese outside Brazil follows the European norm.
    {"pt", "ao", "", 2070},
    {"pt", "mz", "", 2070},
    {"pt", "cv", "", 2070},
    {"pt", "gw", "", 2070},
    {"pt", "st", "", 2070},
    {"pt", "tl", "", 2070},
    {"ro", "", "", 1048},
    {"ru", "", "", 1049},
    {"sk", "", "", 1051},
    {"sl", "", "", 1060},
    {"sr", "", "", 10266},
    {"sr", "", "latin", 9242},
    {"sr", "me", "", 12314},
    {"sr", "me", "latin", 11290},
    {"sv", "", "", 1053},
    {"sv", "fi", "", 2077},
    {"th", "", "", 1054},
    {"tr", "", "", 1055},
    {"uk", "", "", 1058},
    {"uz", "", "", 1091},
    {"uz", "", "cyrillic", 2115},
    {"vi", "", "", 1066},
    {"zh", "", "", 2052},
    {"zh", "sg", "", 4100},
    {"zh", "tw", "", 1028},
    {"zh", "hk", "", 3076},
    {"zh", "mo", "", 5124},
};

}  // namespace

unsigned KnownLanguageIdFromLocale(std::string_view locale) {
    // language[_COUNTRY][.codeset][@modifier], "-" accepted for "_".
    std::string_view modifier;
    if (const auto at = locale.find('@'); at != std::string_view::npos) {
        modifier = locale.substr(at + 1);
        locale = locale.substr(0, at);
    }
    locale = locale.substr(0, locale.find('.'));
    const auto sep = locale.find_first_of("_-");
    const std::string language = LowerAscii(locale.substr(0, sep));
    const std::string country =
        sep == std::string_view::npos ? std::string() : LowerAscii(locale.substr(sep + 1));
    const std::string mod = LowerAscii(modifier);

    const LocaleId* best = nullptr;
    int bestScore = -1;
    for (const LocaleId& entry : kLocales) {
        if (entry.language != language) continue;
        if (!entry.country.empty() && entry.country != country) continue;
        if (!entry.modifier.empty() && entry.modifier != mod) continue;
        const int score = (entry.country.empty() ? 0 : 2) + (entry.modifier.empty() ? 0 : 1);
        if (score > bestScore) {
            best = &entry;
            bestScore = score;
        }
    }
    return best ? best->id : 0;
}

unsigned LanguageIdFromLocale(std::string_view locale) {
    const unsigned id = KnownLanguageIdFromLocale(locale);
    return id ? id : kLanguageEnglishUS;
}

unsigned LanguageIdFromEnvironment(const std::function<const char*(const char*)>& getenv) {
    if (const char* list = getenv("LANGUAGE")) {
        std::string_view entries(list);
        while (!entries.empty()) {
            const auto colon = entries.find(':');
            const std::string_view first = entries.substr(0, colon);
            if (!first.empty()) return LanguageIdFromLocale(first);
            entries =
                colon == std::string_view::npos ? std::string_view() : entries.substr(colon + 1);
        }
    }
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        if (value && *value) return LanguageIdFromLocale(value);
    }
    return kLanguageEnglishUS;
}

std::vector<unsigned> LanguageIdsFromEnvironment(
    const std::function<const char*(const char*)>& getenv) {
    std::vector<unsigned> ids;
    if (const char* list = getenv("LANGUAGE")) {
        std::string_view entries(list);
        while (!entries.empty()) {
            const auto colon = entries.find(':');
            if (const unsigned id = KnownLanguageIdFromLocale(entries.substr(0, colon))) {
                ids.push_back(id);
            }
            entries =
                colon == std::string_view::npos ? std::string_view() : entries.substr(colon + 1);
        }
    }
    if (ids.empty()) ids.push_back(LanguageIdFromEnvironment(getenv));
    return ids;
}
