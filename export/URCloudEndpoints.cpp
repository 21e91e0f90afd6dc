#include "export/URCloudEndpoints.h"

#include "core/URServerMessages.h"
#include "export/URCloudHelpers.h"

#include <map>
#include <mutex>

namespace {

struct Role {
    const char* variable;
    const char* address;
};

Role roleOf(TRCloudEndpoint role) {
    switch (role) {
    case TRCloudEndpoint::GoogleApi:
        return {"TAVRIN_GOOGLE_API_URL", "https://www.googleapis.com"};
    case TRCloudEndpoint::GoogleAccounts:
        return {"TAVRIN_GOOGLE_ACCOUNTS_URL", "https://accounts.google.com"};
    case TRCloudEndpoint::GoogleOAuth:
        return {"TAVRIN_GOOGLE_OAUTH_URL", "https://oauth2.googleapis.com"};
    case TRCloudEndpoint::TextToSpeech:
        return {"TAVRIN_TEXT_TO_SPEECH_URL", "https://texttospeech.googleapis.com"};
    case TRCloudEndpoint::YoutubeUpload:
        return {"TAVRIN_YOUTUBE_UPLOAD_URL", "https://www.googleapis.com"};
    case TRCloudEndpoint::Vendor:
        break;
    }
    return {"TAVRIN_VENDOR_URL", nullptr};
}

std::mutex mutex;
std::map<TRCloudEndpoint, QString> replaced;

QString withoutTrailingSlashes(QString address) {
    while (address.endsWith('/'))
        address.chop(1);
    return address;
}

} // namespace

QString CloudBaseAddress(TRCloudEndpoint role) {
    {
        std::lock_guard lock(mutex);
        const auto found = replaced.find(role);
        if (found != replaced.end())
            return found->second;
    }
    if (role == TRCloudEndpoint::Vendor)
        return VendorBaseAddress();
    const Role known = roleOf(role);
    return withoutTrailingSlashes(qEnvironmentVariable(known.variable, known.address));
}

void SetCloudBaseAddress(TRCloudEndpoint role, const QString& address) {
    std::lock_guard lock(mutex);
    if (address.isEmpty())
        replaced.erase(role);
    else
        replaced[role] = withoutTrailingSlashes(address);
}

QString CloudServer(TRCloudEndpoint role) {
    return ExtractServer(CloudBaseAddress(role));
}
