#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/Translate.h"

namespace quarrow {

// Creates the data folders "TXT/", "Session/", "Spy/" and "Arhive/" under the program folder
// where they are missing (one level each; a folder that cannot be made is not reported, later
// writes into it fail where they happen).
void CreateDataFolders(std::string_view programDir);

// The lines of a list file under "TXT/" (the ignore list, the comment); empty when it is missing.
std::vector<std::string> LoadTxtList(std::string_view programDir, std::string_view fileName);

// The worker texts of a language file; every text is empty when the file is missing.
ThreadTexts LoadThreadTexts(std::string_view languageFile);

}  // namespace quarrow
