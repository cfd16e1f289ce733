#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quarrow {

// The path of a list file under the program folder's "TXT/".
std::string historyFilePath(std::string_view programDir, std::string_view fileName);

// The order of the sorted combos: letter case ignored (Cyrillic folds too), then byte order
// so that equal-looking entries keep a stable order.
bool historyLess(std::string_view a, std::string_view b);

// The entries behind one combo or list box with a history file: what the control shows, in
// the control's order (sorted, or the file's order), and the rules for loading and adding.
// Texts are Windows-1251; the file is one entry per line with CR LF.
class HistoryList {
public:
    HistoryList(std::string path, bool sorted);

    const std::string& path() const { return path_; }
    bool sorted() const { return sorted_; }
    const std::vector<std::string>& entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }

    // Replaces the entries (the designed items, or a file's lines).
    void assign(std::vector<std::string> entries);
    void add(std::string entry);
    void removeAt(std::size_t index);

    bool containsExact(std::string_view text) const;
    bool containsNoCase(std::string_view text) const;

    // Loading at start-up; a missing file changes nothing and is no error. False with `error`
    // when the file exists but cannot be read.
    bool loadAll(std::string* error = nullptr);        // every line is added
    bool loadNew(std::string* error = nullptr);        // lines no entry equals, case ignored
    bool loadReplacing(std::string* error = nullptr);  // the lines replace the entries

    // Writes every entry, in the list's order, to the file.
    bool save(std::string* error = nullptr) const;

    // The rule of a scan start: when no entry equals `text` exactly it is added. True when it
    // was added; the whole list is then saved by the caller.
    bool addIfNew(const std::string& text);

    // The rule of watch editing for masks: `entry` becomes a new last line of the file as it is
    // on disk (created when missing), then an entry of the list. False with `error`, the list
    // unchanged, when the file cannot be read or written.
    bool appendToFile(std::string entry, std::string* error = nullptr);

private:
    bool readFile(std::vector<std::string>& lines, bool& present, std::string* error) const;

    std::string path_;
    bool sorted_;
    std::vector<std::string> entries_;
};

enum class ServerHistoryResult { NoFile, Present, Inserted, ReadFailed, WriteFailed };

// The log of parameter sets used, "TXT/SERVER.txt": `line` is appended (the file created when
// missing) unless a line equals it with letter case ignored. False when it cannot be written.
bool UpdateServerLog(std::string_view programDir, const std::string& line,
                     std::string* error = nullptr);

// The server history "TXT/FTP.txt", kept newest first and only when it exists: `server` is
// put first unless a line equals it exactly. After Inserted or WriteFailed the server combo
// gets it too: a file that cannot be written is reported, the control keeps the new entry.
ServerHistoryResult UpdateServerHistory(std::string_view programDir, const std::string& server,
                                        std::string* error = nullptr);

}  // namespace quarrow
