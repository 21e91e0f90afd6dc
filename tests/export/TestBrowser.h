#pragma once
// The tests' browser: it fetches an address the program opens, following redirects and trusting
// the test server's authority, and gives the status of the page it lands on (0: none).

#include "platform/net/Http.h"

#include <QString>

inline int BrowseTo(const QString& url, const QString& caFile) {
    platform::net::HttpOptions options;
    options.caFile = caFile;
    QByteArray page;
    return platform::net::get(url, page, options).status;
}
