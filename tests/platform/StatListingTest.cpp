#include "platform/StatListing.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace quarrow {
namespace {

constexpr std::int64_t kNow = 1700000000;  // a fixed clock: 2023-11-14

TEST(StatSafeFolderTest, OnlyPathsNoServerCanReadDifferentlyGoOut) {
    // Blanks inside, punctuation and Windows-1251 bytes (0xFF included) are safe.
    for (const std::string path :
         {"/", "/pub/", "/pub/with blank inside/", "/no/trailing/slash",
          "/semi;colon/100% #1/with-dash/", "/\xcf\xf0\xe8\xe2\xe5\xf2 \xff/"}) {
        EXPECT_TRUE(isStatSafeFolder(path)) << testing::PrintToString(path);
    }
    // Patterns, options, edge blanks, control bytes and paths that are not plain and absolute.
    for (const std::string path :
         {"/a[1]/", "/star*/", "/what?/", "/{a,b}/", "/~user/", "/back\\slash/", "/-la/",
          "/pub/-dash/", "/ lead/", "/pub/trail /", "/tab\tinside/", "/a\r\nb/", "/del\x7f/",
          "pub/", "/a//b/", "/a/../b/"}) {
        EXPECT_FALSE(isStatSafeFolder(path)) << testing::PrintToString(path);
    }
    EXPECT_FALSE(isStatSafeFolder(std::string("/a\0b/", 5)));
}

// Entry names as the walker sees them: a folder's name ends with "/".
std::optional<std::vector<std::string>> namesOf(const std::string& folder,
                                                const std::vector<std::string>& lines) {
    StatReply reply(folder, kNow);
    for (const std::string& line : lines) reply.take(line);
    auto listing = std::move(reply).listing();
    if (!listing) return std::nullopt;
    std::vector<std::string> names;
    for (const FtpEntry& e : *listing)
        names.push_back(e.name + (e.attributes == kAttrDirectory ? "/" : ""));
    return names;
}

using Names = std::vector<std::string>;

struct ReplyCase {
    const char* what;
    Names lines;
    std::optional<Names> names = std::nullopt;  // nothing: the normal listing is needed
};

TEST(StatReplyTest, ListingsThatStandForTheNormalListingAndRepliesThatDoNot) {
    const std::string file = "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 ";
    const ReplyCase cases[] = {
        {"pyftpdlib",
         {"213-Status of \"/pub\":", "drwxr-xr-x   2 root     root         4096 Dec 06 22:30 docs",
          "-rw-r--r--   1 root     root           10 Jan 02  2020 a b.txt",
          "lrwxrwxrwx   1 root     root            4 Dec 06 22:30 link -> docs",
          "213 End of status."},
         Names{"docs/", "a b.txt", "link"}},
        {"vsftpd lists . and ..",
         {"213-Status follows:", "drwxr-xr-x    2 0        0            4096 Dec 06 22:30  lead",
          "drwxr-xr-x    3 0        0            4096 Dec 06 22:30 .",
          "drwxr-xr-x    7 0        0            4096 Dec 06 22:30 ..",
          "-rw-r--r--    1 0        0               2 Dec 06 22:30 vis", "213 End of status"},
         Names{" lead/", "vis"}},
        {"total line, 211 reply",
         {"211-status", "total 8", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 x", "211 End"},
         Names{"x"}},
        {"DOS style",
         {"213-Status", "08-10-15  02:04PM       <DIR>          Folder One",
          "08-10-15  02:05PM                 1234 file.txt", "213 End"},
         Names{"Folder One/", "file.txt"}},
        {"lone 0xFF byte (Windows-1251 letter)",
         {"213-Status", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 \xff\xe1\xeb\xee\xea\xee", "213 End"},
         Names{"\xff\xe1\xeb\xee\xea\xee"}},
        {"replies of later commands",
         {"213-Status", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 z", "213 End",
          "250 Directory changed.", "-rw-r--r-- 1 ftp ftp 5 Mar  4  2021 not-in-reply"},
         Names{"z"}},
        {"folder holding one file of its own name is still a listing when it is a folder",
         {"213-Status", "drwxr-xr-x 2 ftp ftp 0 Mar  4  2021 same", "213 End"},
         Names{"same/"}},
        // Replies that send the folder to the normal listing.
        {"refused", {"550 No such file or directory."}},
        {"empty (vsftpd: missing or empty)", {"213-Status follows:", "213 End of status"}},
        {"only . and ..",
         {"213-Status", "drwxr-xr-x 2 0 0 4096 Dec 06 22:30 .",
          "drwxr-xr-x 7 0 0 4096 Dec 06 22:30 ..", "213 End"}},
        {"single-line reply", {"213 Nothing to show"}},
        {"line that is no entry", {"213-Status", file + "a", "this is no entry", "213 End"}},
        {"blank line", {"213-Status", file + "a", "", "213 End"}},
        {"hidden name", {"213-Status", file + "a", file + ".profile", "213 End"}},
        {"name with a slash", {"213-Status", file + "/pub/a", "213 End"}},
        {"doubled 0xFF", {"213-Status", file + "\xff\xff\xe1", "213 End"}},
        {"no last line", {"213-Status", file + "a"}},
        {"other code", {"200-Hello", file + "a", "200 End"}},
        {"first line without code", {file + "a", "213 End"}},
        {"the path itself described as a file", {"213-Status", file + "same", "213 End"}},
    };
    for (const ReplyCase& c : cases) {
        EXPECT_EQ(namesOf("/pub/same/", c.lines), c.names) << c.what;
    }
}

}  // namespace
}  // namespace quarrow
