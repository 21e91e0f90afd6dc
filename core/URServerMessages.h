#pragma once
// The vendor endpoint: one kind of GET request whose query carries the program version, a short
// description of the machine, a status text and the last step breadcrumb. It serves as update
// check (the reply names the latest version) and as diagnostic message. Also the plain HTTP
// operations of the program (text GET, file download), the one-time copy of the sample
// projects and the browser-engine test.
//
// Nothing sent carries a user's folder: paths are cut to their file names before they leave.

#include <QString>
#include <cstdint>
#include <functional>

namespace platform::net {
struct HttpReply;
}

// Sends the status. `mode` 1 sends synchronously and returns the reply; any other mode sends in
// the background (the reply then updates the stored latest version). With `enabled` false
// nothing is sent and the reply is empty.
void SendServerMessage(QString& reply, bool enabled, int mode, const QString& status);

// Replaces the sending of SendServerMessage (tests see what would be sent); an empty function
// restores the request to the vendor endpoint.
using TRServerMessageSink = std::function<QString(const QString& status, bool synchronous)>;
void SetServerMessageSink(TRServerMessageSink sink);

// The vendor's base address (a setting; tests point it at a server on 127.0.0.1). By default
// TAVRIN_VENDOR_URL, else the vendor's own site.
QString VendorBaseAddress();
void SetVendorBaseAddress(const QString& address);
// The vendor's troubleshooting page.
QString TroubleshootingAddress();
// The vendor's home page (the About box's link) and its live chat page.
QString HomeAddress();
QString ChatAddress();
// The vendor's online help and how-to pages.
QString HelpAddress();
QString HowToAddress();

// The query of a status: "?version=…&os=…&status=…", each value percent-encoded.
QString ServerQuery(const QString& status);
// The text with every path cut to its file name ("PackTo_/home/u/a.qmb_2" gives "PackTo_a.qmb_2").
QString StripUserPaths(const QString& text);

// The body of a GET, or "error" when the request failed or the status was not 2xx.
QString HttpGetText(const QString& url);
// Downloads into the file with progress in the waiting form. True when the whole body arrived
// with a 2xx status (with or without a declared length); a failed download leaves no file.
bool DownloadToFile(const QString& url, const QString& fileName);
// The reply's declared Content-Length, -1 when it declared none.
std::int64_t GetContentLength(const platform::net::HttpReply& reply);

// The latest version announced by the vendor ("VersionS"); only a reply containing "Build" is
// stored.
void WriteLatestVersion(const QString& text);
QString ReadLatestVersion();
// Compares two version texts by their numbers ("2023.10" is later than "2023.9"; "2023.3
// (Build 2.1)" reads as 2023, 3, 2, 1): negative, 0 or positive.
int CompareVersions(const QString& a, const QString& b);

// Copies the sample projects into the projects folder once, in the background, never over
// files of the same name.
void CopySamples();
// The program opens web pages in the default browser, which is always modern enough.
bool IsModernBrowserEngine();
