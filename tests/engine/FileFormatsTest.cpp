// The snapshot and resume file formats: tagged integers, list blocks, the zlib container, headers
// and back-references, and the resume file's blocks.
#include <zlib.h>

#include <cstdint>

#include "engine/ListBlock.h"
#include "engine/ResumeFile.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "engine/TestHelpers.h"
#include "engine/TextExport.h"

using namespace std::string_literals;

namespace quarrow::test {
namespace {

std::string blockOf(const Lines& lines) {
    std::string out;
    appendListBlock(out, lines);
    return out;
}

// Written in the smallest form; read back from any form, the wider ones too.
TEST(SnapshotFormatTaggedInt, SmallestFormWrittenAnyFormReadBadFormsRefused) {
    std::vector<std::pair<std::int32_t, std::string>> cases = {
        {0, "\x02\x00"s},
        {-1, "\x02\xFF"s},
        {127, "\x02\x7F"s},
        {-128, "\x02\x80"s},
        {128, "\x03\x80\x00"s},
        {-129, "\x03\x7F\xFF"s},
        {32767, "\x03\xFF\x7F"s},
        {-32768, "\x03\x00\x80"s},
        {32768, "\x04\x00\x80\x00\x00"s},
        {-32769, "\x04\xFF\x7F\xFF\xFF"s},
        {INT32_MIN, "\x04\x00\x00\x00\x80"s},
        {INT32_MAX, "\x04\xFF\xFF\xFF\x7F"s}};
    for (const auto& [value, bytes] : cases) {
        std::string out;
        appendTaggedInt(out, value);
        EXPECT_EQ(out, bytes) << value;
    }
    cases.insert(cases.end(),
                 {{5, "\x04\x05\x00\x00\x00"s}, {-1, "\x03\xFF\xFF"s}, {5, "\x03\x05\x00"s}});
    for (const auto& [value, bytes] : cases) {
        ByteReader reader(bytes);
        std::int32_t read = 12345;
        ASSERT_TRUE(readTaggedInt(reader, read, nullptr)) << value;
        EXPECT_EQ(read, value);
        EXPECT_TRUE(reader.atEnd());
    }
    for (const std::string& bytes : {""s, "\x01\x00"s, "\x05\x00\x00\x00\x00\x00"s, "\x02"s,
                                     "\x03\x01"s, "\x04\x01\x02\x03"s}) {
        ByteReader reader(bytes);
        std::int32_t read = 0;
        std::string error;
        EXPECT_FALSE(readTaggedInt(reader, read, &error)) << testing::PrintToString(bytes);
        EXPECT_FALSE(error.empty());
    }
}

TEST(SnapshotFormatListBlock, CountThenLinesWithCrLfReadSplitAtCrLfOrEither) {
    EXPECT_EQ(blockOf({}), "\x02\x00"s);
    EXPECT_EQ(blockOf({""}), "\x02\x02\r\n"s);
    EXPECT_EQ(blockOf({"ab", "", "\xC0"}), "\x02\x09"s + "ab\r\n\r\n\xC0\r\n");
    // 20 lines of 8 bytes plus CR LF: 200 bytes, the two-byte form; 4000 lines the four-byte one.
    EXPECT_EQ(blockOf(Lines(20, "12345678")).substr(0, 3), "\x03\xC8\x00"s);
    EXPECT_EQ(blockOf(Lines(4000, "12345678")).substr(0, 5), "\x04\x40\x9C\x00\x00"s);
    // Read back split at CR LF, CR or LF alone.
    const std::vector<std::pair<std::string, Lines>> cases = {
        {"", {}},
        {"\r\n", {""}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\n", {"a", "b", "c"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\n\r", {"a", ""}},
        {"a\r\r\n", {"a", ""}},
        // Breaks are looked for sixteen bytes at a time: a CR LF may straddle two of them.
        {std::string(15, 'x') + "\r\n" + std::string(30, 'y') + "\rz",
         {std::string(15, 'x'), std::string(30, 'y'), "z"}},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(text));
        std::string bytes;
        appendTaggedInt(bytes, static_cast<std::int32_t>(text.size()));
        bytes += text;
        ByteReader reader(bytes), arenaReader(bytes);
        Lines lines{"stale"};
        StringList arena;
        ASSERT_TRUE(readListBlock(reader, lines, nullptr));
        ASSERT_TRUE(readListBlock(arenaReader, arena, nullptr));
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(linesOf(arena), expected);
    }
    // Damaged blocks fail and leave no lines.
    for (const std::string& bytes : {""s, "\x02\xFF"s, "\x04\x00\x00\x00\x80"s, "\x02\x05"s + "abc",
                                     "\x04\xFF\xFF\xFF\x7F"s + "a\r\n", "\x07\x00"s}) {
        ByteReader reader(bytes);
        StringList lines = toList({"stale"});
        std::string error;
        EXPECT_FALSE(readListBlock(reader, lines, &error)) << testing::PrintToString(bytes);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(lines.size(), 0u);
    }
}

TEST(SnapshotFormatContainer, LayoutIsCountNameLengthThenZlibLevel9AndBytesAfterItAreNoDamage) {
    const std::string content = blockOf({"h"}) + blockOf({"/"}) + blockOf({"n"});
    const std::string file = packSnapshot("x.qrnet", content);
    EXPECT_EQ(file.substr(0, 19), "\x01\x00\x00\x00\x07\x00\x00\x00x.qrnet\x0F\x00\x00\x00"s);
    // 0x78 0xDA: a deflate stream with a 32 KiB window at the highest level.
    EXPECT_EQ(file.substr(19, 2), "\x78\xDA"s);
    std::string inflated(content.size(), '\0');
    uLongf size = inflated.size();
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &size,
                         reinterpret_cast<const Bytef*>(file.data() + 19), file.size() - 19),
              Z_OK);
    EXPECT_EQ(inflated, content);

    // Highly compressible content and bytes after the stream are read.
    const std::string zeros(4 << 20, '\0');
    std::string name;
    LargeString unpacked;
    ASSERT_TRUE(unpackSnapshot(packSnapshot("\xCC\xF3\xE7.qrnet", zeros) + "trailing", name,
                               unpacked, nullptr));
    EXPECT_EQ(name, "\xCC\xF3\xE7.qrnet");
    EXPECT_TRUE(std::string_view(unpacked) == zeros);
}

