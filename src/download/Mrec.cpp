#include "download/Mrec.h"

#include "platform/FileSystem.h"

namespace quarrow {
namespace {

bool safeName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

}  // namespace

Mrec DownloadRequest(const TFtpMain& entry, const std::string& localFolder,
                     const std::string& fullName) {
    Mrec item;
    item.ServerName = entry.Server;
    item.UserName = entry.UserName;
    item.Password = entry.Password;
    item.Port = entry.Port;
    item.Passive = entry.Passive;
    item.Tls = entry.Tls;
    item.LocalFolder = localFolder;
    item.RemoteName = fileNameOf(fullName);
    item.LocalName = item.RemoteName;
    // The folder is what precedes the last "/": a folder named like the file does not cut it.
    std::string folder = folderOf(fullName);
    if (!folder.empty() && folder.front() == '/') folder.erase(0, 1);
    item.RemoteFolder = folder.empty() ? "/" : folder;
    return item;
}

std::string RemoteFolderPath(const Mrec& item) {
    const std::string& folder = item.RemoteFolder;
    if (folder.empty() || folder == "/") return "/";
    std::string path = folder.front() == '/' ? folder : "/" + folder;
    if (path.back() != '/') path += '/';
    return path;
}

std::string RemotePath(const Mrec& item) {
    return RemoteFolderPath(item) + item.RemoteName;
}

bool NamesAreSafe(const Mrec& item) {
    return safeName(item.RemoteName) && safeName(item.LocalName);
}

}  // namespace quarrow
