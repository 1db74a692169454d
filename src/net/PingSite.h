#pragma once
// The keep-alive request to the web-client site. Blocks its thread.
#include <string>

#include "platform/System.h"

// A plain GET of `address` with nothing of the program's own (no cookies,
// no extra headers), redirects followed by the program's rule. Any HTTP
// answer, an error status included, means the site is there; a failed
// transfer or a refused redirect does not, and `error` says why, for the
// user.
bool PingSite(INetworkStatus& network, const std::string& address, std::string& error);
