#include "engine/ProgramFolders.h"

#include "platform/FileSystem.h"
#include "platform/TextLines.h"

namespace quarrow {

void CreateDataFolders(std::string_view programDir) {
    for (const char* folder : {"TXT/", "Session/", "Spy/", "Arhive/"})
        makeDirectory(std::string(programDir) + folder);
}

std::vector<std::string> LoadTxtList(std::string_view programDir, std::string_view fileName) {
    std::vector<std::string> lines;
    readLinesFile(std::string(programDir) + "TXT/" + std::string(fileName), lines);
    return lines;
}

ThreadTexts LoadThreadTexts(std::string_view languageFile) {
    ThreadTexts texts;
    LanguageFile file;
    if (file.load(languageFile)) readThreadTexts(file, texts);
    return texts;
}

}  // namespace quarrow
