#pragma once
// The string tables and tray menu texts as data: the built-in set is
// generated from res/strings/*.txt at build time.
#include <span>

struct StringTableEntry {
    unsigned language;
    unsigned id;
    const char* text;  // UTF-8
};

struct MenuTextEntry {
    unsigned language;
    unsigned menu;
    unsigned command;
    const char* text;  // UTF-8
};

// One source file, for messages that name it.
struct StringTableSource {
    const char* file;
    unsigned language;
};

struct StringTables {
    std::span<const StringTableEntry> strings;
    std::span<const MenuTextEntry> menus;
    std::span<const StringTableSource> sources;
};

// The tables compiled into the program.
const StringTables& BuiltInStringTables();
