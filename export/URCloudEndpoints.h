#pragma once
// The base addresses of the services the cloud clients talk to, one per role. Each is a setting:
// the environment variable of its role replaces the service's own address (the tests point
// them at a server on 127.0.0.1), and SetCloudBaseAddress replaces it while the program runs.

#include <QString>

enum class TRCloudEndpoint {
    GoogleApi,      // Drive API and token information: TAVRIN_GOOGLE_API_URL
    GoogleAccounts, // consent page and the older token path: TAVRIN_GOOGLE_ACCOUNTS_URL
    GoogleOAuth,    // the code exchange: TAVRIN_GOOGLE_OAUTH_URL
    TextToSpeech,   // speech synthesis: TAVRIN_TEXT_TO_SPEECH_URL
    YoutubeUpload,  // video upload: TAVRIN_YOUTUBE_UPLOAD_URL
    Vendor,         // the vendor's web host (authorisation relay, status pages): TAVRIN_VENDOR_URL
};

// "https://host[:port]" without a trailing "/".
QString CloudBaseAddress(TRCloudEndpoint role);
// An empty address restores the setting from the environment or the service's own address.
void SetCloudBaseAddress(TRCloudEndpoint role, const QString& address);
// The host name (with its port when it has one) of a role, as the request functions take it.
QString CloudServer(TRCloudEndpoint role);
