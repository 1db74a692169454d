#include "platform/linux/ResourceTable.h"

#include <map>

namespace {
// Ids are unique across pages, stylesheet and images, so a reference such as
// "res:/IMG/#261" needs only the number. Add new resources here.
const std::map<int, const char*>& Table() {
    static const std::map<int, const char*> table = {
        {103, "html/toast.html"},
        {104, "html/empty.html"},
        {151, "html/settings.html"},
        {156, "css/murmel.css"},
        {172, "html/login.html"},
        // The toast's close button (normal, hovered, pressed) and background.
        {257, "img/toast-close.svg"},
        {258, "img/toast-bg.svg"},
        // The login page's logo, lettering and window buttons.
        {261, "img/logo.svg"},
        {262, "img/logotext.svg"},
        {263, "img/minimize.svg"},
        {264, "img/close.svg"},
        // The settings page's sample button and section icons.
        {281, "img/play.svg"},
        {282, "img/sound.svg"},
        {283, "img/preview.svg"},
        {284, "img/start.svg"},
    };
    return table;
}
}  // namespace

std::string ResourceFile(int id) {
    auto it = Table().find(id);
    return it == Table().end() ? std::string() : std::string(it->second);
}
