#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/IniFile.h"

namespace quarrow {

// Every text the program shows, apart from designed captions, comes from a language file: an
// INI file in Windows-1251 whose values may carry "%20" for a blank and "%13" for a line break
// (CR), the only way to keep leading or trailing blanks and to break lines.

// Replaces every "%20" by a blank, then every "%13" by CR.
std::string decodeLangText(std::string_view raw);

// A parsed language file. Section and key names match without regard to letter case.
class LanguageFile {
public:
    // False, leaving the object empty, when the file is missing or cannot be read.
    bool load(std::string_view path);

    bool has(std::string_view section, std::string_view key) const;
    // The decoded value, or nothing when the key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    // The decoded value, or the key name itself when the key is missing, so a missing text
    // still shows something a user can report.
    std::string text(std::string_view section, std::string_view key) const;

private:
    IniFile file_{std::string()};
};

// The value of the key, decoded; the key name when the key or the whole file is missing.
std::string ReadLangString(std::string_view section, std::string_view key,
                           std::string_view filePath);

// Status and header texts of the worker threads (section "InfoThreadF").
struct ThreadTexts {
    std::string nologin, timecreate, dataftpserver, countfilet, scandir, countdir, infojointserver,
        infojointnodll, infojointnohost, infojointhost, infojointnodir, infojointdir,
        infojointstartscandir, infoload, infosaveerror, infopassive, inforeconnect, inforeconnected,
        infointerrupted, inforesumefile, infotoodeep, infolistinglimit, infojointnotls;
};

// Messages and status texts of the window code (section "InfoFtpForm").
struct FormTexts {
    std::string filefind, nojoin, dubladd, dubladd2, noserver, start1, endscan, autono, autonofile,
        dostr, prov, foundfile, founddir, stop, dir, allfile, findfile, nofindfile, regimfind,
        CheckListBox1hint, newversionmessage, newversionmessage2, endscanincomplete, unlisteddirs;
};

inline constexpr std::string_view kThreadTextsSection = "InfoThreadF";
inline constexpr std::string_view kFormTextsSection = "InfoFtpForm";

// Fill every field from its section, key by key in declaration order; a missing key gives the
// key name.
void readThreadTexts(const LanguageFile& file, ThreadTexts& texts);
void readFormTexts(const LanguageFile& file, FormTexts& texts);

// ProgramDir + "TXT/Engl.lng" for index 0, "TXT/Ru.lng" for 1; any other index is English.
std::string languageFilePath(std::string_view programDir, int index);

// The settings file of the window program: ProgramDir + "quarrow.ini".
std::string settingsFilePath(std::string_view programDir);

// The language index saved by the window program ("MainWinLang"/"Lang"), 0 when the settings
// file or the key is missing or unreadable.
int languageIndexFromSettings(std::string_view programDir);

}  // namespace quarrow
