#pragma once
// The keep-alive request to the web-client site. Blocks its thread.
#include <string>

#include "platform/System.h"

// A plain GET of `address` with nothing of the program's own (no cookies,
// no extra headers). Any HTTP answer, an error status included, means the
// site is there; otherwise `error` says why not, for the user.
bool PingSite(INetworkStatus& network, const std::string& address, std::string& error);
