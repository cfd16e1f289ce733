#include <initializer_list>
#include <string_view>

#include "cli/CliCommands.h"
#include "engine/ResumeFile.h"
#include "engine/SnapshotFile.h"
#include "platform/Cp1251.h"

namespace quarrow::cli {
namespace {

// Fields are escaped so that a TAB or line break inside a name cannot be taken for a separator.
void appendField(std::string& line, std::string_view field) {
    static constexpr std::string_view kSpecial = "\\\t\r\n", kLetter = "\\trn";
    line.push_back('\t');
    for (const char c : field) {
        const auto at = kSpecial.find(c);
        if (at == std::string_view::npos) {
            line.push_back(c);
        } else {
            line.push_back('\\');
            line.push_back(kLetter[at]);
        }
    }
}

void printLine(const char* tag, std::initializer_list<std::string_view> fields) {
    std::string line = tag;
    for (const std::string_view field : fields) appendField(line, field);
    PrintOut(line);
}

bool printFiles(const StringList& dirs, const StringList& names) {
    for (std::size_t i = 0; i < names.size() && i < dirs.size(); ++i) {
        std::string_view folder;
        if (!resolveFolder(dirs, i, folder)) return false;
        printLine("F", {folder, names[i]});
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
    for (const auto& line : data.header) printLine("H", {line});
    for (const auto& folder : data.dirQueue) printLine("Q", {folder});
    printFiles(data.fileDirs, data.fileNames);
    return kExitOk;
}

int dumpSnapshot(const std::string& file) {
    SnapshotData data;
    std::string error;
    if (!readSnapshotFile(file, data, &error)) return damaged(file, error);
    for (const auto& line : data.header) printLine("H", {line});
    printFiles(data.dirs, data.names);
    return kExitOk;
}

}  // namespace

int RunDump(const std::string& file) {
    return file.ends_with(".qrsftp") ? dumpResume(file) : dumpSnapshot(file);
}

}  // namespace quarrow::cli
