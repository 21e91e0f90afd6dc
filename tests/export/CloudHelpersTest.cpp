#include "export/URCloudHelpers.h"

#include <gtest/gtest.h>

TEST(CloudHelpers, ServerAndPathOfAnAddress) {
    struct Case {
        const char* url;
        const char* server;
        const char* path;
    };
    // An "@" after the host (in the path or query) is no user name: the path keeps it.
    const Case cases[] = {
        {"https://www.host.com/drive/v3/files?q=1", "www.host.com", "/drive/v3/files?q=1"},
        {"HTTPS://user:pw@host:8443/a@b", "host:8443", "/a@b"},
        {"host.com/x/y", "host.com", "/x/y"},
        {"https://host/p?mail=a@b.c", "host", "/p?mail=a@b.c"},
        {"https://host", "host", "host"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExtractServer(c.url), c.server) << c.url;
        EXPECT_EQ(RemoveServer(c.url), c.path) << c.url;
    }
}

TEST(CloudHelpers, Encodings) {
    EXPECT_EQ(URLEncode("a-Z.0_~ /é"), "a-Z.0_%7E%20%2F%C3%A9");
    EXPECT_EQ(URLEncodeRFC3986("a b"), "a%20b");
    EXPECT_EQ(SpaceEncode("a b c"), "a%20b%20c");
    EXPECT_EQ(URLEncodeTilde("a~b c"), "a~b%20c");
    EXPECT_EQ(HTTPEncode("a b/\xC3"), "a+b%2f%c3");
}

TEST(CloudHelpers, JsonReplies) {
    EXPECT_EQ(ExtractJSONText("HTTP junk {\"a\":{\"b\":1}} trailer"), "{\"a\":{\"b\":1}}");
    EXPECT_EQ(ExtractJSONText("no braces"), "n");
    EXPECT_EQ(ExtractJSONText("x{open"), "{");
    EXPECT_EQ(
        GetJSONProp(QByteArray("{\"id\":\"F1\",\"size\":\"12\",\"n\":3,\"o\":{\"k\":true}}"), "id"),
        "F1");
    EXPECT_EQ(GetJSONProp(QByteArray("{\"n\":3}"), "n"), "3");
    EXPECT_EQ(GetJSONProp(QByteArray("{\"o\":{\"k\":true}}"), "o"), "{\"k\":true}");
    EXPECT_EQ(GetJSONProp(QByteArray("{\"n\":3}"), "missing"), "");
    EXPECT_EQ(GetJSONProp(QByteArray("[1]"), "n"), "");
    EXPECT_TRUE(GetJSONValue(QJsonObject{}, "x").isUndefined());
    EXPECT_THROW(ParseJSONObject("not json"), std::runtime_error);
}

TEST(CloudHelpers, MimeTypesByExtension) {
    EXPECT_EQ(GetMimeType("/videos/clip.mp4"), "video/mp4");
    EXPECT_EQ(GetMimeType("page.HTML"), "text/html");
    EXPECT_EQ(GetMimeType("data.zzqx"), "application/octet-stream");
    EXPECT_EQ(GetMimeType("noextension"), "application/octet-stream");
}

TEST(CloudHelpers, NumbersAndDates) {
    EXPECT_EQ(StrToIntT("42"), 42);
    EXPECT_EQ(StrToIntT("4x"), 0);
    EXPECT_EQ(StrToInt64T("18446744073709551615"), 18446744073709551615ull);
    const QDateTime time(QDate(2024, 3, 5), QTime(4, 7, 9));
    EXPECT_EQ(DateTimeToIso(time), "20240305T040709");
    EXPECT_EQ(DateToWL(QDate(2024, 3, 5)), "2024-03-05T00:00:00Z");
    EXPECT_TRUE(DateTimeToWL(time).startsWith("2024-03-05T04:07:09"));
    EXPECT_TRUE(DateTimeToWL(time).endsWith(":00"));
    EXPECT_EQ(IsoToDateTime("2024-03-05T04:07:09.000Z"), time);
    EXPECT_EQ(IsoToDate("2024-03-05T04:07:09Z"), QDate(2024, 3, 5));
    EXPECT_EQ(LongDateStrToDateTime("Tue Mar 05 04:07:09 2024"), time);
    EXPECT_EQ(LongDateStrToDateTime("Tue Xyz 05 04:07:09 2024").date(), QDate(2024, 1, 5));
    EXPECT_EQ(IncludeTrailingSlash("/a"), "/a/");
    EXPECT_EQ(IncludeTrailingSlash("/a/"), "/a/");
    EXPECT_EQ(IncludeTrailingSlash(""), "");
}
