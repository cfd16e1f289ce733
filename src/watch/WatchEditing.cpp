#include "watch/WatchEditing.h"

#include <algorithm>

#include "engine/Masks.h"
#include "platform/Cp1251.h"
#include "watch/SpyFile.h"

namespace quarrow {
namespace {

constexpr int kMinute = 60000;
// The longest interval whose milliseconds still fit the 32-bit field.
constexpr int kMaxIntervalMinutes = 35791;

std::string trimmed(std::string_view text) {
    return std::string(trimText(text));
}

std::string minutesOf(const TFtpMain& entry) {
    return std::to_string(entry.Interval.load() / kMinute);
}

std::optional<std::string> unsafeText(const char* field, std::string_view text) {
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return std::string("The ") + field + " must not contain a line break or a NUL character.";
    if (const auto marker = FindSpyMarker(text))
        return std::string("The ") + field + " must not contain \"" + std::string(*marker) +
               "\": the watch list could not read it back.";
    return std::nullopt;
}

// Why adding or changing stops before anything changes; nothing when it may go on.
std::optional<std::string> refusal(const WatchForm& form, const WatchTexts& texts) {
    if (trimText(form.server).empty()) return texts.form.noserver;
    return CheckWatchTexts(form);
}

WatchEditResult result(WatchEditResult::Kind kind, int entry, int line, std::string message = {}) {
    return {kind, entry, line, std::move(message)};
}

WatchEditResult failed(int entry, int line, const std::string& utf8Error) {
    return result(WatchEditResult::Failed, entry, line, utf8ToCp1251(utf8Error));
}

// The refusals and the history lists, shared by adding and changing.
std::optional<WatchEditResult> prepare(const WatchForm& form, WatchHistory& history,
                                       const WatchTexts& texts) {
    if (auto refused = refusal(form, texts))
        return result(WatchEditResult::Refused, -1, -1, std::move(*refused));
    std::string error;
    if (!UpdateWatchHistory(history, form, &error)) return failed(-1, -1, error);
    return std::nullopt;
}

}  // namespace

WatchForm WatchFormOf(const TFtpMain& entry) {
    WatchForm form;
    form.server = entry.Server;
    form.path = entry.Path;
    form.mask = entry.Mask;
    form.user = entry.UserName;
    form.password = entry.Password;
    form.port = std::to_string(entry.Port);
    form.saveName = entry.ResumeBase;
    form.active = entry.Active.load();
    form.checkAtStart = entry.CheckAtStart.load();
    form.subfolders = entry.Recursive;
    form.tls = entry.Tls;
    form.intervalMinutes = entry.Interval.load() / kMinute;
    form.days = entry.ShowDays.load();
    form.saveType = entry.TextExport;
    return form;
}

void NormaliseWatchForm(WatchForm& form) {
    form.server = trimmed(form.server);
    if (form.server.starts_with("ftp://")) form.server.erase(0, 6);

    if (trimText(form.path).empty()) form.path += "/";
    if (!form.path.ends_with('/')) form.path += "/";
    const std::string_view path = trimText(form.path);
    if (path.size() > 1 && path.front() != '/') form.path.insert(0, "/");
    form.path = trimmed(form.path);

    form.server = trimmed(form.server);

    if (trimText(form.mask).empty()) form.mask = "*.*";
    if (const std::string mask = trimmed(form.mask); !mask.starts_with('*')) form.mask = "*" + mask;

    if (trimText(form.user).empty()) form.user = "anonymous";
}

int FindWatchDuplicate(const WatchTable& table, const WatchForm& typed) {
    const std::string server = trimmed(typed.server), path = trimmed(typed.path),
                      mask = trimmed(typed.mask);
    const auto lines = table.lines();
    for (std::size_t p = 0; p < lines.size(); ++p) {
        const auto entry = table.at(lines[p].entry);
        if (entry && entry->Server == server && entry->Path == path && entry->Mask == mask)
            return static_cast<int>(p);
    }
    return -1;
}

std::optional<std::string> CheckWatchTexts(const WatchForm& form) {
    // The texts as they are stored, which is what must load back.
    const struct {
        const char* field;
        std::string text;
    } stored[] = {
        {"server", form.server},
        {"start folder", form.path},
        {"mask", upperCp1251(trimText(form.mask))},
        {"password", trimmed(form.password)},
        {"user name", trimmed(form.user)},
        {"save name", form.saveName},
    };
    for (const auto& [field, text] : stored)
        if (auto unsafe = unsafeText(field, text)) return unsafe;
    return std::nullopt;
}

bool FillWatchEntry(TFtpMain& entry, const WatchForm& form, std::time_t now, std::string* error) {
    entry.Server = form.server;
    entry.Path = form.path;
    entry.Mask = upperCp1251(trimText(form.mask));
    entry.Extensions = BuildExtensions(entry.Mask);
    entry.CheckAtStart.store(form.checkAtStart);
    entry.ShowDays.store(std::max(form.days, 1));
    std::string port = trimmed(form.port);
    if (port.empty()) port = "21";
    const auto portNumber = parseIniInteger(port);
    if (!portNumber) {
        if (error) *error = WatchNumberError(port);
        return false;
    }
    entry.Port = *portNumber;
    entry.DirIndex.store(0);
    entry.Password = trimmed(form.password);
    entry.UserName = trimmed(form.user);
    entry.Connected.store(false);
    entry.Active.store(form.active);
    entry.Interval.store(std::clamp(form.intervalMinutes, 1, kMaxIntervalMinutes) * kMinute);
    entry.IdleMinutes.store(0);
    entry.CheckNumber.store(1);
    entry.Recursive = form.subfolders;
    entry.Tls = form.tls;
    entry.TextExport = form.saveType;
    entry.ResumeBase = form.saveName;
    entry.NewSince.store(WatchNewSince(now, entry.ShowDays.load()));
    return true;
}

bool UpdateWatchHistory(WatchHistory& history, const WatchForm& form, std::string* error) {
    if (history.passwords.addIfNew(form.password) && !history.passwords.save(error)) return false;
    if (history.logins.addIfNew(form.user) && !history.logins.save(error)) return false;
    if (!history.masks.containsExact(form.mask) &&
        !history.masks.appendToFile(upperCp1251(form.mask), error))
        return false;
    return !history.paths.addIfNew(form.path) || history.paths.save(error);
}

WatchEditResult AddWatchEntry(WatchTable& table, const WatchForm& typed, WatchHistory& history,
                              const std::string& programDir, const WatchTexts& texts,
                              std::time_t now) {
    if (const int p = FindWatchDuplicate(table, typed); p >= 0)
        return result(WatchEditResult::Duplicate, table.lines()[static_cast<std::size_t>(p)].entry,
                      p, texts.form.dubladd2 + std::to_string(p + 1));
    WatchForm form = typed;
    NormaliseWatchForm(form);
    if (auto stopped = prepare(form, history, texts)) return *stopped;

    const int index = table.add();
    const auto entry = table.at(index);
    std::string error;
    if (!FillWatchEntry(*entry, form, now, &error)) return failed(index, -1, error);
    entry->setStatusText(texts.form.start1 + minutesOf(*entry));
    table.appendLine(index, AddedWatchLine(*entry), entry->Active.load());
    const int line = table.positionOf(index);
    if (!SaveWatchList(programDir, table, &error)) return failed(index, line, error);
    return result(WatchEditResult::Added, index, line);
}

WatchEditResult ChangeWatchEntry(WatchTable& table, int linePosition, const WatchForm& typed,
                                 WatchHistory& history, const std::string& programDir,
                                 const WatchTexts& texts, std::time_t now) {
    const auto lines = table.lines();
    if (linePosition < 0 || linePosition >= static_cast<int>(lines.size()))
        return result(WatchEditResult::Refused, -1, -1);
    const int index = lines[static_cast<std::size_t>(linePosition)].entry;
    const auto entry = table.at(index);
    if (entry->WorkerRunning.load())
        return result(WatchEditResult::Refused, index, linePosition,
                      "A check of this entry is running: stop it before changing the entry.");
    WatchForm form = typed;
    NormaliseWatchForm(form);
    if (auto stopped = prepare(form, history, texts)) return *stopped;

    std::string error;
    if (!FillWatchEntry(*entry, form, now, &error)) return failed(index, -1, error);
    entry->CheckNumber.store(1);
    entry->setStatusText(texts.form.dostr + "1" + texts.form.prov + minutesOf(*entry));
    table.replaceLine(linePosition, ChangedWatchLine(*entry), entry->Active.load());
    if (!SaveWatchList(programDir, table, &error)) return failed(index, linePosition, error);
    return result(WatchEditResult::Changed, index, linePosition);
}

WatchEditResult RemoveWatchLine(WatchTable& table, int linePosition,
                                const std::string& programDir) {
    const auto lines = table.lines();
    if (linePosition < 0 || linePosition >= static_cast<int>(lines.size()))
        return result(WatchEditResult::Refused, -1, -1);
    const int index = lines[static_cast<std::size_t>(linePosition)].entry;
    table.removeLine(linePosition);
    std::string error;
    if (!SaveWatchList(programDir, table, &error)) return failed(index, -1, error);
    return result(WatchEditResult::Removed, index, linePosition);
}

}  // namespace quarrow
