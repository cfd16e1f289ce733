#include "watch/CheckResult.h"

#include <unistd.h>

#include <string_view>

#include "engine/FormatError.h"
#include "engine/Masks.h"
#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "platform/Cp1251.h"
#include "platform/DateTimeText.h"
#include "platform/FileSystem.h"
#include "watch/ItemText.h"

namespace quarrow {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kScheme = "ftp://";
constexpr std::string_view kTextExtension = ".txt";
constexpr std::string_view kSnapshotExtension = ".qrnet";
// Work-file suffixes beside the target, as the scan writer names them.
constexpr std::string_view kTextWorkSuffix = "tmp";
constexpr std::string_view kSnapshotWorkSuffix = "1tmp";

// The window writes its header in fixed Russian, whatever language is loaded (Windows-1251):
// "Данные о ftp сервере ftp://", "время создания  -  ", "Количество файлов  -  ".
SnapshotHeaderTexts windowHeaderTexts() {
    return {"\xC4\xE0\xED\xED\xFB\xE5 \xEE ftp \xF1\xE5\xF0\xE2\xE5\xF0\xE5 ftp://",
            "\xE2\xF0\xE5\xEC\xFF \xF1\xEE\xE7\xE4\xE0\xED\xE8\xFF  -  ",
            "\xCA\xEE\xEB\xE8\xF7\xE5\xF1\xF2\xE2\xEE \xF4\xE0\xE9\xEB\xEE\xE2  -  ", ""};
}

enum class SaveKind { Addresses, Lines, Snapshot };

// How the two writers' snapshots differ.
struct SnapshotForm {
    SnapshotHeaderTexts texts;
    std::string address;  // first header line after the texts' lead
    bool loginLine;
    std::string (*folderPart)(std::string_view fullName);
};

std::string textList(SaveKind kind, std::string_view server, const std::vector<TMainObj>& items) {
    std::string out;
    for (const TMainObj& item : items) {
        if (kind == SaveKind::Addresses) {
            out.append(kScheme).append(server).append(item.FullName);
        } else {
            out.append(NewItemLine(item));
        }
        out.append(kLineBreak);
    }
    return out;
}

std::string snapshotBytes(const WatchEntry& entry, std::string_view path, const SnapshotForm& form,
                          const std::vector<TMainObj>& items,
                          const std::vector<std::string>& commentLines, std::time_t now) {
    StringList folders, names;
    for (const TMainObj& item : items) {
        folders.append(item.IsFolder ? item.FullName : form.folderPart(item.FullName));
        names.append(NewItemLine(item));
    }
    const auto header =
        buildSnapshotHeaderAt(form.texts, form.address, items.size(), form.loginLine, commentLines,
                              entry.Server, entry.Mask, formatStamp(now));
    return packSnapshot(fileNameOf(path), buildSnapshotContent(header, folders, names));
}

// Refuses, before anything is written, names the system cannot store as asked.
bool checkTarget(std::string_view saveBase, std::string* error) {
    const std::string shown = cp1251ToUtf8(saveBase);
    if (saveBase.find('\0') != std::string_view::npos) {
        return formatError(error, "Cannot save \"" + shown + "\": the name contains a NUL byte");
    }
    if (fileNameOf(saveBase).empty()) {
        return formatError(error, "Cannot save \"" + shown + "\": the name ends in \"/\"");
    }
    std::string folder = folderOf(saveBase);
    if (folder.empty()) folder = ".";
    if (!directoryExists(folder)) {
        return formatError(error, "Cannot save \"" + shown + "\": the folder " +
                                      cp1251ToUtf8(folder) + " does not exist");
    }
    if (::access(nativePath(folder).c_str(), W_OK | X_OK) != 0) {
        return formatError(error, "Cannot save \"" + shown + "\": the folder " +
                                      cp1251ToUtf8(folder) + " is not writable");
    }
    return true;
}

bool saveItems(const WatchEntry& entry, const std::string& saveBase, SaveKind kind,
               const SnapshotForm& form, const std::vector<std::string>& commentLines,
               std::time_t now, std::string* error) {
    if (trimText(saveBase).empty()) return true;
    if (!checkTarget(saveBase, error)) return false;
    const std::vector<TMainObj> items = entry.NewItems.items();
    if (kind == SaveKind::Snapshot) {
        const std::string path = saveBase + std::string(kSnapshotExtension);
        return writeFileAtomic(path, saveBase + std::string(kSnapshotWorkSuffix),
                               snapshotBytes(entry, path, form, items, commentLines, now), error);
    }
    const std::string path = saveBase + std::string(kTextExtension);
    return writeFileAtomic(path, path + std::string(kTextWorkSuffix),
                           textList(kind, entry.Server, items), error);
}

}  // namespace

bool WriteCheckResult(const WatchEntry& entry, const ThreadTexts& texts,
                      const std::vector<std::string>& commentLines, std::time_t now,
                      std::string* error) {
    const int type = entry.TextExport;
    const SaveKind kind = type == 1   ? SaveKind::Addresses
                          : type >= 3 ? SaveKind::Snapshot
                                      : SaveKind::Lines;
    const SnapshotForm form{snapshotHeaderTexts(texts), entry.Server + entry.Path,
                            loginLineWanted(entry.UserName), checkFolderPart};
    return saveItems(entry, entry.ResumeBase, kind, form, commentLines, now, error);
}

bool SaveScanResult(const WatchEntry& entry, const std::string& saveBase, int saveType,
                    const std::vector<std::string>& commentLines, std::time_t now,
                    std::string* error) {
    const SaveKind kind = saveType == 1   ? SaveKind::Addresses
                          : saveType == 2 ? SaveKind::Lines
                                          : SaveKind::Snapshot;
    const SnapshotForm form{windowHeaderTexts(), entry.Server + "/" + entry.Path, false,
                            windowFolderPart};
    return saveItems(entry, saveBase, kind, form, commentLines, now, error);
}

}  // namespace quarrow
