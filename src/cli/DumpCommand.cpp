#include "cli/CliCommands.h"
#include "engine/ResumeFile.h"
#include "engine/SnapshotFile.h"
#include "platform/Cp1251.h"

namespace quarrow::cli {
namespace {

bool printFiles(const StringList& dirs, const StringList& names) {
    for (std::size_t i = 0; i < names.size() && i < dirs.size(); ++i) {
        std::string_view folder;
        if (!resolveFolder(dirs, i, folder)) return false;
        PrintOut("F\t" + std::string(folder) + "\t" + std::string(names[i]));
    }
    return true;
}

int damaged(const std::string& file, const std::string& error) {
    PrintErr("quarrow-cli: " + file + ": " + utf8ToCp1251(error));
    return kExitFailed;
}

int dumpResume(const std::string& file) {
    ResumeData data;
    std::string error;
    switch (readResumeFile(file, false, data, &error)) {
        case ResumeReadResult::Missing:
            return damaged(file, "no such file");
        case ResumeReadResult::Damaged:
            return damaged(file, error);
        case ResumeReadResult::Ok:
            break;
    }
    for (const auto& line : data.header) PrintOut("H\t" + line);
    for (const auto& folder : data.dirQueue) PrintOut("Q\t" + folder);
    printFiles(data.fileDirs, data.fileNames);
    return kExitOk;
}

int dumpSnapshot(const std::string& file) {
    SnapshotData data;
    std::string error;
    if (!readSnapshotFile(file, data, &error)) return damaged(file, error);
    for (const auto& line : data.header) PrintOut("H\t" + line);
    printFiles(data.dirs, data.names);
    return kExitOk;
}

}  // namespace

int RunDump(const std::string& file) {
    return file.ends_with(".qrsftp") ? dumpResume(file) : dumpSnapshot(file);
}

}  // namespace quarrow::cli
