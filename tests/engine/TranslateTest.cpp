#include "engine/Translate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/TestHelpers.h"
#include "fixtures/TempDir.h"
#include "platform/Cp1251.h"
#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow {
namespace {

template <typename Texts>
struct Field {
    const char* key;
    std::string Texts::*member;
};

// The keys each reader must fill, written out here so a misspelt key in the reader shows.
// clang-format off
#define THREAD(key) {#key, &ThreadTexts::key}
#define FORM(key) {#key, &FormTexts::key}
const Field<ThreadTexts> kThreadFields[] = {
    THREAD(nologin), THREAD(timecreate), THREAD(dataftpserver), THREAD(countfilet),
    THREAD(scandir), THREAD(countdir), THREAD(infojointserver), THREAD(infojointnodll),
    THREAD(infojointnohost), THREAD(infojointhost), THREAD(infojointnodir), THREAD(infojointdir),
    THREAD(infojointstartscandir), THREAD(infoload), THREAD(infosaveerror)};
const Field<FormTexts> kFormFields[] = {
    FORM(filefind), FORM(nojoin), FORM(dubladd), FORM(dubladd2), FORM(noserver), FORM(start1),
    FORM(endscan), FORM(autono), FORM(autonofile), FORM(dostr), FORM(prov), FORM(foundfile),
    FORM(founddir), FORM(stop), FORM(dir), FORM(allfile), FORM(findfile), FORM(nofindfile),
    FORM(regimfind), FORM(CheckListBox1hint), FORM(newversionmessage), FORM(newversionmessage2)};
// clang-format on
#undef THREAD
#undef FORM

TEST(Translate, DecodesBlankAndLineBreakEscapes) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Start%20scan%13now", "Start scan\rnow"},
        {"%20padded%20", " padded "},
        {"%13%13", "\r\r"},
        {"%2013", " 13"},  // blanks first, so "%2013" never turns into a break
        {"100% done", "100% done"},
        {"Downloaded %s of", "Downloaded %s of"},
        {"%2", "%2"},
        {"", ""},
    };
    for (const auto& [raw, decoded] : cases) EXPECT_EQ(decodeLangText(raw), decoded) << raw;
}

TEST(Translate, ReadsLanguageFileSyntaxAndFallsBackToKeyNames) {
    test::TempDir dir;
    const std::string path = dir.path() + "Test.lng";
    test::writeRaw(path,
                   "; comment line\r\n"
                   "   [InfoFtpForm]   \r\n"
                   "  Button1  =  Start%20scan%13now   \r\n"
                   "trailing=Files   \r\n"
                   "kept=Files:%20\r\n"
                   ";hidden=yes\r\n"
                   "empty=\r\n"
                   "NOJOIN=Offline\r\n"
                   "\r\n"
                   "[InfoThreadF]\r\n"
                   "timecreate=Created:%20\r\n");
    LanguageFile file;
    ASSERT_TRUE(file.load(path));

    EXPECT_EQ(file.value("infoftpform", "BUTTON1"), "Start scan\rnow");
    EXPECT_EQ(file.value("InfoFtpForm", "trailing"), "Files");
    EXPECT_EQ(file.value("InfoFtpForm", "kept"), "Files: ");
    EXPECT_EQ(file.value("InfoFtpForm", "empty"), "");
    EXPECT_FALSE(file.has("InfoFtpForm", "hidden") || file.has("InfoFtpForm", ";hidden"));
    EXPECT_EQ(file.text("InfoThreadF", "Button1"), "Button1");

    EXPECT_EQ(ReadLangString("INFOFTPFORM", "kept", path), "Files: ");
    EXPECT_EQ(ReadLangString("InfoFtpForm", "dostr", path), "dostr");
    EXPECT_EQ(ReadLangString("InfoFtpForm", "kept", dir.path() + "absent.lng"), "kept");

    ThreadTexts thread;
    readThreadTexts(file, thread);
    FormTexts form;
    readFormTexts(file, form);
    EXPECT_EQ(thread.timecreate, "Created: ");
    EXPECT_EQ(thread.infosaveerror, "infosaveerror");
    EXPECT_EQ(form.nojoin, "Offline");
    EXPECT_EQ(form.CheckListBox1hint, "CheckListBox1hint");

    EXPECT_FALSE(file.load(dir.path() + "absent.lng"));
    EXPECT_FALSE(file.has("InfoFtpForm", "kept"));
}

