#include "engine/Translate.h"

#include "engine/TestHelpers.h"
#include "platform/Cp1251.h"

namespace quarrow::test {
namespace {

template <typename Texts>
struct Field {
    const char* key;
    std::string Texts::*member;
};

// Every key each reader must fill, written out here so a misspelt or swapped key in the
// reader shows.
// clang-format off
#define THREAD(key) {#key, &ThreadTexts::key}
#define FORM(key) {#key, &FormTexts::key}
const Field<ThreadTexts> kThreadFields[] = {
    THREAD(nologin), THREAD(timecreate), THREAD(dataftpserver), THREAD(countfilet),
    THREAD(scandir), THREAD(countdir), THREAD(infojointserver), THREAD(infojointnodll),
    THREAD(infojointnohost), THREAD(infojointhost), THREAD(infojointnodir), THREAD(infojointdir),
    THREAD(infojointstartscandir), THREAD(infoload), THREAD(infosaveerror), THREAD(infopassive),
    THREAD(inforeconnect), THREAD(inforeconnected), THREAD(infointerrupted),
    THREAD(inforesumefile), THREAD(infotoodeep), THREAD(infolistinglimit),
    THREAD(infojointnotls)};
const Field<FormTexts> kFormFields[] = {
    FORM(filefind), FORM(nojoin), FORM(dubladd), FORM(dubladd2), FORM(noserver), FORM(start1),
    FORM(endscan), FORM(autono), FORM(autonofile), FORM(dostr), FORM(prov), FORM(foundfile),
    FORM(founddir), FORM(stop), FORM(dir), FORM(allfile), FORM(findfile), FORM(nofindfile),
    FORM(regimfind), FORM(CheckListBox1hint), FORM(newversionmessage), FORM(newversionmessage2),
    FORM(endscanincomplete), FORM(unlisteddirs)};
// clang-format on
#undef THREAD
#undef FORM

// Keys and sections ignore case and blanks around them; "%20" is a blank and "%13" a line
// break, blanks decoded first so that "%2013" never turns into a break; a missing key reads as
// its own name.
TEST(Translate, ReadsLanguageFileSyntaxAndFallsBackToKeyNames) {
    TempDir dir;
    const std::string path = dir.path() + "Test.lng";
    writeRaw(path,
             "; comment line\r\n"
             "   [InfoFtpForm]   \r\n"
             "  Button1  =  Start%20scan%13now   \r\n"
             "odd=%2013 and 100% %s %2%13%13\r\n"
             "kept=Files:%20\r\n"
             ";hidden=yes\r\n"
             "empty=\r\n"
             "NOJOIN=Offline\r\n"
             "[InfoThreadF]\r\n"
             "timecreate=Created:%20\r\n");
    LanguageFile file;
    ASSERT_TRUE(file.load(path));
    EXPECT_EQ((Lines{file.value("infoftpform", "BUTTON1").value_or("-"),
                     file.value("InfoFtpForm", "odd").value_or("-"),
                     file.value("InfoFtpForm", "kept").value_or("-"),
                     file.value("InfoFtpForm", "empty").value_or("-"),
                     file.text("InfoThreadF", "Button1")}),
              (Lines{"Start scan\rnow", " 13 and 100% %s %2\r\r", "Files: ", "", "Button1"}));
    EXPECT_FALSE(file.has("InfoFtpForm", "hidden") || file.has("InfoFtpForm", ";hidden"));
    EXPECT_EQ(ReadLangString("INFOFTPFORM", "kept", path), "Files: ");
    EXPECT_EQ(ReadLangString("InfoFtpForm", "dostr", path), "dostr");
    EXPECT_EQ(ReadLangString("InfoFtpForm", "kept", dir.path() + "absent.lng"), "kept");

    ThreadTexts thread;
    readThreadTexts(file, thread);
    FormTexts form;
    readFormTexts(file, form);
    EXPECT_EQ((Lines{thread.timecreate, thread.infosaveerror, form.nojoin}),
              (Lines{"Created: ", "infosaveerror", "Offline"}));
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
    const Lines endWithBlank = {
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

        const std::string bytes = bytesOf(path).value_or("");
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

}  // namespace
}  // namespace quarrow::test
