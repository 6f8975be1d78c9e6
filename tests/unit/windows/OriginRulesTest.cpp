#include <gtest/gtest.h>

#include "windows/OriginRules.h"

using namespace pellora;

TEST(OriginRules, SameOriginComparesSchemeHostAndEffectivePort) {
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"http://localhost:9700/x", "HTTP://LOCALHOST:9700", true},
        {"http://example.com/", "http://example.com:80/a", true},
        {"https://example.com", "https://example.com:443", true},
        {"https://example.com", "http://example.com", false},
        {"http://localhost:9700", "http://localhost:9701", false},
        {"http://127.0.0.1:9700", "http://localhost:9700", false},
        {"ftp://h", "ftp://h", true},
        {"ftp://h", "ftp://h:21", false},  // no default port for other schemes
        {"file:///a/splash.html", "file:///a/splash.html", false},  // no host
        {"about:blank", "about:blank", false},
        {"not a url", "http://h", false},
    };
    for (const auto& c : cases) EXPECT_EQ(sameOrigin(c.a, c.b), c.same) << c.a << " vs " << c.b;
}

TEST(OriginRules, OriginKeyLowerCasesAndFillsDefaultPorts) {
    EXPECT_EQ(originKey("HTTPS://Example.COM/path?q"), "https://example.com:443");
    EXPECT_EQ(originKey("http://h"), "http://h:80");
    EXPECT_EQ(originKey("ws://h"), "ws://h:80");  // every non-https scheme defaults to 80
    EXPECT_EQ(originKey("http://[::1]:9700/"), "http://::1:9700");
    EXPECT_EQ(originKey("file:///tmp/x"), std::nullopt);
    EXPECT_EQ(originKey("about:blank"), std::nullopt);
}

TEST(OriginRules, ErrorTests) {
    EXPECT_TRUE(isIgnorableNavigationError({kURLErrorDomain, -999, ""}));
    EXPECT_TRUE(isIgnorableNavigationError({kWebKitErrorDomain, 102, ""}));
    EXPECT_FALSE(isIgnorableNavigationError({kURLErrorDomain, 102, ""}));
    EXPECT_FALSE(isIgnorableNavigationError({kURLErrorDomain, -1004, ""}));
    for (int code : {-1200, -1202, -1206}) EXPECT_TRUE(isSecureConnectionFailure({kURLErrorDomain, code, ""}));
    for (int code : {-1199, -1207, -1001}) EXPECT_FALSE(isSecureConnectionFailure({kURLErrorDomain, code, ""}));
    EXPECT_FALSE(isSecureConnectionFailure({kWebKitErrorDomain, -1202, ""}));
}
