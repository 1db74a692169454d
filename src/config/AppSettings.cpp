#include "config/AppSettings.h"

AppSettingsRecord AppSettings;
