// libcurl is opened at the first request instead of with the program.
//
// Linked as a library, libcurl and the two dozen libraries it needs (TLS,
// Kerberos, LDAP, SSH) are loaded and relocated before `main`, on the path
// to the tray item and the login form, although nothing asks for a
// transfer until the windows are made. The program therefore defines the
// few libcurl functions it calls; the first call of any of them opens the
// library once, on whichever thread needs it, and every call goes on to the
// library's own function. The definitions are hidden: only this program's
// code binds to them, never a library loaded into the process.
//
// Should the library be missing, every call fails the way libcurl fails
// for lack of memory (a null handle, an error code), which each caller
// already turns into a failed request.

#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>

namespace {

constexpr const char* kLibrary = "libcurl.so.4";

// Typed from the header's own declarations, which differ a little
// between libcurl versions.
struct Library {
    decltype(&curl_easy_init) easyInit;
    decltype(&curl_easy_cleanup) easyCleanup;
    decltype(&curl_easy_setopt) easySetopt;
    decltype(&curl_easy_getinfo) easyGetinfo;
    decltype(&curl_easy_perform) easyPerform;
    decltype(&curl_easy_strerror) easyStrerror;
    decltype(&curl_global_init) globalInit;
    decltype(&curl_free) free;
    decltype(&curl_share_init) shareInit;
    decltype(&curl_share_setopt) shareSetopt;
    decltype(&curl_slist_append) slistAppend;
    decltype(&curl_slist_free_all) slistFreeAll;
    decltype(&curl_url) url;
    decltype(&curl_url_cleanup) urlCleanup;
    decltype(&curl_url_get) urlGet;
    decltype(&curl_url_set) urlSet;
    decltype(&curl_version_info) versionInfo;
};

// curl_url_get takes a const handle in newer headers.
template <typename>
struct FirstParameter;
template <typename R, typename First, typename... Rest>
struct FirstParameter<R(First, Rest...)> {
    using Type = First;
};
using UrlGetHandle = FirstParameter<decltype(curl_url_get)>::Type;

template <typename F>
bool Bind(void* handle, const char* name, F& slot) {
    slot = reinterpret_cast<F>(dlsym(handle, name));
    return slot != nullptr;
}

bool Open(Library& lib) {
    void* handle = dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "murmel-alarm: cannot load %s: %s\n", kLibrary, dlerror());
        return false;
    }
    const bool all =
        Bind(handle, "curl_easy_init", lib.easyInit) &&
        Bind(handle, "curl_easy_cleanup", lib.easyCleanup) &&
        Bind(handle, "curl_easy_setopt", lib.easySetopt) &&
        Bind(handle, "curl_easy_getinfo", lib.easyGetinfo) &&
        Bind(handle, "curl_easy_perform", lib.easyPerform) &&
        Bind(handle, "curl_easy_strerror", lib.easyStrerror) &&
        Bind(handle, "curl_global_init", lib.globalInit) && Bind(handle, "curl_free", lib.free) &&
        Bind(handle, "curl_share_init", lib.shareInit) &&
        Bind(handle, "curl_share_setopt", lib.shareSetopt) &&
        Bind(handle, "curl_slist_append", lib.slistAppend) &&
        Bind(handle, "curl_slist_free_all", lib.slistFreeAll) &&
        Bind(handle, "curl_url", lib.url) && Bind(handle, "curl_url_cleanup", lib.urlCleanup) &&
        Bind(handle, "curl_url_get", lib.urlGet) && Bind(handle, "curl_url_set", lib.urlSet) &&
        Bind(handle, "curl_version_info", lib.versionInfo);
    if (!all) {
        std::fprintf(stderr, "murmel-alarm: %s lacks a function this program needs\n", kLibrary);
        return false;
    }
    // Set up once, before any handle: a handle made first would set the
    // library up on its own, and two threads' first requests would race
    // there.
    return lib.globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK;
}

// The library's functions, or null when it could not be opened.
const Library* Curl() {
    static Library lib{};
    static const Library* const opened = Open(lib) ? &lib : nullptr;
    return opened;
}

}  // namespace

#define MURMEL_HIDDEN __attribute__((visibility("hidden")))

