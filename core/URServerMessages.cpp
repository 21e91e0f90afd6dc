#include "core/URServerMessages.h"

#include "core/URFormHooks.h"
#include "core/URSettings.h"
#include "core/URStartup.h"
#include "core/URTempFolders.h"
#include "core/URUtils.h"
#include "platform/net/Http.h"
#include "platform/system/Registry.h"
#include "platform/system/SystemInfo.h"

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <QThreadPool>
#include <QUrl>
#include <cmath>

namespace {

const char* const UserAgent = "Mozilla/5.001 (windows; U; NT4.0; en-US; rv:1.0) Gecko/25250101";
const char* const DownloadingText = "Downloading the file...";
const char* const LatestVersionValue = "VersionS";
const char* const ErrorReply = "error";
// A text reply is short: a request that takes longer than this is given up, so that a
// background message never holds the program's exit for long.
constexpr int TextReplyTimeoutMs = 30000;

TRServerMessageSink sink;

QString withoutTrailingSlashes(QString address) {
    while (address.endsWith('/'))
        address.chop(1);
    return address;
}

QString& vendorBase() {
    static QString base =
        withoutTrailingSlashes(qEnvironmentVariable("TAVRIN_VENDOR_URL", "https://tavrin.app"));
    return base;
}

platform::net::HttpOptions vendorOptions() {
    platform::net::HttpOptions options;
    options.userAgent = UserAgent;
    return options;
}

QString encoded(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

// The machine: kernel version, screen size, pixels per inch, monitors and the instance.
QString osText() {
    const auto os = platform::system::osVersion();
    QString text = QString::number(os.major);
    if (os.minor != 0)
        text += "_" + QString::number(os.minor);
    if (IsWindowsServer())
        text += "_S";
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? screen->size() * screen->devicePixelRatio() : QSize();
    text += "_" + QString::number(size.width()) + "x" + QString::number(size.height());
    const int dpi = screen ? int(std::lround(screen->logicalDotsPerInch())) : 96;
    if (dpi != 96)
        text += "_" + QString::number(dpi);
    const auto monitors = QGuiApplication::screens().size();
    if (monitors != 1)
        text += "_" + QString::number(monitors);
    if (!FirstInstance)
        text += "_SI";
    return text;
}

QString lastStepTag() {
    const QString step = SettingsRecord.LastStep.text();
    if (step.trimmed().isEmpty() || step.trimmed() == "Close")
        return {};
    return "_" + step + "_" + QString::number(SettingsRecord.LastStepProjectOpen ? 1 : 0);
}

QString serverUrl(const QString& status) {
    return VendorBaseAddress() + "/cfu/cfu.php" + ServerQuery(status);
}

// The numbers of a version text: those before "Build" padded to two, then those after it.
QList<int> versionNumbers(const QString& text) {
    static const QRegularExpression digits("\\d+");
    const qsizetype build = text.indexOf("Build");
    const auto numbersOf = [](const QString& part) {
        QList<int> numbers;
        for (auto it = digits.globalMatch(part); it.hasNext();)
            numbers << it.next().captured().toInt();
        return numbers;
    };
    QList<int> numbers = numbersOf(build < 0 ? text : text.left(build));
    while (numbers.size() < 2)
        numbers << 0;
    if (build >= 0)
        numbers += numbersOf(text.mid(build));
    return numbers;
}

void showDownloaded(TRWaitingReporter* waiting, const platform::net::HttpReply& reply,
                    int& shownPercent) {
    if (!waiting)
        return;
    const qint64 length = GetContentLength(reply);
    if (length <= 0)
        return;
    const int percent = int(std::nearbyint(double(reply.received) * 100 / double(length)));
    if (percent == shownPercent)
        return;
    shownPercent = percent;
    waiting->UpdateInfo(QString(DownloadingText) + QString::number(percent) + "%");
}

bool downloadInto(QFile& file, const QString& url, TRWaitingReporter* waiting) {
    int shownPercent = -1;
    const auto reply = platform::net::get(
        url,
        [&](const char* data, qsizetype size, const platform::net::HttpReply& soFar) {
            // An error page is never written as the file.
            if (soFar.status < 200 || soFar.status >= 300 || file.write(data, size) != size)
                return false;
            showDownloaded(waiting, soFar, shownPercent);
            return true;
        },
        vendorOptions());
    const qint64 length = GetContentLength(reply);
    return reply.succeeded() && (length < 0 || reply.received == length) && file.flush();
}

} // namespace

void SetServerMessageSink(TRServerMessageSink newSink) {
    sink = std::move(newSink);
}

QString VendorBaseAddress() {
    return vendorBase();
}

void SetVendorBaseAddress(const QString& address) {
    vendorBase() = withoutTrailingSlashes(address);
}

QString TroubleshootingAddress() {
    return VendorBaseAddress() + "/troubleshooting";
}

QString HomeAddress() {
    return VendorBaseAddress();
}

QString ChatAddress() {
    return VendorBaseAddress() + "/chat";
}

QString HelpAddress() {
    return VendorBaseAddress() + "/help";
}

QString HowToAddress() {
    return VendorBaseAddress() + "/how-to";
}

QString StripUserPaths(const QString& text) {
    // From the separator that starts a path to the last separator of that path.
    static const QRegularExpression folders("/(?:[^/]*/)*");
    QString result = text;
    return result.remove(folders);
}

QString ServerQuery(const QString& status) {
    const QString fullStatus = status + LeftoverTempFoldersTag() + lastStepTag();
    return "?version=" + encoded(GetShortVersion() + ".2") + "&os=" + encoded(osText()) +
           "&status=" + encoded(StripUserPaths(fullStatus));
}

void SendServerMessage(QString& reply, bool enabled, int mode, const QString& status) {
    reply.clear();
    if (!enabled)
        return;
    if (sink) {
        const QString answer = sink(status, mode == 1);
        if (mode == 1)
            reply = answer;
        return;
    }
    const QString url = serverUrl(status);
    if (mode == 1) {
        reply = HttpGetText(url);
        return;
    }
    QThreadPool::globalInstance()->start([url] { WriteLatestVersion(HttpGetText(url)); });
}

QString HttpGetText(const QString& url) {
    QByteArray body;
    auto options = vendorOptions();
    options.totalTimeoutMs = TextReplyTimeoutMs;
    const auto reply = platform::net::get(url, body, options);
    if (!reply.succeeded())
        return ErrorReply;
    return QString::fromUtf8(body);
}

std::int64_t GetContentLength(const platform::net::HttpReply& reply) {
    return reply.contentLength.value_or(-1);
}

bool DownloadToFile(const QString& url, const QString& fileName) {
    if (QFileInfo::exists(fileName) && !QFile::remove(fileName))
        return false;
    TRWaitingReporter* waiting = InstalledWaiting();
    if (waiting) {
        waiting->Show();
        waiting->UpdateInfo(DownloadingText);
    }
    QFile file(fileName);
    const bool ok = file.open(QIODevice::NewOnly) && downloadInto(file, url, waiting);
    file.close();
    if (!ok)
        QFile::remove(fileName); // a partial file must never pass for the whole one
    if (waiting) {
        waiting->UpdateInfo({});
        waiting->Close();
    }
    return ok;
}

void WriteLatestVersion(const QString& text) {
    if (text.trimmed().isEmpty() || !text.contains("Build"))
        return;
    platform::system::RegistryKey(SettingsKeyName).writeString(LatestVersionValue, text);
}

QString ReadLatestVersion() {
    return platform::system::RegistryKey(SettingsKeyName)
        .readString(LatestVersionValue)
        .value_or(QString());
}

int CompareVersions(const QString& a, const QString& b) {
    const QList<int> left = versionNumbers(a);
    const QList<int> right = versionNumbers(b);
    for (qsizetype i = 0; i < std::max(left.size(), right.size()); ++i) {
        const int x = left.value(i);
        const int y = right.value(i);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

void CopySamples() {
    if (!SettingsRecord.CopySamplesPending)
        return;
    SettingsRecord.CopySamplesPending = 0;
    const QString from = SamplesFolder;
    const QString to = ProjectsFolder;
    QThreadPool::globalInstance()->start([from, to] {
        for (const char* name : {"Sample - Interactivity.qmb", "Sample - Contact.qmb"})
            if (QFileInfo::exists(from + name) && !QFileInfo::exists(to + name))
                QFile::copy(from + name, to + name); // never replaces a file
    });
}

bool IsModernBrowserEngine() {
    return true;
}
