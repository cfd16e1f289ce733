#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "engine/Translate.h"
#include "watch/WatchEntry.h"

namespace quarrow {

// Writing what a watch check found. Both writers take one consistent copy of the entry's
// new items (a check may still be appending) and write one file, named after a save name
// without extension: ".txt" for the two text lists (lines "ftp://<server><full name>", or
// the items' line texts), ".qrnet" for a snapshot whose folder block holds every item's
// folder without back-references and whose name block holds the line texts. Every file is
// published by a rename, so a failed write leaves the previous one whole and no work file
// behind. A blank save name writes nothing and succeeds. A save name with a NUL byte, one
// ending in "/" or one whose folder is missing or not writable writes nothing and fails with
// `error` (UTF-8) saying why.

// The result file of a check, after the entry's own save name (`ResumeBase`) and save type
// (`TextExport`): 1 addresses, 3 and above a snapshot with the worker's header texts (server
// and path joined without "/"), anything else the line texts.
bool WriteCheckResult(const WatchEntry& entry, const ThreadTexts& texts,
                      const std::vector<std::string>& commentLines, std::time_t now,
                      std::string* error);

// The new-files window's save under the name and filter chosen in its dialog: 1 addresses,
// 2 the line texts, anything else a snapshot with the window's own fixed Russian header
// (server and path joined with "/", never a login line).
bool SaveScanResult(const WatchEntry& entry, const std::string& saveBase, int saveType,
                    const std::vector<std::string>& commentLines, std::time_t now,
                    std::string* error);

}  // namespace quarrow
