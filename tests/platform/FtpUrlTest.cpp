#include "platform/FtpUrl.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quarrow {
namespace {

TEST(FtpUrlTest, PathsStartAtTheRootAndEncodeEveryComponent) {
    struct Case {
        std::string path;
        bool folder;
        std::optional<std::string> url;
    };
    const std::vector<Case> cases = {
        {"/", true, "/%2F/"},
        {"/pub/", true, "/%2Fpub/"},
        {"/pub", true, "/%2Fpub/"},
        {"/pub/file.txt", false, "/%2Fpub/file.txt"},
        // Characters a URL or a server would otherwise interpret.
        {"/a b/100%/x#y?z/", true, "/%2Fa%20b/100%25/x%23y%3Fz/"},
        {"/a[1]*b/;c/", true, "/%2Fa%5B1%5D%2Ab/%3Bc/"},
        {"/~user/-._/", true, "/%2F~user/-._/"},
        // Windows-1251 bytes travel as themselves.
        {"/\xcf\xf0\xe8\xe2\xe5\xf2\xff/", true, "/%2F%CF%F0%E8%E2%E5%F2%FF/"},
        {"relative/", true, std::nullopt},
        {"", true, std::nullopt},
        {"/a\r\nb/", true, std::nullopt},
        {"/a\nb", false, std::nullopt},
        {std::string("/a\0b/", 5), true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ftpUrlPath(c.path, c.folder), c.url);
    }
}

TEST(FtpUrlTest, ServerUrlBracketsIpv6AndRejectsNonHosts) {
    EXPECT_EQ(ftpServerUrl("ftp.example.com", 21), "ftp://ftp.example.com:21");
    EXPECT_EQ(ftpServerUrl("127.0.0.1", 2121), "ftp://127.0.0.1:2121");
    EXPECT_EQ(ftpServerUrl("::1", 21), "ftp://[::1]:21");
    EXPECT_EQ(ftpServerUrl("[::1]", 21), "ftp://[::1]:21");
    for (const char* bad : {"", "host/path", "user@host", "ftp://host", "a b"}) {
        EXPECT_EQ(ftpServerUrl(bad, 21), std::nullopt) << bad;
    }
    EXPECT_EQ(ftpServerUrl("host", 0), std::nullopt);
    EXPECT_EQ(ftpServerUrl("host", 65536), std::nullopt);
}

}  // namespace
}  // namespace quarrow
