#pragma once
// The program's pages, stylesheet and images embedded in the binary, by
// res: address: "res:///html/login.html" names a file under res/;
// "res:/CSS/#156" names a numbered resource (the number after '#').
#include <functional>
#include <string>

// The address of numbered resource `id`, or empty when it is unknown.
std::string ResourceUri(int id);

// The GResource path that a res: address names, or empty when it names none.
std::string ResourcePathOfUri(const std::string& uri);

// Asked whenever a page is served: true serves it with dir="rtl" on its root
// element, so the page and its stylesheet lay out right to left. Without one
// pages keep the direction they are written in.
void SetPageDirection(std::function<bool()> rightToLeft);
bool PagesRightToLeft();

// `html` with dir="rtl" added to its <html> tag (unchanged without one).
std::string WithRightToLeftRoot(const std::string& html);
