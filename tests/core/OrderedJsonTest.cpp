// The ordered JSON writer of request bodies and page data.

#include "core/UROrderedJson.h"

#include <gtest/gtest.h>

namespace {

TEST(OrderedJson, KeepsTheMemberOrderAndEscapes) {
    TROrderedJson voice;
    voice.Add("languageCode", "en-US").Add("name", "en-US-Standard-B");
    TROrderedJson body;
    body.Add("name", "Say \"hi\"\n\\ é")
        .Add("voice", voice)
        .Add("parents", QStringList{"F1", "F2"});
    body.Add("kind", "drive#file");
    EXPECT_EQ(body.Text(),
              "{\"name\":\"Say \\\"hi\\\"\\n\\\\ \xC3\xA9\",\"voice\":{\"languageCode\":"
              "\"en-US\",\"name\":\"en-US-Standard-B\"},\"parents\":[\"F1\",\"F2\"],"
              "\"kind\":\"drive#file\"}");
    EXPECT_EQ(TROrderedJson().Text(), "{}");
}

TEST(OrderedJson, NumbersObjectArraysAndTextsSafeInsideAPage) {
    TROrderedJson area;
    area.Add("x1", std::int64_t(-5)).Add("big", std::int64_t(5000000000));
    TROrderedJson data;
    data.Add("areas", std::vector<TROrderedJson>{area, TROrderedJson()})
        .Add("none", std::vector<TROrderedJson>{})
        .Add("url", "a&b</script><b>")
        .Add("list", QStringList{"<", "x"});
    EXPECT_EQ(data.Members(), "\"areas\":[{\"x1\":-5,\"big\":5000000000},{}],\"none\":[],"
                              "\"url\":\"a\\u0026b\\u003c/script\\u003e\\u003cb\\u003e\","
                              "\"list\":[\"\\u003c\",\"x\"]");
    EXPECT_EQ(JsonString("</script>"), "\"\\u003c/script\\u003e\"");
}

} // namespace
