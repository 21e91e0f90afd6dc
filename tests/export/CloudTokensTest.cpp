#include "export/URCloudBase.h"
#include "export/URCloudHelpers.h"
#include "export/URCloudOAuth.h"
#include "export/URCloudTokens.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// Points the per-user configuration folder at a scratch folder and restores it afterwards.
class CloudTokens : public testing::Test {
protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.filePath("config")));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved_); }

    QString config(const QString& path) const { return dir_.filePath("config/" + path); }
    static unsigned mode(const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 0777 : 0;
    }
    static QByteArray contents(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    QByteArray saved_;
};

void placeInRegistry(TRCloudBase& client, const QString& section) {
    client.PersistTokens() = {TPersistLocation::plRegistry, section, "Software\\Tavrin"};
}

} // namespace

TEST(Scrambling, WorkedValuesLengthsAndRoundTrips) {
    EXPECT_EQ(ScrambleToken("abc", TokenStartKey), "dHEi");
    const int lengths[] = {0, 2, 3, 4, 6};
    for (int bytes = 0; bytes <= 4; ++bytes)
        EXPECT_EQ(ScrambleToken(QString(bytes, 'x'), TokenStartKey).size(), lengths[bytes]);
    for (const QString& token : {QString(""), QString("a"), QString("ya29.a0Af-H_Q~x/y+z"),
                                 QString(1000, 'Q'), QString::fromUtf8("clé✓")}) {
        const QString scrambled = ScrambleToken(token, TokenStartKey);
        EXPECT_EQ(UnscrambleToken(scrambled, TokenStartKey), token);
        if (!token.isEmpty()) {
            EXPECT_NE(UnscrambleToken(scrambled, 1234).toUtf8(), token.toUtf8());
        }
    }
    // Characters outside the alphabet count as 0 ("A"); a lone final character gives nothing.
    EXPECT_EQ(UnscrambleToken("d*Ei", TokenStartKey), UnscrambleToken("dAEi", TokenStartKey));
    EXPECT_EQ(UnscrambleToken("dHEi"
                              "Z",
                              TokenStartKey),
              "abc");
}

TEST_F(CloudTokens, RegistryValuesAreScrambledPrivateAndLogOutKeepsTheKey) {
    TRCloudBase client;
    placeInRegistry(client, "GoogleDrive");
    client.SetToken_Access("abc");
    client.SetToken_Refresh("refresh-1");
    client.App().Key = "speech-key";
    ASSERT_TRUE(client.SaveTokens());
    EXPECT_EQ(contents(config("Tavrin/GoogleDrive/ACCESS_TOKEN")), "dHEi");
    EXPECT_EQ(mode(config("Tavrin/GoogleDrive/ACCESS_TOKEN")), 0600u);
    EXPECT_EQ(mode(config("Tavrin/GoogleDrive/KEY")), 0600u);
    EXPECT_EQ(mode(config("Tavrin/GoogleDrive")), 0700u);

    TRCloudBase loaded;
    placeInRegistry(loaded, "GoogleDrive");
    loaded.LoadTokens();
    EXPECT_EQ(loaded.Token_Access(), "abc");
    EXPECT_EQ(loaded.Token_Refresh(), "refresh-1");
    EXPECT_EQ(loaded.App().Key, "speech-key");

    loaded.LogOut();
    EXPECT_EQ(contents(config("Tavrin/GoogleDrive/ACCESS_TOKEN")), "");
    EXPECT_EQ(contents(config("Tavrin/GoogleDrive/REFRESH_TOKEN")), "");
    EXPECT_EQ(contents(config("Tavrin/GoogleDrive/KEY")),
              ScrambleToken("speech-key", TokenStartKey).toUtf8());
}

TEST_F(CloudTokens, IniLocationKeepsNoKeyAndMissingPlacesDoNothing) {
    TRCloudBase client;
    client.PersistTokens() = {TPersistLocation::plIniFile, "GoogleDrive", "tokens.ini"};
    client.SetToken_Access("abc");
    client.App().Key = "speech-key";
    client.SetFolder("Videos");
    ASSERT_TRUE(client.SaveTokens());
    ASSERT_TRUE(client.SaveFolder());
    const QByteArray ini = contents(config("Tavrin/tokens.ini"));
    EXPECT_EQ(ini, "[GoogleDrive]\nACCESS_TOKEN=dHEi\nREFRESH_TOKEN=\nFOLDER=Videos\n");
    EXPECT_EQ(mode(config("Tavrin/tokens.ini")), 0600u);

    TRCloudBase loaded;
    loaded.PersistTokens() = client.PersistTokens();
    loaded.App().Key = "kept";
    loaded.LoadTokens();
    loaded.LoadFolder();
    EXPECT_EQ(loaded.Token_Access(), "abc");
    EXPECT_EQ(loaded.App().Key, "kept");
    EXPECT_EQ(loaded.Folder(), "Videos");

    // Missing values load as empty; an empty section or key touches nothing.
    TRCloudBase empty;
    placeInRegistry(empty, "Youtube");
    empty.SetToken_Access("stale");
    empty.LoadTokens();
    EXPECT_EQ(empty.Token_Access(), "");
    empty.PersistTokens().Section.clear();
    empty.SetToken_Access("unsaved");
    EXPECT_TRUE(empty.SaveTokens());
    EXPECT_FALSE(QDir(config("Tavrin/Youtube")).exists());
}

