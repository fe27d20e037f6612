#pragma once
// For the unit that calls libcurl: each of libcurl's names below calls that function of the
// library loaded by LoadHttpLibrary, which the caller has made sure of. The programs link no
// libcurl, so a name missing here fails the link instead of loading it at start.
#include "HttpLibrary.h"

#define curl_global_init HttpLibrary().curl_global_init
#define curl_easy_init HttpLibrary().curl_easy_init
#define curl_easy_cleanup HttpLibrary().curl_easy_cleanup
// curl.h makes this one a macro of the same call, to insist on three arguments.
#undef curl_easy_setopt
#define curl_easy_setopt HttpLibrary().curl_easy_setopt
#define curl_easy_strerror HttpLibrary().curl_easy_strerror
#define curl_slist_append HttpLibrary().curl_slist_append
#define curl_slist_free_all HttpLibrary().curl_slist_free_all
#define curl_url HttpLibrary().curl_url
#define curl_url_cleanup HttpLibrary().curl_url_cleanup
#define curl_url_set HttpLibrary().curl_url_set
#define curl_url_get HttpLibrary().curl_url_get
#define curl_free HttpLibrary().curl_free
#define curl_multi_init HttpLibrary().curl_multi_init
#define curl_multi_cleanup HttpLibrary().curl_multi_cleanup
#define curl_multi_add_handle HttpLibrary().curl_multi_add_handle
#define curl_multi_remove_handle HttpLibrary().curl_multi_remove_handle
#define curl_multi_perform HttpLibrary().curl_multi_perform
#define curl_multi_poll HttpLibrary().curl_multi_poll
#define curl_multi_info_read HttpLibrary().curl_multi_info_read
