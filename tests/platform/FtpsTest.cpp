#include <gmock/gmock.h>

#include <filesystem>

#include "cli/ChildProcess.h"
#include "engine/TestHelpers.h"

// Server options are written as designated initializers, the fields left out at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace quarrow::test {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;
using testing::UnorderedElementsAre;

// Explicit FTPS through quarrow-cli, against a server that takes nothing but TLS and a plain
// one beside it, both over the same tree; the program folder trusts the secure server's
// certificate only when quarrow.ini names it.
class FtpsTest : public testing::Test {
protected:
    FtpsTest() {
        makeTree(tree_.path(), {{"top.mp3", "x"}, {"a/one.mp3", "abc"}, {"a/skip.txt", "x"}});
        copyLanguageFiles(dir());
    }

    std::string dir() const { return program_.path(); }
    void trustServer() const {
        writeRaw(dir() + "quarrow.ini", "[Connection]\r\nTlsCaFile=ca.pem\r\n");
    }
    std::string target(const std::string& host, const FtpServer& server) const {
        return "[server=" + host + "][port=" + std::to_string(server.port()) + "][mask=*.mp3][tls]";
    }

    ChildResult cli(const Lines& args) const { return runCliIn(dir(), args); }

    TempDir program_, tree_;
    FtpServer secure_{tree_.path(), {.tlsCertFile = dir() + "ca.pem"}};
    FtpServer plain_{tree_.path(), {.commandLog = dir() + "plain.log"}};
};

// A secure scan walks only when the certificate and the host name verify and the server takes
// TLS (the next test's first scan); any other outcome is a failed connect that names the reason
// and claims nothing.
TEST_F(FtpsTest, ScansWalkOnlyOverVerifiedTls) {
    const struct {
        const char* what;
        bool trusted;
        std::string description;
        std::string status;
    } cases[] = {
        {"certificate unknown", false, target("localhost", secure_),
         "SSL certificate problem: self-signed certificate"},
        {"host name differs", true, target("127.0.0.1", secure_),
         "SSL: no alternative certificate subject name matches target host name '127.0.0.1'"},
        {"no TLS on the server", true, target("localhost", plain_),
         "the server does not offer TLS (server: 500"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(dir() + "quarrow.ini");
        if (c.trusted) trustServer();
        const std::string snapshot = dir() + "Arhive/" + c.what + ".qrnet";
        const ChildResult scan = cli({"scan", c.description + "[savefilename=" + snapshot + "]"});
        EXPECT_EQ(scan.exitCode, 1);
        EXPECT_THAT(scan.err, HasSubstr("cannot be connected securely (TLS): " + c.status));
        EXPECT_THAT(scan.out, HasSubstr("no snapshot"));
        EXPECT_FALSE(fileExists(snapshot));
    }
    // Refused TLS is no reason to log in in plain text.
    EXPECT_THAT(*bytesOf(dir() + "plain.log"), Not(HasSubstr("USER")));
}

// A resumed scan, a watch check and a download carry the choice of TLS from what is stored:
// the server refuses them all in plain text.
TEST_F(FtpsTest, ResumeWatchCheckAndDownloadStaySecure) {
    trustServer();
    const ChildResult scan =
        cli({"scan", target("localhost", secure_) + "[savefilename=" + dir() + "s.qrnet]"});
    ASSERT_EQ(scan.exitCode, 0) << scan.err;
    EXPECT_THAT(dumped(dir() + "s.qrnet", 'F'), UnorderedElementsAre("/top.mp3", "/a/one.mp3"));
    const auto resumes = fs::directory_iterator(dir() + "Session");
    ASSERT_NE(resumes, fs::directory_iterator());
    const ChildResult resumed = cli({"resume", resumes->path().string(), dir() + "again.qrnet"});
    EXPECT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_THAT(dumped(dir() + "again.qrnet", 'F'), testing::Contains("/a/one.mp3"));

    ASSERT_EQ(cli({"watch", "add", target("localhost", secure_) + "[subfolders]"}).exitCode, 0);
    const ChildResult checked = cli({"watch", "check", "0"});
    EXPECT_EQ(checked.exitCode, 0) << checked.err;
    EXPECT_THAT(checked.out, HasSubstr("\"files\": 2"));
    const ChildResult got = cli({"download", "0", "/a/one.mp3"});
    EXPECT_EQ(got.exitCode, 0) << got.out << got.err;
    EXPECT_EQ(bytesOf(dir() + "Downloads/one.mp3"), "abc");
}

}  // namespace
}  // namespace quarrow::test
