#pragma once
// The transfer library (libcurl) is loaded on the first request, not with the program: it
// brings a TLS and authentication stack that a program's start has no use for. The loaded
// library's entry points are kept in one table; HttpLibraryCalls.h leads libcurl's own
// names to it for the client that calls them.
#include <curl/curl.h>

#include <string>

// The entry points the client uses.
#define VYN_CURL_FUNCTIONS(X)                                                                               \
    X(curl_global_init)                                                                                     \
    X(curl_easy_init) X(curl_easy_cleanup) X(curl_easy_setopt) X(curl_easy_strerror) X(curl_slist_append)   \
        X(curl_slist_free_all) X(curl_url) X(curl_url_cleanup) X(curl_url_set) X(curl_url_get) X(curl_free) \
            X(curl_multi_init) X(curl_multi_cleanup) X(curl_multi_add_handle) X(curl_multi_remove_handle)   \
                X(curl_multi_perform) X(curl_multi_poll) X(curl_multi_info_read)

struct CurlFunctions {
#define VYN_CURL_MEMBER(name) decltype(&::name) name = nullptr;
    VYN_CURL_FUNCTIONS(VYN_CURL_MEMBER)
#undef VYN_CURL_MEMBER
};

// Loads the library named by HttpLibraryName (HttpClient.h) and runs its curl_global_init,
// once, under a lock: any thread may make the first request. A library once loaded stays loaded. Raises
// Exception when the library is missing, lacks an entry point or cannot be prepared; the
// next call tries again.
const CurlFunctions& LoadHttpLibrary();
// The functions of the library last loaded; only after LoadHttpLibrary succeeded.
const CurlFunctions& HttpLibrary();
