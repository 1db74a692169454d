#include "platform/linux/TextDirection.h"

#include <gtk/gtk.h>

#include "config/LoadText.h"
#include "platform/linux/ResPages.h"

void UseTextDirection(IDisplayLanguage& language) {
    const auto rightToLeft = [&language] {
        return TextsReadRightToLeft(BuiltInStringTables(), language.LanguageIds());
    };
    gtk_widget_set_default_direction(rightToLeft() ? GTK_TEXT_DIR_RTL : GTK_TEXT_DIR_LTR);
    SetPageDirection(rightToLeft);
}
