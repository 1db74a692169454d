// Reads arbitrary bytes as a request's path and the session's cookie text:
// the path runs to the first line feed, the cookie text is the rest. The
// cookies go into the real shared store and are read back from it.
#include <curl/curl.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "net/CookieStore.h"
#include "net/HttpRequest.h"

namespace {

const std::string kHost = "web.murmel.example";

void Check(bool ok) {
    if (!ok) std::abort();
}

// Fields of one stored cookie in the store's own line form.
StringList Fields(const std::string& line) {
    StringList fields;
    std::string::size_type start = 0;
    for (;;) {
        const auto tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

// A cookie any store keeps as given: a plain name and a plain value.
bool IsPlain(const CookieEntry& cookie) {
    const auto plain = [](const std::string& text, std::size_t most) {
        if (text.size() > most) return false;
        for (const char c : text) {
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '-' || c == '.';
            if (!ok) return false;
        }
        return true;
    };
    return !cookie.name.empty() && cookie.name[0] != '-' && plain(cookie.name, 64) &&
           plain(cookie.value, 256);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    // The path and query of a request address always begin with "/".
    std::string object = newline == std::string::npos ? "/" : input.substr(0, newline);
    if (object.empty() || object[0] != '/') object.insert(0, "/");
    const std::string text = newline == std::string::npos ? input : input.substr(newline + 1);

    StringList entries{"stale"};
    SplitCookies(entries, text);
    std::size_t semicolons = 0;
    for (const char c : text) semicolons += c == ';';
    Check(entries.size() == semicolons + 1);

    const std::string path = CookiePathOf(object);
    Check(!path.empty() && path[0] == '/' && path.find_first_of("?#") == std::string::npos);

    // The values handed in for each name, and whether the last of them is
    // plain, which the store must then hold.
    std::map<std::string, std::set<std::string>> given;
    std::map<std::string, CookieEntry> last;
    for (const std::string& entry : entries) {
        const CookieEntry cookie = ParseCookieEntry(entry);
        Check(cookie.name.find('=') == std::string::npos);
        Check(cookie.value.find('=') == std::string::npos);
        Check(cookie.name.size() + cookie.value.size() <= entry.size());
        if (cookie.name.empty()) continue;
        given[cookie.name].insert(cookie.value);
        // The store takes names that differ only in case for one cookie.
        last[Lower(cookie.name)] = cookie;
    }

    ClearCookieStore();
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
    Check(handle != nullptr);
    UseCookieStore(handle.get());
    // A path that no cookie line can hold stores nothing at all.
    const bool pathFits = path.find_first_of(std::string("\t\r\n\0", 4)) == std::string::npos;
    StoreRequestCookies(handle.get(), kHost, object, entries);

    curl_slist* stored = nullptr;
    Check(curl_easy_getinfo(handle.get(), CURLINFO_COOKIELIST, &stored) == CURLE_OK);
    std::map<std::string, std::string> found;
    for (curl_slist* item = stored; item; item = item->next) {
        const StringList fields = Fields(item->data);
        Check(fields.size() == 7);
        // Only the request's own host and directory, never a cookie that
        // outlives the session or one the caller did not hand in.
        Check(fields[0] == kHost && fields[1] == "FALSE" && fields[2] == path);
        Check(fields[4] == "0");
        const auto it = given.find(fields[5]);
        Check(it != given.end() && it->second.count(fields[6]) == 1);
        Check(found.emplace(Lower(fields[5]), fields[5] + "=" + fields[6]).second);
    }
    curl_slist_free_all(stored);
    for (const auto& [name, cookie] : last) {
        if (IsPlain(cookie) && pathFits)
            Check(found.count(name) == 1 && found[name] == cookie.name + "=" + cookie.value);
    }
    return 0;
}