TEST(TokensAsString, ScramblesTheFiveTokensJoined) {
    TRCloudBase client;
    client.SetToken_Access("a");
    client.SetToken_Refresh("r");
    EXPECT_EQ(client.TokensAsString(), ScrambleToken("a&&&&r", TokenStartKey));
    TRCloudBase other;
    other.SetTokensAsString(client.TokensAsString());
    EXPECT_EQ(other.Token_Access(), "a");
    EXPECT_EQ(other.Token_Refresh(), "r");
}

TEST(OAuthSigning, DigestsAgainstPublishedVectors) {
    // RFC 1321.
    EXPECT_EQ(MD5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(MD5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(MD5Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(GenerateNonce(12345), MD5Hex("12345"));
    // RFC 2202, test cases 1 and 2.
    EXPECT_EQ(HmacSha1Base64(QByteArray(20, 0x0b), "Hi There"), "thcxhlUFcmTii8C2+zeMjvFGvgA=");
    EXPECT_EQ(HmacSha1Base64("Jefe", "what do ya want for nothing?"),
              "7/zfauXrL6LSdBbV8YTfnCWafHk=");
}

TEST(OAuthSigning, SignatureBaseSignatureAndHeaderWorkedByHand) {
    // The well-known OAuth 1.0 photo-request example (vacation.jpg), signed with HMAC-SHA1.
    const QString params =
        "file=vacation.jpg&oauth_consumer_key=dpf43f3p2l4k3l03&oauth_nonce=kllo9940pd9333jh&"
        "oauth_signature_method=HMAC-SHA1&oauth_timestamp=1191242096&oauth_token=nnch734d00sl2jdk&"
        "oauth_version=1.0&size=original";
    const QString base = GenerateSignatureBase("http://photos.example.net/photos", "unused", "get",
                                               "unused", "unused", "unused", params);
    EXPECT_EQ(base,
              "GET&http%3A%2F%2Fphotos.example.net%2Fphotos&file%3Dvacation.jpg%26oauth_consumer_"
              "key%3Ddpf43f3p2l4k3l03%26oauth_nonce%3Dkllo9940pd9333jh%26oauth_signature_method%"
              "3DHMAC-SHA1%26oauth_timestamp%3D1191242096%26oauth_token%3Dnnch734d00sl2jdk%26oauth_"
              "version%3D1.0%26size%3Doriginal");
    EXPECT_EQ(GetSignature(base, "kd94hf93k423kf44", "pfkkdhi9sl3r4s00"),
              "tR3+Ty81lMeYAr/Fid0kMTYa/WM=");
    EXPECT_EQ(GetOAuthHeader("key 1", "tok/2", "1700000000", "abc", "s+g="),
              "OAuth oauth_consumer_key=\"key%201\",oauth_signature_method=\"HMAC-SHA1\","
              "oauth_timestamp=\"1700000000\",oauth_nonce=\"abc\",oauth_signature=\"s%2Bg%3D\","
              "oauth_version=\"1.0\",oauth_token=\"tok%2F2\"\r\n");

    TRCloudBase client;
    QString ts, nonce;
    client.AddOAuthRequestParams("K", "T", ts, nonce);
    EXPECT_EQ(client.RequestParamText(), "oauth_consumer_key=K&oauth_nonce=" + nonce +
                                             "&oauth_signature_method=HMAC-SHA1&oauth_timestamp=" +
                                             ts + "&oauth_token=T&oauth_version=1.0");
    EXPECT_EQ(client.SignURL("https://h/p"), "https://h/p?" + client.RequestParamText());
    EXPECT_EQ(client.GetOAuthSigBase("https://h/p", "", "post"),
              "POST&https%3A%2F%2Fh%2Fp&" + URLEncode(client.RequestParamText()));
    client.RemoveOAuthRequestParams();
    EXPECT_TRUE(client.RequestParams().isEmpty());

    QString token, secret;
    EXPECT_TRUE(ParseTokens("oauth_token_secret=s1&oauth_token=t1&x=y", token, secret));
    EXPECT_EQ(token, "t1");
    EXPECT_EQ(secret, "s1");
    EXPECT_FALSE(ParseTokens("oauth_token=t1", token, secret));
}
