#include "watch/WatchTexts.h"

namespace quarrow {

WatchTexts LoadWatchTexts(std::string_view languageFile) {
    LanguageFile file;
    return file.load(languageFile) ? ReadWatchTexts(file) : WatchTexts{};
}

WatchTexts ReadWatchTexts(const LanguageFile& file) {
    WatchTexts texts;
    readThreadTexts(file, texts.thread);
    readFormTexts(file, texts.form);
    texts.nevfile = file.text(kNevFormSection, "nevfile");
    texts.nevdir = file.text(kNevFormSection, "nevdir");
    texts.stopf = file.text(kNevFormSection, "stopf");
    return texts;
}

}  // namespace quarrow
