#pragma once
// The scripts injected into every frame of an HTML window.
//
// The page world gets window.external. Its void methods hand the call, as
// JSON text, to the bridge world through a DOM event; onFocus and onBlur
// answer inside the page from the two hint texts the application gave.
//
// The bridge world is an isolated script world the page cannot reach. It
// reads the frame's real address, reports external calls, clicks and
// mouse-downs on elements carrying an id, drags on drag handles and the
// frame's load, each with the current values of the bound fields, to the
// "murmel" message handler.
#include <string>

inline constexpr const char* kBridgeWorld = "murmel-bridge";
inline constexpr const char* kMessageHandler = "murmel";

// `hintsJson` is a JSON array of the two hint texts.
std::string PageWorldScript(const std::string& hintsJson);

// `configJson` is {"bind":{id:kind...},"drag":[ids...]}.
std::string BridgeWorldScript(const std::string& configJson);
