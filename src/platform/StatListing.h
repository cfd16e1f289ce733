#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FtpEntry.h"

namespace quarrow {

// A folder can also be listed over the control connection, as the reply to "STAT <path>": no
// CWD, no data connection, one round trip. These decide when such a reply may stand for the
// folder's normal listing; whenever they say no, the folder is listed the normal way.

// Whether an absolute folder path can be sent as the argument of STAT. Servers expand patterns
// ("[", "]", "*", "?", "{", "}", "~", "\"), read a word starting with "-" as ls options and trim
// blanks around a name, and no command can carry control bytes; "." and ".." components and
// empty ones inside the path are refused as well, since servers resolve them differently.
bool isStatSafeFolder(std::string_view absoluteFolder);

// The reply to "STAT <absoluteFolder>", fed line by line as the server sends it and parsed with
// the LIST parsers (Unix, then DOS). `nowUtc` chooses the year of recent Unix entries.
class StatReply {
public:
    StatReply(std::string_view absoluteFolder, std::int64_t nowUtc);

    // One line without its line end. The reply ends with its first "ddd " line, as FTP
    // clients read replies; lines after it are ignored.
    void take(std::string_view line);
    // Whether the reply's last line has come.
    bool complete() const { return code_ != 0; }

    // The entries without "." and "..", in server order, when the reply was complete, coded
    // 211, 212 or 213, and every line between its first and last was an entry or "total N".
    // Nothing when the folder must be listed the normal way instead: a refusal, an empty reply
    // (vsftpd gives one for a missing folder as for an empty one), a line that is no entry, a
    // name holding "/", a hidden name (".x": STAT may show what the normal listing hides), a
    // doubled 0xFF (a server escaping the Telnet IAC byte would change names), or a lone
    // non-folder entry named as the folder itself (servers such as pyftpdlib describe a file
    // that way even when the path ends in "/").
    std::optional<std::vector<FtpEntry>> listing() &&;

private:
    void takeListingLine(std::string_view line);
    bool mayDescribeThePathItself() const;

    std::string folderName_;  // the path's last component
    std::int64_t nowUtc_;
    bool started_ = false;
    int code_ = 0;  // the code of the reply's last line once it has come
    bool doubtful_ = false;
    std::vector<FtpEntry> entries_;
};

// Whether two listings name the same entries in the same order, each a folder in both or in
// neither.
bool sameNamesAndFolders(const std::vector<FtpEntry>& a, const std::vector<FtpEntry>& b);

}  // namespace quarrow
