#include "engine/Translate.h"

#include <utility>

#include "platform/FileSystem.h"

namespace quarrow {
namespace {

template <typename Texts>
struct TextKey {
    std::string_view key;
    std::string Texts::*field;
};

constexpr TextKey<ThreadTexts> kThreadKeys[] = {
    {"nologin", &ThreadTexts::nologin},
    {"timecreate", &ThreadTexts::timecreate},
    {"dataftpserver", &ThreadTexts::dataftpserver},
    {"countfilet", &ThreadTexts::countfilet},
    {"scandir", &ThreadTexts::scandir},
    {"countdir", &ThreadTexts::countdir},
    {"infojointserver", &ThreadTexts::infojointserver},
    {"infojointnodll", &ThreadTexts::infojointnodll},
    {"infojointnohost", &ThreadTexts::infojointnohost},
    {"infojointhost", &ThreadTexts::infojointhost},
    {"infojointnodir", &ThreadTexts::infojointnodir},
    {"infojointdir", &ThreadTexts::infojointdir},
    {"infojointstartscandir", &ThreadTexts::infojointstartscandir},
    {"infoload", &ThreadTexts::infoload},
    {"infosaveerror", &ThreadTexts::infosaveerror},
    {"infopassive", &ThreadTexts::infopassive},
    {"inforeconnect", &ThreadTexts::inforeconnect},
    {"inforeconnected", &ThreadTexts::inforeconnected},
    {"infointerrupted", &ThreadTexts::infointerrupted},
    {"inforesumefile", &ThreadTexts::inforesumefile},
    {"infotoodeep", &ThreadTexts::infotoodeep},
    {"infolistinglimit", &ThreadTexts::infolistinglimit},
    {"infojointnotls", &ThreadTexts::infojointnotls},
};

constexpr TextKey<FormTexts> kFormKeys[] = {
    {"filefind", &FormTexts::filefind},
    {"nojoin", &FormTexts::nojoin},
    {"dubladd", &FormTexts::dubladd},
    {"dubladd2", &FormTexts::dubladd2},
    {"noserver", &FormTexts::noserver},
    {"start1", &FormTexts::start1},
    {"endscan", &FormTexts::endscan},
    {"autono", &FormTexts::autono},
    {"autonofile", &FormTexts::autonofile},
    {"dostr", &FormTexts::dostr},
    {"prov", &FormTexts::prov},
    {"foundfile", &FormTexts::foundfile},
    {"founddir", &FormTexts::founddir},
    {"stop", &FormTexts::stop},
    {"dir", &FormTexts::dir},
    {"allfile", &FormTexts::allfile},
    {"findfile", &FormTexts::findfile},
    {"nofindfile", &FormTexts::nofindfile},
    {"regimfind", &FormTexts::regimfind},
    {"CheckListBox1hint", &FormTexts::CheckListBox1hint},
    {"newversionmessage", &FormTexts::newversionmessage},
    {"newversionmessage2", &FormTexts::newversionmessage2},
    {"endscanincomplete", &FormTexts::endscanincomplete},
    {"unlisteddirs", &FormTexts::unlisteddirs},
};

template <typename Texts, std::size_t N>
void readTexts(const LanguageFile& file, std::string_view section, const TextKey<Texts> (&keys)[N],
               Texts& texts) {
    for (const auto& entry : keys) texts.*entry.field = file.text(section, entry.key);
}

}  // namespace

// One pass gives the same text as replacing all "%20" first and all "%13" after: the two
// escapes cannot overlap and a blank cannot form part of a "%13".
std::string decodeLangText(std::string_view raw) {
    std::string text;
    text.reserve(raw.size());
    std::size_t i = 0;
    while (i < raw.size()) {
        const std::string_view rest = raw.substr(i);
        if (rest.starts_with("%20")) {
            text += ' ';
            i += 3;
        } else if (rest.starts_with("%13")) {
            text += '\r';
            i += 3;
        } else {
            text += raw[i++];
        }
    }
    return text;
}

bool LanguageFile::load(std::string_view path) {
    IniFile file{std::string(path)};
    if (!fileExists(path) || !file.load()) {
        file_ = IniFile{std::string()};
        return false;
    }
    file_ = std::move(file);
    return true;
}

bool LanguageFile::has(std::string_view section, std::string_view key) const {
    return file_.value(section, key).has_value();
}

std::optional<std::string> LanguageFile::value(std::string_view section,
                                               std::string_view key) const {
    const auto raw = file_.value(section, key);
    if (!raw) return std::nullopt;
    return decodeLangText(*raw);
}

std::string LanguageFile::text(std::string_view section, std::string_view key) const {
    auto found = value(section, key);
    return found ? std::move(*found) : std::string(key);
}

std::string ReadLangString(std::string_view section, std::string_view key,
                           std::string_view filePath) {
    LanguageFile file;
    file.load(filePath);
    return file.text(section, key);
}

void readThreadTexts(const LanguageFile& file, ThreadTexts& texts) {
    readTexts(file, kThreadTextsSection, kThreadKeys, texts);
}

void readFormTexts(const LanguageFile& file, FormTexts& texts) {
    readTexts(file, kFormTextsSection, kFormKeys, texts);
}

std::string languageFilePath(std::string_view programDir, int index) {
    return std::string(programDir) + (index == 1 ? "TXT/Ru.lng" : "TXT/Engl.lng");
}

std::string settingsFilePath(std::string_view programDir) {
    return std::string(programDir) + "quarrow.ini";
}

int languageIndexFromSettings(std::string_view programDir) {
    IniFile settings(settingsFilePath(programDir));
    if (!settings.load()) return 0;
    return settings.readInteger("MainWinLang", "Lang", 0);
}

}  // namespace quarrow
