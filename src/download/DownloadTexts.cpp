#include "download/DownloadTexts.h"

namespace quarrow {

DownloadTexts LoadDownloadTexts(std::string_view languageFile) {
    LanguageFile file;
    file.load(languageFile);
    return ReadDownloadTexts(file);
}

DownloadTexts ReadDownloadTexts(const LanguageFile& file) {
    DownloadTexts texts;
    readThreadTexts(file, texts.thread);
    texts.notloaded = file.text(kFormDownloadSection, "notloaded");
    texts.badname = file.text(kFormDownloadSection, "badname");
    return texts;
}

}  // namespace quarrow
