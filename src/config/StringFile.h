#pragma once
// The text format of one string table file (res/strings/*.txt):
//   # comment            blank lines and lines starting with # are ignored
//   lang 7               the language id the file's texts are keyed by
//   161 "Text"           a string: id, text in double quotes
//   menu 152 32785 "E"   a tray menu text: menu id, command id, text
// Escapes inside the quotes: \n line break, \" quote, \\ backslash.
#include <string>
#include <string_view>
#include <vector>

struct StringFileEntry {
    unsigned id = 0;
    std::string text;
};

struct MenuFileEntry {
    unsigned menu = 0;
    unsigned command = 0;
    std::string text;
};

struct StringFile {
    unsigned language = 0;
    std::vector<StringFileEntry> strings;
    std::vector<MenuFileEntry> menus;
};

struct StringFileError {
    int line = 0;  // 1-based; 0 for the file as a whole
    std::string message;
};

// Parses a whole file. Rejects lines it does not understand, ids outside the
// string table, menu items the tray menus do not have, repeated entries, and
// a missing or repeated lang line.
bool ParseStringFile(std::string_view text, StringFile& file, StringFileError& error);
