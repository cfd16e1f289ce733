#include "platform/ServerNames.h"

#include "platform/Cp1251.h"

namespace quarrow {
namespace {

// Whether the text holds a run of non-ASCII bytes that is not UTF-8: Windows-1251 text whose
// bytes on the server may be either encoding.
bool holdsCp1251(const std::string& text) {
    return cp1251ToUtf8(text) != text;
}

}  // namespace

std::string ServerNames::guess(const std::string& stored, bool likeliest) const {
    return likeliest == utf8_ ? cp1251ToUtf8(stored) : stored;
}

void ServerNames::setUtf8(bool announced) {
    std::lock_guard held(lock_);
    utf8_ = announced;
}

std::vector<std::string> ServerNames::serverPaths(const std::string& storedPath) const {
    std::lock_guard held(lock_);
    return serverPathsHeld(storedPath);
}

std::vector<std::string> ServerNames::serverPathsHeld(const std::string& storedPath) const {
    // The longest folder path already known, then the rest guessed.
    std::size_t cut = storedPath.size();
    std::string prefix;
    if (!known_.empty()) {
        for (;;) {
            const auto found = known_.find(storedPath.substr(0, cut));
            if (found != known_.end()) {
                prefix = found->second;
                break;
            }
            if (cut <= 1) {
                cut = 0;
                break;
            }
            cut = storedPath.rfind('/', cut - 2) + 1;
        }
    } else {
        cut = 0;
    }
    const std::string rest = storedPath.substr(cut);
    if (!holdsCp1251(rest)) return {prefix + rest};
    return {prefix + guess(rest, true), prefix + guess(rest, false)};
}

void ServerNames::learn(const std::string& storedPath, const std::string& serverPath) {
    std::lock_guard held(lock_);
    if (serverPathsHeld(storedPath).front() != serverPath) known_[storedPath] = serverPath;
}

void ServerNames::adopt(const std::string& storedFolder, const std::string& serverFolder,
                        std::vector<FtpEntry>& entries) {
    std::lock_guard held(lock_);
    for (FtpEntry& entry : entries) {
        std::string stored = storedName(entry.name);
        // The guess for a child of a folder listed with `serverFolder` is serverFolder plus
        // the guessed name, so only a name guessed wrong needs remembering.
        if (entry.attributes == kAttrDirectory && guess(stored, true) != entry.name)
            known_[storedFolder + stored + "/"] = serverFolder + entry.name + "/";
        entry.name = std::move(stored);
    }
}

}  // namespace quarrow