TEST(SnapshotFormatHeader, LinesInOrderWithNologinOnlyForOtherUsers) {
    const SnapshotHeaderTexts texts{"Data ftp://", "Created ", "Files: ", "login used"};
    for (std::string_view user : {"anonymous", "Anonymous", "bob", ""}) {
        Lines expected = {"Data ftp://host.example//pub/", "Created 01.02.2024_03.04.05"};
        expected.push_back("Files: 1234");
        if (user != "anonymous") expected.push_back("login used");
        expected.insert(expected.end(), {"first comment", "second", "host.example", "*.mp3"});
        EXPECT_EQ(buildSnapshotHeader(texts, "host.example", "/pub/", 1234, user,
                                      {"first comment", "second"}, "*.mp3", "01.02.2024_03.04.05"),
                  expected)
            << user;
    }
}

TEST(SnapshotFormatFile, BackReferencesResolveOnlyToEarlierPaths) {
    const StringList dirs = toList({"/a/", "0", "/b/", "2", "0", "13", "6", "x", "3", "", "-1",
                                    " 0", "99999999999999999999999", "/c/", "13"});
    const std::vector<std::pair<std::size_t, std::string>> good = {
        {0, "/a/"}, {1, "/a/"}, {2, "/b/"}, {3, "/b/"}, {4, "/a/"}, {13, "/c/"}, {14, "/c/"}};
    for (const auto& [i, folder] : good) {
        std::string_view resolved;
        ASSERT_TRUE(resolveFolder(dirs, i, resolved)) << i;
        EXPECT_EQ(resolved, folder) << i;
    }
    // Forward, self, not a number, to a reference, empty, signed, blank, overflow, past end.
    for (std::size_t bad : {5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 15u}) {
        std::string_view resolved;
        EXPECT_FALSE(resolveFolder(dirs, bad, resolved)) << bad;
    }
    std::string error;
    EXPECT_FALSE(validateBackReferences(dirs, &error));
    EXPECT_NE(error.find("line 5"), std::string::npos) << error;
    EXPECT_TRUE(validateBackReferences(toList({"/a/", "0", "/b/", "0", "2"}), nullptr));
    EXPECT_FALSE(validateBackReferences(toList({"/a/", "1"}), nullptr));
}

