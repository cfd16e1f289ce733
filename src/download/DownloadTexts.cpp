#include "download/DownloadTexts.h"

namespace quarrow {

DownloadTexts LoadDownloadTexts(std::string_view languageFile) {
    DownloadTexts texts;
    LanguageFile file;
    file.load(languageFile);
    readThreadTexts(file, texts.thread);
    texts.notloaded = file.text(kFormDownloadSection, "notloaded");
    texts.badname = file.text(kFormDownloadSection, "badname");
    return texts;
}

}  // namespace quarrow
