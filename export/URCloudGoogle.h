#pragma once
// What the Google clients share: requests that carry the access token only in the Authorization
// header, form posts to the token endpoints, a monotonic clock, and the browser sign-in through
// a redirect listener on 127.0.0.1 with a random state and a PKCE (S256) challenge. The listener
// takes one redirect to "/" with the sign-in's state; it stops after that redirect, after a
// time-out or when its port is in use, and the last two end the sign-in as failed.

#include "export/URCloudBase.h"
#include "export/URCloudEndpoints.h"
#include "platform/net/LoopbackListener.h"

#include <QJsonObject>
#include <QString>
#include <QUrlQuery>
#include <chrono>
#include <functional>
#include <utility>
#include <vector>

class TRGoogleStorage : public TRCloudStorage {
public:
    static inline const QString FolderMimeType = "application/vnd.google-apps.folder";
    static inline const QString Unsuccessful = "The authorization process was unsuccessful.";

    TRGoogleStorage();

    // Seconds of the monotonic clock; tests replace it.
    std::function<qint64()> Now;
    // The redirect listener's port on 127.0.0.1 (0 picks a free one) and how long it waits.
    quint16 ListenerPort = 8889;
    std::chrono::milliseconds AuthTimeout = std::chrono::minutes(10);

    // Handles one request of the browser on the redirect listener (its path and query): only "/"
    // with this sign-in's state is taken, once; other paths get 404, another state 400.
    platform::net::LoopbackAnswer HandleAuthRedirect(const QByteArray& target);

    // The sign-in's state and PKCE verifier made by StartSignIn.
    QString AuthState() const { return FState; }
    QString CodeVerifier() const { return FCodeVerifier; }

    // name=value pairs joined by "&", each value URL-encoded.
    static QString FormText(const std::vector<std::pair<QString, QString>>& pairs);

protected:
    // Starts the listener and makes a fresh state and verifier. The query members "state",
    // "code_challenge" and "code_challenge_method" for the sign-in address, or empty when the
    // listener could not start (the sign-in then ended as failed).
    QString StartSignIn();
    // This sign-in's redirect (the browser's query), answered with what the browser gets.
    virtual platform::net::LoopbackAnswer TakeRedirect(const QUrlQuery& query) = 0;
    // Not authorised, the failure text, the auth form closed and the token event raised.
    void AuthFailed();
    // Stops the listener. A client's final class calls it when it goes, so that no redirect
    // reaches a client whose own parts are gone.
    void StopSignIn() { FHttpServer.stop(); }

    TCoreCloudHeaders BearerHeaders(bool json) const;
    // The reply of a GET as an object; empty when there is none.
    QJsonObject GetObject(const QString& url);
    // The endpoint's reply to a form; empty when there is none.
    QByteArray PostForm(TRCloudEndpoint role, const QString& path, const QString& form);
    // The token information of the access token (sent in a form body); empty when there is none.
    QJsonObject TokenInfo();

private:
    QString FState;
    QString FCodeVerifier;
    // Last, so that it stops before the fields its handler uses go.
    platform::net::LoopbackListener FHttpServer;
};

// The reply text cut to its outer braces, as an object; empty when it is none.
QJsonObject CutJSONObject(const QByteArray& response);