// A reader's buffers lend their lists to its next snapshot: one without file lists (a local
// folder's) must come back with none, whatever the snapshot before held.
TEST(SnapshotFormatFile, ListsLentByTheBuffersCarryNothingOver) {
    SnapshotBuffers buffers;
    SnapshotData ftp, local;
    const std::string content = blockOf({"ftp://h//"}) + blockOf({"/"}) + blockOf({"n"});
    ASSERT_TRUE(parseSnapshot(packSnapshot("a", content), ftp, nullptr, &buffers));
    EXPECT_EQ(linesOf(ftp.names), Lines{"n"});
    buffers.dirs = std::move(ftp.dirs);
    buffers.names = std::move(ftp.names);
    ASSERT_TRUE(parseSnapshot(packSnapshot("b", blockOf({"C:\\music"})), local, nullptr, &buffers));
    EXPECT_TRUE(local.dirs.empty() && local.names.empty());
}

// URLs with resolved folders (mode 1) are checked on a real scan's export.
TEST(SnapshotFormatTextExport, ModesWriteNamesOrNothing) {
    const StringList dirs = toList({"/", "0", "/a b/"}),
                     names = toList({"r1", "x y.txt", "\xF4.mp3"});
    EXPECT_EQ(buildTextExport(2, "h.example", dirs, names), "r1\r\nx y.txt\r\n\xF4.mp3\r\n");
    EXPECT_EQ(buildTextExport(0, "h.example", dirs, names), "");
    EXPECT_EQ(buildTextExport(1, "h", StringList(), StringList()), "");
}

TEST(ResumeFileFormat, NineHeaderLinesThenCommentsAndFourUncompressedBlocksByteForByte) {
    EXPECT_EQ(buildResumeHeader("20240102_030405", "h.example", "/pub/", "*.avi", "/pub/x/", "bob",
                                "secret", 2121, {"note 1", "\xC7\xE0\xEC\xE5\xF2\xEA\xE0"}),
              (Lines{"20240102_030405", "h.example", "/pub/", "*.avi", "/pub/x/", "bob", "secret",
                     "2121", "END_MainFtp_", "note 1", "\xC7\xE0\xEC\xE5\xF2\xEA\xE0"}));
    ResumeData data;
    data.header = {"s"};
    data.fileDirs = toList({"/"});
    data.fileNames = toList({"n"});
    EXPECT_EQ(buildResumeFile(data), "\x02\x03s\r\n\x02\x00\x02\x03/\r\n\x02\x03n\r\n"s);
}

TEST(ResumeFileHeader, LoginRulesByHeaderLength) {
    const auto plus = [](const Lines& more) {
        Lines lines{"stamp", "h", "/", "*.*", "/"};
        lines.insert(lines.end(), more.begin(), more.end());
        return lines;
    };
    struct Case {
        const char* what;
        Lines header;
        std::string user, password;
        std::optional<int> port;
    };
    const std::vector<Case> cases = {
        {"no lines", {}, "anonymous", "us@site", 21},
        {"five lines", plus({}), "anonymous", "us@site", 21},
        {"marker in the port line", plus({"u", "p", "END_MainFtp_"}), "u", "p", std::nullopt},
        {"marker then comments", plus({"u", "p", "END_MainFtp_", "c"}), "u", "p", std::nullopt},
        {"eight lines with a port", plus({"u", "p", "990"}), "u", "p", 990},
        {"written header",
         buildResumeHeader("s", "h", "/", "*.*", "/", "Anonymous", "", 2121, {"c1", "c2"}),
         "Anonymous", "", 2121},
        {"port 0", plus({"u", "p", "0", "END_MainFtp_"}), "u", "p", 0},
    };
    for (const Case& c : cases) {
        ResumeLogin login{"old", "old", 1};
        std::string error;
        ASSERT_TRUE(readResumeLogin(c.header, login, &error)) << c.what << ": " << error;
        EXPECT_EQ(login.userName, c.user) << c.what;
        EXPECT_EQ(login.password, c.password) << c.what;
        EXPECT_EQ(login.port, c.port) << c.what;
    }
    for (const Lines& bad :
         {plus({"u"}), plus({"u", "p"}), plus({"u", "p", "x21"}), plus({"u", "p", ""}),
          plus({"u", "p", "65536"}), plus({"u", "p", "-21"}), plus({"u", "p", "21 "})}) {
        ResumeLogin login{"old", "old", 1};
        std::string error;
        EXPECT_FALSE(readResumeLogin(bad, login, &error)) << bad.size();
        EXPECT_EQ(error.rfind("resume file damaged: ", 0), 0u) << error;
        EXPECT_EQ(login.userName, "old");
    }
}

}  // namespace
}  // namespace quarrow::test
