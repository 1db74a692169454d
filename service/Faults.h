#pragma once
// Broken and hostile answers a route can give instead of its own, chosen by
// the route's scenario section: a redirect (to a given address, to itself,
// to the other scheme, or a chain of them), no answer at all, or an answer
// cut off in the middle of its body.
#include <json/json.h>
#include <libsoup/soup.h>

#include <string>

namespace svc {

class Server;

// The redirect or the silence that `section` asks for, if any. True when it
// took the request over, so the route must not answer it.
bool TakeOverWithFault(Server& server, SoupServerMessage* msg, const Json::Value& section);

// Sends the answer already set on `msg` up to half its body, with the
// Content-Length of the whole, and closes the connection.
void CutShort(SoupServerMessage* msg);

// Checks the fault keys of a route's section; `where` names it for the error.
bool CheckFaults(const Json::Value& section, const std::string& where, std::string& error);

// Where a redirect of a request for `uri` leads; `hop` counts the redirects
// so far (-1: leave no count in the address, so it names itself).
std::string RedirectTarget(const std::string& to, GUri* uri, int otherPort, int hop);

}  // namespace svc
