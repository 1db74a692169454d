// Build-time tool: turns res/strings/*.txt into a C++ source that defines
// BuiltInStringTables(). A malformed file stops the build with its name and
// line.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "config/StringFile.h"

namespace {

// Octal escapes for everything outside printable ASCII, so the output does
// not depend on the compiler's source character set.
std::string Literal(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F && c != '?') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\%03o", c);
            out += buf;
        }
    }
    return out + "\"";
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::cerr << "usage: GenerateStringTables OUTPUT.cpp FILE.txt...\n";
        return 2;
    }
    std::ostringstream strings, menus, sources;
    std::vector<std::pair<unsigned, std::string>> stringOwners, menuOwners;
    bool ok = true;
    for (int i = 2; i < argc; ++i) {
        const std::string path = argv[i];
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::cerr << path << ": error: cannot read the file\n";
            ok = false;
            continue;
        }
        std::ostringstream text;
        text << in.rdbuf();
        StringFile file;
        StringFileError error;
        if (!ParseStringFile(text.str(), file, error)) {
            std::cerr << path << ":" << error.line << ": error: " << error.message << "\n";
            ok = false;
            continue;
        }
        const auto claim = [&](auto& owners, bool present, const char* what) {
            if (!present) return;
            for (const auto& [language, owner] : owners) {
                if (language == file.language) {
                    std::cerr << path << ": error: " << what << " of language " << file.language
                              << " are already in " << owner << "\n";
                    ok = false;
                }
            }
            owners.emplace_back(file.language, path);
        };
        claim(stringOwners, !file.strings.empty(), "strings");
        claim(menuOwners, !file.menus.empty(), "menu texts");

        sources << "    {" << Literal(BaseName(path)) << ", " << file.language << "},\n";
        for (const StringFileEntry& e : file.strings) {
            strings << "    {" << file.language << ", " << e.id << ", " << Literal(e.text)
                    << "},\n";
        }
        for (const MenuFileEntry& e : file.menus) {
            menus << "    {" << file.language << ", " << e.menu << ", " << e.command << ", "
                  << Literal(e.text) << "},\n";
        }
    }
    if (!ok) return 1;

    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "// Generated from res/strings/*.txt; edit those files instead.\n"
           "#include \"config/StringTables.h\"\n\n"
           "namespace {\n\n"
           "const StringTableEntry kStrings[] = {\n"
        << strings.str() << "    {0, 0, nullptr}};\n\n"
        << "const MenuTextEntry kMenus[] = {\n"
        << menus.str() << "    {0, 0, 0, nullptr}};\n\n"
        << "const StringTableSource kSources[] = {\n"
        << sources.str() << "    {nullptr, 0}};\n\n"
        << "}  // namespace\n\n"
           "const StringTables& BuiltInStringTables() {\n"
           "    static const StringTables tables{\n"
           "        std::span(kStrings, std::size(kStrings) - 1),\n"
           "        std::span(kMenus, std::size(kMenus) - 1),\n"
           "        std::span(kSources, std::size(kSources) - 1)};\n"
           "    return tables;\n"
           "}\n";
    if (!out) {
        std::cerr << argv[1] << ": error: cannot write the file\n";
        return 1;
    }
    return 0;
}
