#pragma once

#include <string>

#include "engine/TFtpMain.h"

namespace quarrow {

// One requested download. Texts are Windows-1251, as the watch entry holds them; the local
// folder ends in "/".
struct Mrec {
    std::string ServerName;  // an item without a server is never started
    std::string LocalFolder;
    std::string LocalName;
    std::string RemoteFolder;  // the folder on the server, without its leading "/"; "/" at the top
    std::string RemoteName;
    bool Done = false;
    // The login of the watch entry the file was requested from, taken with the request: an
    // item is never fetched with another server's password.
    std::string UserName, Password;
    int Port = 21;
    bool Passive = false;
    bool Tls = false;
};

// The request for the file at `fullName` (an absolute path on the entry's server) into
// `localFolder`, under the file's own name, with the entry's login.
Mrec DownloadRequest(const TFtpMain& entry, const std::string& localFolder,
                     const std::string& fullName);

// The absolute path on the server of the item's folder (ending in "/") and of its file.
std::string RemoteFolderPath(const Mrec& item);
std::string RemotePath(const Mrec& item);

// False when a remote or local name is empty, "." or "..", or holds "/", "\" or a NUL: saved
// under such a name the file would leave the download folder or land somewhere else.
bool NamesAreSafe(const Mrec& item);

}  // namespace quarrow
