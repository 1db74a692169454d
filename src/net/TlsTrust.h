#pragma once
// Certificate checks of every request: always on, against the system's
// authorities, plus the one in the file MURMEL_CA_FILE names (development
// and tests only). Any thread.
#include <curl/curl.h>

void ApplyTlsTrust(CURL* handle);
