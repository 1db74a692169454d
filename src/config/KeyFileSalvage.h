#pragma once
// What can still be read of a key file that does not parse as a whole.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using KeyFileValues = std::vector<std::pair<std::string, std::string>>;

// The values of `group` in key-file text, read line by line: every line
// that is a well-formed key=value of the group is kept, every other line is
// skipped. Lines are read as a key-file reader reads them (leading blanks,
// '#' comments, "\s \n \t \r \\" escapes, the last of duplicates winning
// even when its value is unreadable, a group given twice read as one); a malformed header line ends
// the group, since the lines after it may belong to another. Keys and values that are not UTF-8,
// keys with a locale suffix and a non-UTF-8 "Encoding" are left out, so the result written back
// reads whole. Keys keep the order in which they first appear.
KeyFileValues SalvageKeyFileGroup(std::string_view text, std::string_view group);
