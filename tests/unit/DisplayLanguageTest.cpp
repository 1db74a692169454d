#include <gtest/gtest.h>

#include <map>
#include <string>

#include "config/DisplayLanguage.h"

namespace {

TEST(LanguageIdFromLocale, LocaleNamesMapToPlatformIds) {
    const std::pair<const char*, unsigned> cases[] = {
        {"en_US.UTF-8", 1033},
        {"en_GB.UTF-8", 2057},
        {"ko_KR.UTF-8", 1042},
        {"pt_PT.UTF-8", 2070},
        {"pt_BR", 1046},
        {"pt", 1046},
        {"zh_TW.UTF-8", 1028},
        {"zh_HK", 3076},
        {"zh_CN.GB18030", 2052},
        {"sr_RS@latin", 9242},
        {"sr_RS.UTF-8@latin", 9242},
        {"sr_RS", 10266},
        {"ar_AE.UTF-8", 14337},
        {"ar_SA", 1025},
        {"fr_CA", 3084},
        {"fr_FR@euro", 1036},
        {"es_MX", 2058},
        {"es_ES", 3082},
        {"ga_IE.UTF-8", 2108},
        {"de_AT", 3079},
        {"de", 1031},
        {"nb_NO", 1044},
        {"uz_UZ@cyrillic", 2115},
        {"ja_JP.eucJP", 1041},
        {"fa_IR", 1065},
        {"ms_MY", 1086},
        {"kk_KZ", 1087},
        {"he_IL", 1037},
        {"ko-KR", 1042},
        {"PT_pt", 2070},
        {"C", 1033},
        {"POSIX", 1033},
        {"C.UTF-8", 1033},
        {"", 1033},
        {"tlh_XX", 1033},
    };
    for (const auto& [locale, id] : cases) EXPECT_EQ(LanguageIdFromLocale(locale), id) << locale;
}

TEST(LanguageIdFromLocale, PrimaryLanguagesOfTheSpecialIds) {
    EXPECT_EQ(PrimaryLanguage(LanguageIdFromLocale("zh_CN")), 4u);
    EXPECT_EQ(PrimaryLanguage(LanguageIdFromLocale("ko_KR")), 18u);
    EXPECT_EQ(PrimaryLanguage(LanguageIdFromLocale("pt_PT")), 22u);
    EXPECT_EQ(PrimaryLanguage(LanguageIdFromLocale("ga_IE")), 60u);
}

// The language id for a given set of variables; unset ones are absent.
unsigned IdOf(const std::map<std::string, std::string>& vars) {
    return LanguageIdFromEnvironment([&vars](const char* name) -> const char* {
        const auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    });
}

TEST(LanguageIdFromEnvironment, VariablesDecideInOrderAndEmptyOnesAreSkipped) {
    EXPECT_EQ(IdOf({}), 1033u);
    EXPECT_EQ(IdOf({{"LANG", "de_DE.UTF-8"}}), 1031u);
    EXPECT_EQ(IdOf({{"LANG", "de_DE"}, {"LC_MESSAGES", "fr_CA"}}), 3084u);
    EXPECT_EQ(IdOf({{"LANG", "de_DE"}, {"LC_MESSAGES", "fr_CA"}, {"LC_ALL", "ko_KR"}}), 1042u);
    EXPECT_EQ(IdOf({{"LC_ALL", "ko_KR"}, {"LANGUAGE", "pt_PT:pt:en"}}), 2070u);
    EXPECT_EQ(IdOf({{"LANGUAGE", ":ga_IE:en"}}), 2108u);
    EXPECT_EQ(IdOf({{"LANGUAGE", ""}, {"LC_ALL", ""}, {"LANG", "zh_TW"}}), 1028u);
    EXPECT_EQ(IdOf({{"LC_ALL", "C"}, {"LANG", "de_DE"}}), 1033u);
}

}  // namespace
