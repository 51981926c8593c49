/* The URL fetcher the XML library is built with, answered by the program.

   The XML library reads a URL (an external DTD or entity given by address)
   through libcurl, and linking it brings libcurl's own dependencies along:
   the TLS, Kerberos, LDAP and SSH libraries, several megabytes of every
   process that loads it. The workbook never reads a URL (its parser refuses
   every external entity before the library would fetch one), so this library
   takes libcurl's name in the process and answers the few calls the XML
   library makes: starting and ending succeed, every transfer is refused.

   Only the calls the XML library links to are here; the build checks that
   list against the library before it uses this one. */

#include <stddef.h>

/* Result codes as libcurl numbers them. */
enum { kOk = 0, kFailedInit = 2, kBadHandle = 1, kUnknownOption = 48 };

int curl_global_init(long flags)
{
    (void)flags;
    return kOk;
}

void curl_global_cleanup(void) {}

void* curl_easy_init(void)
{
    return NULL;
}

void curl_easy_cleanup(void* easy)
{
    (void)easy;
}

int curl_easy_setopt(void* easy, int option, ...)
{
    (void)easy;
    (void)option;
    return kFailedInit;
}

int curl_easy_getinfo(void* easy, int info, ...)
{
    (void)easy;
    (void)info;
    return kUnknownOption;
}

void* curl_multi_init(void)
{
    return NULL;
}

int curl_multi_cleanup(void* multi)
{
    (void)multi;
    return kBadHandle;
}

int curl_multi_add_handle(void* multi, void* easy)
{
    (void)multi;
    (void)easy;
    return kBadHandle;
}

int curl_multi_remove_handle(void* multi, void* easy)
{
    (void)multi;
    (void)easy;
    return kBadHandle;
}

/* Nothing runs: the caller sees its transfer over at once, with no data. */
int curl_multi_perform(void* multi, int* running)
{
    (void)multi;
    if (running) *running = 0;
    return kBadHandle;
}

void* curl_multi_info_read(void* multi, int* left)
{
    (void)multi;
    if (left) *left = 0;
    return NULL;
}

int curl_multi_fdset(void* multi, void* readSet, void* writeSet, void* errorSet, int* highest)
{
    (void)multi;
    (void)readSet;
    (void)writeSet;
    (void)errorSet;
    if (highest) *highest = -1;
    return kBadHandle;
}

int curl_multi_timeout(void* multi, long* milliseconds)
{
    (void)multi;
    if (milliseconds) *milliseconds = -1;
    return kBadHandle;
}

void* curl_slist_append(void* list, const char* text)
{
    (void)list;
    (void)text;
    return NULL;
}

void curl_slist_free_all(void* list)
{
    (void)list;
}