extern "C" {

MURMEL_HIDDEN CURL* curl_easy_init() {
    const Library* lib = Curl();
    return lib ? lib->easyInit() : nullptr;
}

MURMEL_HIDDEN void curl_easy_cleanup(CURL* handle) {
    if (const Library* lib = Curl()) lib->easyCleanup(handle);
}

MURMEL_HIDDEN CURLcode curl_easy_setopt(CURL* handle, CURLoption option, ...) {
    const Library* lib = Curl();
    if (!lib || !handle) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, option);
    // The option's number says which type its argument has, as in libcurl.
    CURLcode result;
    if (option < CURLOPTTYPE_OBJECTPOINT)
        result = lib->easySetopt(handle, option, va_arg(args, long));
    else if (option < CURLOPTTYPE_FUNCTIONPOINT)
        result = lib->easySetopt(handle, option, va_arg(args, void*));
    else if (option < CURLOPTTYPE_OFF_T)
        result = lib->easySetopt(handle, option, va_arg(args, void (*)()));
    else if (option < CURLOPTTYPE_BLOB)
        result = lib->easySetopt(handle, option, va_arg(args, curl_off_t));
    else
        result = lib->easySetopt(handle, option, va_arg(args, void*));
    va_end(args);
    return result;
}

MURMEL_HIDDEN CURLcode curl_easy_getinfo(CURL* handle, CURLINFO info, ...) {
    const Library* lib = Curl();
    if (!lib || !handle) return CURLE_FAILED_INIT;
    va_list args;
    va_start(args, info);
    // Every item is read into the variable the pointer names.
    void* into = va_arg(args, void*);
    va_end(args);
    return lib->easyGetinfo(handle, info, into);
}

MURMEL_HIDDEN CURLcode curl_easy_perform(CURL* handle) {
    const Library* lib = Curl();
    return lib ? lib->easyPerform(handle) : CURLE_FAILED_INIT;
}

MURMEL_HIDDEN const char* curl_easy_strerror(CURLcode code) {
    const Library* lib = Curl();
    return lib ? lib->easyStrerror(code) : "the network library (libcurl) could not be loaded";
}

MURMEL_HIDDEN void curl_free(void* p) {
    if (const Library* lib = Curl()) lib->free(p);
}

MURMEL_HIDDEN CURLSH* curl_share_init() {
    const Library* lib = Curl();
    return lib ? lib->shareInit() : nullptr;
}

MURMEL_HIDDEN CURLSHcode curl_share_setopt(CURLSH* share, CURLSHoption option, ...) {
    const Library* lib = Curl();
    if (!lib || !share) return CURLSHE_INVALID;
    va_list args;
    va_start(args, option);
    CURLSHcode result;
    switch (option) {
        case CURLSHOPT_SHARE:
        case CURLSHOPT_UNSHARE:
            result = lib->shareSetopt(share, option, va_arg(args, int));
            break;
        case CURLSHOPT_LOCKFUNC:
        case CURLSHOPT_UNLOCKFUNC:
            result = lib->shareSetopt(share, option, va_arg(args, void (*)()));
            break;
        default:
            result = lib->shareSetopt(share, option, va_arg(args, void*));
            break;
    }
    va_end(args);
    return result;
}

MURMEL_HIDDEN curl_slist* curl_slist_append(curl_slist* list, const char* text) {
    const Library* lib = Curl();
    return lib ? lib->slistAppend(list, text) : nullptr;
}

MURMEL_HIDDEN void curl_slist_free_all(curl_slist* list) {
    if (const Library* lib = Curl()) lib->slistFreeAll(list);
}

MURMEL_HIDDEN CURLU* curl_url() {
    const Library* lib = Curl();
    return lib ? lib->url() : nullptr;
}

MURMEL_HIDDEN void curl_url_cleanup(CURLU* url) {
    if (const Library* lib = Curl()) lib->urlCleanup(url);
}

MURMEL_HIDDEN CURLUcode curl_url_get(UrlGetHandle url, CURLUPart part, char** text,
                                     unsigned int flags) {
    const Library* lib = Curl();
    return lib ? lib->urlGet(url, part, text, flags) : CURLUE_OUT_OF_MEMORY;
}

MURMEL_HIDDEN CURLUcode curl_url_set(CURLU* url, CURLUPart part, const char* text,
                                     unsigned int flags) {
    const Library* lib = Curl();
    return lib ? lib->urlSet(url, part, text, flags) : CURLUE_OUT_OF_MEMORY;
}

MURMEL_HIDDEN curl_version_info_data* curl_version_info(CURLversion version) {
    const Library* lib = Curl();
    return lib ? lib->versionInfo(version) : nullptr;
}

}  // extern "C"
