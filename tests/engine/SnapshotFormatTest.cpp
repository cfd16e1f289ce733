#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/ListBlock.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "engine/TextExport.h"

using namespace std::string_literals;

namespace quarrow {
namespace {

StringList toList(const std::vector<std::string>& lines) {
    StringList list;
    for (const auto& line : lines) list.append(line);
    return list;
}

std::vector<std::string> toVector(const StringList& list) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < list.size(); ++i) lines.emplace_back(list.at(i));
    return lines;
}

std::string blockOf(const std::vector<std::string>& lines) {
    std::string out;
    appendListBlock(out, lines);
    return out;
}

// Lines of random bytes, never CR or LF: blanks, Cyrillic CP1251 letters, empty lines.
std::vector<std::string> randomLines(std::mt19937& rng, std::size_t count) {
    const std::string alphabet = "abcXYZ019 ._-()\xC0\xC1\xE0\xFF\xA8\xB8/"s;
    std::uniform_int_distribution<std::size_t> length(0, 24);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::vector<std::string> lines(count);
    for (auto& line : lines) {
        for (std::size_t n = length(rng); n > 0; --n) line += alphabet[pick(rng)];
    }
    return lines;
}

TEST(SnapshotFormatTaggedInt, WritesSmallestFormAndReadsItBack) {
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {0, "\x02\x00"s},
        {-1, "\x02\xFF"s},
        {127, "\x02\x7F"s},
        {-128, "\x02\x80"s},
        {128, "\x03\x80\x00"s},
        {200, "\x03\xC8\x00"s},
        {-129, "\x03\x7F\xFF"s},
        {32767, "\x03\xFF\x7F"s},
        {-32768, "\x03\x00\x80"s},
        {32768, "\x04\x00\x80\x00\x00"s},
        {40000, "\x04\x40\x9C\x00\x00"s},
        {-32769, "\x04\xFF\x7F\xFF\xFF"s},
        {INT32_MIN, "\x04\x00\x00\x00\x80"s},
        {INT32_MAX, "\x04\xFF\xFF\xFF\x7F"s},
    };
    for (const auto& [value, bytes] : cases) {
        std::string out;
        appendTaggedInt(out, value);
        EXPECT_EQ(out, bytes) << value;
        ByteReader reader(bytes);
        std::int32_t read = 12345;
        ASSERT_TRUE(readTaggedInt(reader, read, nullptr)) << value;
        EXPECT_EQ(read, value);
        EXPECT_TRUE(reader.atEnd());
    }
}

