#pragma once
// The program's numbered resources (pages, stylesheet, images) and the files
// under res/ that hold them.
#include <string>

// The file of resource `id` relative to res/ (e.g. "html/login.html"), or
// empty when the id is unknown.
std::string ResourceFile(int id);
