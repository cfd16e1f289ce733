#pragma once

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/FtpEntry.h"

namespace quarrow {

// How the names of one server travel. A listed name becomes the system's text (storedName), and
// a path given back becomes the server's own bytes again: for a folder this session has listed
// the bytes it was listed with, for any other path a guess by whether the server announced
// UTF-8 (Windows-1251 runs sent as UTF-8 or as they are), with the other guess as the second
// choice. Only folders whose bytes the guess would get wrong are remembered. Sessions of one
// login share what they learn, from any thread.
class ServerNames {
public:
    void setUtf8(bool announced);

    // The server paths to try for a stored absolute path, the likeliest first; a second one
    // only when the path holds Windows-1251 text whose bytes on the server are not known.
    std::vector<std::string> serverPaths(const std::string& storedPath) const;

    // `storedPath` is `serverPath` on this server (a guess that turned out right).
    void learn(const std::string& storedPath, const std::string& serverPath);

    // Turns the names of a listing of `serverFolder` (`storedFolder` as stored) into stored
    // names and remembers the folders among them whose bytes the guess would get wrong.
    void adopt(const std::string& storedFolder, const std::string& serverFolder,
               std::vector<FtpEntry>& entries);

private:
    std::string guess(const std::string& stored, bool likeliest) const;
    std::vector<std::string> serverPathsHeld(const std::string& storedPath) const;

    mutable std::mutex lock_;
    bool utf8_ = false;
    std::unordered_map<std::string, std::string> known_;  // stored folder path -> server path
};

}  // namespace quarrow