bool isCyrillic(char c) {
    const auto b = static_cast<unsigned char>(c);
    return b >= 0xC0 || b == 0xA8 || b == 0xB8;
}

// Every key of both message sections is present, read into its field, and written in the
// file's language: plain ASCII in English, Cyrillic in Russian. The texts fit how the program
// joins and formats them.
TEST(Translate, ShippedFilesHoldEveryMessageTextReadyToJoin) {
    // Texts joined to numbers, names and format strings without any blank of the program's own.
    const std::vector<std::string> endWithBlank = {
        "timecreate",    "countfilet", "scandir", "countdir", "infojointserver",
        "infosaveerror", "filefind",   "dubladd", "dubladd2", "start1",
        "autonofile",    "prov",       "dir"};
    for (const bool russian : {false, true}) {
        const std::string path =
            std::string(QUARROW_DATA_DIR) + "/TXT/" + (russian ? "Ru.lng" : "Engl.lng");
        SCOPED_TRACE(path);
        LanguageFile file;
        ASSERT_TRUE(file.load(path));
        ThreadTexts thread;
        FormTexts form;
        readThreadTexts(file, thread);
        readFormTexts(file, form);

        const auto check = [&](std::string_view section, const std::string& key,
                               const std::string& text) {
            EXPECT_EQ(file.value(section, key), text) << key;
            const bool cyrillic = std::any_of(text.begin(), text.end(), isCyrillic);
            const bool ascii = std::all_of(text.begin(), text.end(), [](char c) {
                return static_cast<unsigned char>(c) < 0x80;
            });
            EXPECT_TRUE(russian ? cyrillic : ascii) << key << ": " << cp1251ToUtf8(text);
            if (std::find(endWithBlank.begin(), endWithBlank.end(), key) != endWithBlank.end()) {
                EXPECT_TRUE(text.ends_with(' ')) << key;
            }
        };
        for (const auto& f : kThreadFields) check(kThreadTextsSection, f.key, thread.*f.member);
        for (const auto& f : kFormFields) check(kFormTextsSection, f.key, form.*f.member);
        EXPECT_EQ(file.value("FtpForm", "Caption"), "Quarrow");

        std::string bytes;
        ASSERT_TRUE(readWholeFile(path, bytes));
        EXPECT_EQ(bytes.find('\x98'), std::string::npos);  // the one byte with no character
        EXPECT_EQ(joinLines(splitLines(bytes)), bytes);    // CR LF after every line

        // The first header line is this text, the server, "/" and the path: readers take the
        // server from what follows "ftp://", and recognise an FTP snapshot by "ftp".
        EXPECT_TRUE(thread.dataftpserver.ends_with("ftp://"));
        // "infoload" carries the one "%s" of the download line's format; the texts formatted
        // with "Host \"%s\" " or " %s." must not add directives of their own.
        const std::string& load = thread.infoload;
        EXPECT_EQ(load.find('%'), load.find("%s"));
        EXPECT_EQ(load.find('%', load.find("%s") + 1), std::string::npos);
        for (const std::string& formatted :
             {thread.infojointnohost, thread.infojointhost, thread.infojointnodir,
              thread.infojointdir, thread.infojointstartscandir}) {
            EXPECT_EQ(formatted.find('%'), std::string::npos) << formatted;
        }
    }
}

TEST(Translate, LanguageIndexComesFromTheSettingsFile) {
    test::TempDir dir;
    EXPECT_EQ(languageIndexFromSettings(dir.path()), 0);
    test::writeRaw(dir.path() + "quarrow.ini",
                   "[MainWinPos]\r\nLeft=1\r\n[mainwinlang]\r\nLANG = 1\r\n");
    EXPECT_EQ(languageIndexFromSettings(dir.path()), 1);
    test::writeRaw(dir.path() + "quarrow.ini", "[MainWinLang]\r\nLang=Russian\r\n");
    EXPECT_EQ(languageIndexFromSettings(dir.path()), 0);
}

}  // namespace
}  // namespace quarrow