TEST(SnapshotFormatTaggedInt, ReaderAcceptsWiderFormsAndRejectsBadOnes) {
    for (const auto& [bytes, value] : std::vector<std::pair<std::string, std::int32_t>>{
             {"\x04\x05\x00\x00\x00"s, 5}, {"\x03\xFF\xFF"s, -1}, {"\x03\x05\x00"s, 5}}) {
        ByteReader reader(bytes);
        std::int32_t read = 0;
        ASSERT_TRUE(readTaggedInt(reader, read, nullptr));
        EXPECT_EQ(read, value);
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

TEST(SnapshotFormatListBlock, WritesCountThenLinesWithCrLf) {
    EXPECT_EQ(blockOf({}), "\x02\x00"s);
    EXPECT_EQ(blockOf({""}), "\x02\x02\r\n"s);
    EXPECT_EQ(blockOf({"ab", "", "\xC0"}), "\x02\x09"s + "ab\r\n\r\n\xC0\r\n");
    // 20 lines of 8 bytes plus CR LF: 200 bytes, the two-byte form.
    const std::string block200 = blockOf(std::vector<std::string>(20, "12345678"));
    EXPECT_EQ(block200.substr(0, 3), "\x03\xC8\x00"s);
    EXPECT_EQ(block200.size(), 203u);
    const std::string block40000 = blockOf(std::vector<std::string>(4000, "12345678"));
    EXPECT_EQ(block40000.substr(0, 5), "\x04\x40\x9C\x00\x00"s);
    EXPECT_EQ(block40000.size(), 40005u);
}

TEST(SnapshotFormatListBlock, SplitsAtCrLfOrEither) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"", {}},
        {"\r\n", {""}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\n", {"a", "b", "c"}},
        {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\n\r", {"a", ""}},
        {"a\r\r\n", {"a", ""}},
    };
    for (const auto& [text, expected] : cases) {
        std::string bytes;
        appendTaggedInt(bytes, static_cast<std::int32_t>(text.size()));
        bytes += text;
        ByteReader reader(bytes);
        std::vector<std::string> lines{"stale"};
        ASSERT_TRUE(readListBlock(reader, lines, nullptr)) << testing::PrintToString(text);
        EXPECT_EQ(lines, expected) << testing::PrintToString(text);
        ByteReader arenaReader(bytes);
        StringList arena;
        ASSERT_TRUE(readListBlock(arenaReader, arena, nullptr));
        EXPECT_EQ(toVector(arena), expected) << testing::PrintToString(text);
    }
}

TEST(SnapshotFormatListBlock, RandomListsRoundTrip) {
    std::mt19937 rng(42);
    for (std::size_t count : {0u, 1u, 2u, 17u, 5000u}) {
        const auto lines = randomLines(rng, count);
        std::string bytes;
        appendListBlock(bytes, toList(lines));
        EXPECT_EQ(bytes, blockOf(lines));
        bytes += blockOf({"next"});
        ByteReader reader(bytes);
        StringList arena;
        std::vector<std::string> next;
        ASSERT_TRUE(readListBlock(reader, arena, nullptr));
        ASSERT_TRUE(readListBlock(reader, next, nullptr));
        EXPECT_EQ(toVector(arena), lines);
        EXPECT_EQ(next, std::vector<std::string>{"next"});
        EXPECT_TRUE(reader.atEnd());
    }
}

TEST(SnapshotFormatListBlock, DamagedBlocksFailAndLeaveNoLines) {
    for (const std::string& bytes : {""s, "\x02\xFF"s, "\x04\x00\x00\x00\x80"s, "\x02\x05"s + "abc",
                                     "\x04\xFF\xFF\xFF\x7F"s + "a\r\n", "\x07\x00"s}) {
        ByteReader reader(bytes);
        StringList lines;
        lines.append("stale");
        std::string error;
        EXPECT_FALSE(readListBlock(reader, lines, &error)) << testing::PrintToString(bytes);
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(lines.size(), 0u);
    }
}

TEST(SnapshotFormatContainer, LayoutIsCountNameLengthThenZlibLevel9) {
    const std::string content = blockOf({"h"}) + blockOf({"/"}) + blockOf({"n"});
    EXPECT_EQ(content, "\x02\x03h\r\n\x02\x03/\r\n\x02\x03n\r\n"s);
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
}

TEST(SnapshotFormatContainer, RoundTripsAndToleratesBytesAfterTheStream) {
    std::mt19937 rng(3);
    std::string content;
    appendListBlock(content, randomLines(rng, 2000));
    for (const std::string& tail : {""s, "trailing garbage"s}) {
        std::string name, unpacked;
        ASSERT_TRUE(unpackSnapshot(packSnapshot("\xCC\xF3\xE7.qrnet", content) + tail, name,
                                   unpacked, nullptr));
        EXPECT_EQ(name, "\xCC\xF3\xE7.qrnet");
        EXPECT_EQ(unpacked, content);
    }
}

TEST(SnapshotFormatContainer, HighlyCompressibleContentWithinTheRatioIsAccepted) {
    const std::string zeros(4 << 20, '\0');
    std::string name, unpacked;
    ASSERT_TRUE(unpackSnapshot(packSnapshot("z", zeros), name, unpacked, nullptr));
    EXPECT_EQ(unpacked.size(), zeros.size());
}

void setU32(std::string& file, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

TEST(SnapshotFormatContainer, DamagedContainersAreRefused) {
    std::mt19937 rng(5);
    std::string content;
    appendListBlock(content, randomLines(rng, 500));
    const std::string good = packSnapshot("a.qrnet", content);  // stream starts at 19
    const auto R = static_cast<std::uint32_t>(content.size());
    const std::uint32_t packed = good.size() - 19;
    auto with = [&](auto change) {
        std::string file = good;
        change(file);
        return file;
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"too short", good.substr(0, 3)},
        {"count 0", with([](std::string& f) { setU32(f, 0, 0); })},
        {"name past end", with([](std::string& f) { setU32(f, 4, 0xFFFFFFF0u); })},
        {"no content length", good.substr(0, 17)},
        {"no stream", good.substr(0, 19)},
        {"bomb size", with([&](std::string& f) { setU32(f, 15, packed * 1032 + 65537); })},
        {"huge size", with([](std::string& f) { setU32(f, 15, 0xFFFFFFFFu); })},
        {"R one more", with([&](std::string& f) { setU32(f, 15, R + 1); })},
        {"R one less", with([&](std::string& f) { setU32(f, 15, R - 1); })},
        {"stream cut", good.substr(0, good.size() - 10)},
        {"bad zlib header", with([](std::string& f) { f[19] = '\x00'; })},
        {"corrupt body", with([](std::string& f) {
             for (std::size_t i = 40; i < 60; ++i) f[i] = static_cast<char>(~f[i]);
         })},
    };
    for (const auto& [what, file] : cases) {
        std::string name = "keep", unpacked = "keep", error;
        EXPECT_FALSE(unpackSnapshot(file, name, unpacked, &error)) << what;
        EXPECT_EQ(error.rfind("snapshot damaged: ", 0), 0u) << what << ": " << error;
        EXPECT_EQ(unpacked, "keep") << what;
        // Forged sizes must be caught before inflating, not by running out of data.
        if (what == "bomb size" || what == "huge size") {
            EXPECT_NE(error.find("impossible"), std::string::npos) << error;
        }
    }
}

TEST(SnapshotFormatHeader, LinesInOrderWithNologinOnlyForOtherUsers) {
    const SnapshotHeaderTexts texts{"Data ftp://", "Created ", "Files: ", "login used"};
    const std::vector<std::string> comments{"first comment", "second"};
    const auto header = [&](std::string_view user, const std::vector<std::string>& notes) {
        return buildSnapshotHeader(texts, "host.example", "/pub/", 1234, user, notes, "*.mp3",
                                   "01.02.2024_03.04.05");
    };
    EXPECT_EQ(header("anonymous", comments),
              (std::vector<std::string>{"Data ftp://host.example//pub/",
                                        "Created 01.02.2024_03.04.05", "Files: 1234",
                                        "first comment", "second", "host.example", "*.mp3"}));
    for (std::string_view user : {"Anonymous", "bob", ""}) {
        EXPECT_EQ(header(user, {}),
                  (std::vector<std::string>{"Data ftp://host.example//pub/",
                                            "Created 01.02.2024_03.04.05", "Files: 1234",
                                            "login used", "host.example", "*.mp3"}))
            << user;
    }
}

SnapshotData sampleSnapshot() {
    SnapshotData data;
    data.entryName = "s.qrnet";
    data.header = {"ftp://h//", "t", "n", "h", "*.*"};
    data.dirs = toList({"/", "0", "/a b/", "/\xC4\xE8\xF1\xEA/", "3", "3", "2"});
    data.names = toList({"r1", "r2", "x y.txt", "\xF4\xE0\xE9\xEB.mp3", "b", "c", "late"});
    return data;
}

std::string fileOf(const SnapshotData& data) {
    return packSnapshot(data.entryName, buildSnapshotContent(data.header, data.dirs, data.names));
}

TEST(SnapshotFormatFile, ParsesWhatWasBuilt) {
    const SnapshotData written = sampleSnapshot();
    SnapshotData read;
    std::string error;
    ASSERT_TRUE(parseSnapshot(fileOf(written), read, &error)) << error;
    EXPECT_EQ(read.entryName, written.entryName);
    EXPECT_EQ(read.header, written.header);
    EXPECT_TRUE(read.isFtp);
    EXPECT_EQ(toVector(read.dirs), toVector(written.dirs));
    EXPECT_EQ(toVector(read.names), toVector(written.names));
}

TEST(SnapshotFormatFile, OnlyLowerCaseFtpInFirstLineLoadsTheFileLists) {
    for (const auto& [first, isFtp] :
         std::vector<std::pair<std::string, bool>>{{"ftp.example.org//", true},
                                                   {"Server: myftp//", true},
                                                   {"Ftp server C:\\", false},
                                                   {"C:\\Music\\", false}}) {
        SnapshotData data = sampleSnapshot();
        data.header[0] = first;
        SnapshotData read;
        ASSERT_TRUE(parseSnapshot(fileOf(data), read, nullptr)) << first;
        EXPECT_EQ(read.isFtp, isFtp) << first;
        EXPECT_EQ(read.dirs.size(), isFtp ? 7u : 0u) << first;
        EXPECT_EQ(read.names.size(), isFtp ? 7u : 0u) << first;
    }
}

TEST(SnapshotFormatFile, DamagedContentIsRefusedAndLeavesTheResultUntouched) {
    const SnapshotData good = sampleSnapshot();
    const std::string blocks = buildSnapshotContent(good.header, good.dirs, good.names);
    const std::string mismatch =
        buildSnapshotContent(good.header, good.dirs, toList({"only one name"}));
    const std::string badReference =
        buildSnapshotContent(good.header, toList({"/", "1"}), toList({"a", "b"}));
    for (const std::string& content :
         {blocks.substr(0, blocks.size() - 3), mismatch, badReference, "\x02\x05"s + "ftp", ""s}) {
        SnapshotData read = sampleSnapshot();
        std::string error;
        EXPECT_FALSE(parseSnapshot(packSnapshot("s", content), read, &error));
        EXPECT_EQ(error.rfind("snapshot damaged: ", 0), 0u) << error;
        EXPECT_EQ(read.names.size(), 7u);
    }
    SnapshotData read;
    EXPECT_TRUE(parseSnapshot(packSnapshot("s", blocks + "extra"), read, nullptr));
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
    const StringList self = toList({"/a/", "1"});
    EXPECT_FALSE(validateBackReferences(self, nullptr));
}

TEST(SnapshotFormatFile, ReadsFromDiskAndReportsAMissingFile) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("quarrow-snapshot-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "s.qrnet").string();
    std::ofstream(path, std::ios::binary) << fileOf(sampleSnapshot());
    SnapshotData read;
    std::string error;
    EXPECT_TRUE(readSnapshotFile(path, read, &error)) << error;
    EXPECT_EQ(read.names.size(), 7u);
    EXPECT_FALSE(readSnapshotFile((dir / "absent.qrnet").string(), read, &error));
    EXPECT_FALSE(error.empty());
    std::filesystem::remove_all(dir);
}

TEST(SnapshotFormatTextExport, ModesWriteUrlsNamesOrNothing) {
    const SnapshotData data = sampleSnapshot();
    EXPECT_EQ(buildTextExport(1, "h.example", data.dirs, data.names),
              "ftp://h.example/r1\r\n"
              "ftp://h.example/r2\r\n"
              "ftp://h.example/a b/x y.txt\r\n"
              "ftp://h.example/\xC4\xE8\xF1\xEA/\xF4\xE0\xE9\xEB.mp3\r\n"
              "ftp://h.example/\xC4\xE8\xF1\xEA/b\r\n"
              "ftp://h.example/\xC4\xE8\xF1\xEA/c\r\n"
              "ftp://h.example/a b/late\r\n");
    EXPECT_EQ(buildTextExport(2, "h.example", data.dirs, data.names),
              "r1\r\nr2\r\nx y.txt\r\n\xF4\xE0\xE9\xEB.mp3\r\nb\r\nc\r\nlate\r\n");
    EXPECT_EQ(buildTextExport(0, "h.example", data.dirs, data.names), "");
    EXPECT_EQ(buildTextExport(1, "h", StringList(), StringList()), "");
}

}  // namespace
}  // namespace quarrow
