#include <cstdio>

#include "cli/CliCommands.h"
#include "cli/Json.h"
#include "engine/Settings.h"
#include "engine/StartupRules.h"
#include "engine/Translate.h"
#include "platform/Cp1251.h"
#include "update/TGetFileHttp.h"
#include "update/UpdatePage.h"

namespace quarrow::cli {

int RunUpdateCheck(const std::string& programDir, const std::vector<std::string>& operands) {
    std::string url;
    if (operands.size() == 2 && operands[0] == "--url") {
        url = utf8ToCp1251(operands[1]);
    } else if (!operands.empty()) {
        return PrintUsageError("update-check takes only --url URL");
    }
    if (url.empty()) {
        url = LoadSettings(settingsFilePath(programDir), std::time(nullptr)).updateUrl;
        if (url.empty()) url = DefaultUpdatePage();
    }

    const std::string own = OwnVersionText(QUARROW_VERSION);
    auto results = std::make_shared<UpdateResults>();
    TGetFileHttp check({url, upperCp1251(kIdentText), own, {}}, results, nullptr);
    const bool fetched = check.Execute();

    std::string line = "{\"own\": ";
    appendJsonString(line, own);
    line += ", \"announced\": ";
    appendJsonString(line, check.AnnouncedVersion());
    line += ", \"update\": ";
    line += results->UpdateAvailable() ? "true" : "false";
    line += ", \"url\": ";
    appendJsonString(line, results->DownloadUrl());
    line += "}";
    PrintOut(line);
    if (fetched) return kExitOk;
    PrintErr("quarrow-cli: " + url + ": " + check.FetchError());
    return kExitFailed;
}

}  // namespace quarrow::cli
