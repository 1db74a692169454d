#include "config/AppSettings.h"

AppSettings g_appSettings;
