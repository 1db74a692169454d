// Which shipped table a speaker reads, from the desktop's LANGUAGE list.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/DisplayLanguage.h"
#include "config/LoadText.h"
#include "config/StringTables.h"

namespace {

std::vector<unsigned> IdsFor(const char* language, const char* lang = nullptr) {
    return LanguageIdsFromEnvironment([&](const char* name) -> const char* {
        if (std::strcmp(name, "LANGUAGE") == 0) return language;
        if (std::strcmp(name, "LANG") == 0) return lang;
        return nullptr;
    });
}

TEST(DesktopLanguageList, EachSpeakerReadsTheTablesTheyExpect) {
    struct Case {
        const char* language;
        const char* lang;
        unsigned strings;
        unsigned menus;
    };
    const Case cases[] = {
        {"de:en", nullptr, 7, 7},
        {"xx:fr", nullptr, 12, 12},     // an unknown entry is skipped
        {"ar", nullptr, 14337, 14337},  // the only Arabic table
        {"ar_EG", nullptr, 14337, 14337},
        {"ga_IE", nullptr, 145, 145},  // Irish texts under their own id
        {"ga", nullptr, 145, 145},
        {"zh_SG", nullptr, 4, 4},
        {"zh_CN", nullptr, 4, 4},
        {"zh_TW", nullptr, 1028, 1028},
        {"zh_HK", nullptr, 3076, 3076},
        {"zh_MO", nullptr, 3076, 3076},  // Traditional, not the Simplified primary
        {"sr", nullptr, 9242, 9242},     // not the Croatian table sharing its primary id
        {"sr_ME", nullptr, 9242, 9242},
        {"pt_AO", nullptr, 2070, 22},  // European Portuguese
        {"pt_BR:pt_PT", nullptr, 1046, 1046},
        {"ko_KR", nullptr, 18, 1042},
        {"nn_NO:de", nullptr, 20, 20},  // Nynorsk reads the Norwegian table
        {"xx:yy", nullptr, 9, 9},
        {nullptr, "fi_FI.UTF-8", 11, 11},
        {"", "he_IL.UTF-8", 13, 13},
        {nullptr, nullptr, 9, 9},
    };
    const StringTables& tables = BuiltInStringTables();
    for (const Case& c : cases) {
        const std::string name = std::string(c.language ? c.language : "(unset)") + " / " +
                                 (c.lang ? c.lang : "(unset)");
        const std::vector<unsigned> ids = IdsFor(c.language, c.lang);
        EXPECT_EQ(ResolveStringTable(tables, ids), c.strings) << name;
        EXPECT_EQ(ResolveMenuTable(tables, ids), c.menus) << name;
        EXPECT_FALSE(LoadText(tables, ids, 161).empty()) << name;
    }
}

TEST(DesktopLanguageList, AnEarlierLanguageWinsOverALaterOnesExactTable) {
    // "ar" has only a table for another region; it still comes before the
    // exact tables of the languages listed after it.
    EXPECT_EQ(ResolveStringTable(BuiltInStringTables(), IdsFor("ar:en")), 14337u);
    EXPECT_EQ(ResolveStringTable(BuiltInStringTables(), IdsFor("ga:de")), 145u);
    EXPECT_EQ(ResolveStringTable(BuiltInStringTables(), IdsFor("xx:en:ar")), 9u);
}

}  // namespace
