#include "download/TFTPThread.h"

#include <algorithm>

#include "download/DownloadQueue.h"
#include "download/PartFile.h"
#include "engine/ConnectServer.h"
#include "platform/SizeText.h"

namespace quarrow {
namespace {

int percentOf(std::uint64_t received, std::uint64_t size) {
    // A file listed as empty shows 0 % until it has arrived.
    if (size == 0) return 0;
    return static_cast<int>(std::min<std::uint64_t>(100, received * 100 / size));
}

}  // namespace

TFTPThread::TFTPThread(DownloadQueue& queue, std::string agent, FtpOptions options,
                       DownloadTexts texts, Mrec item, std::size_t index, std::uint64_t generation)
    : queue_(queue),
      agent_(std::move(agent)),
      options_(options),
      texts_(std::move(texts)),
      item_(std::move(item)),
      index_(index),
      generation_(generation) {}

// The language text carries the received amount's place as "%s"; it is filled by hand, never
// used as a format, since a language file is not trusted to hold only that.
std::string TFTPThread::loadStatus(std::uint64_t received, std::uint64_t size, int percent) const {
    std::string text = texts_.thread.infoload;
    const std::string amount = FormatSize(static_cast<std::int64_t>(received));
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, amount);
    else
        text += " " + amount;
    return text + " " + FormatSize(static_cast<std::int64_t>(size)) + " / " +
           std::to_string(percent) + " %";
}

void TFTPThread::Execute() {
    DownloadOutcome outcome;
    outcome.remotePath = RemotePath(item_);
    outcome.localPath = item_.LocalFolder + item_.LocalName;
    if (!NamesAreSafe(item_)) {
        outcome.status = texts_.badname + item_.RemoteName;
        queue_.finished(generation_, index_, std::move(outcome));
        return;
    }
    options_.passive = options_.passive || item_.Passive;
    options_.tls.enabled = item_.Tls;
    auto session = std::make_shared<FtpSession>(agent_, options_);
    queue_.publish(generation_, session);
    const std::string folder = RemoteFolderPath(item_);
    if (!session->valid())
        outcome.status = texts_.thread.infojointnodll;
    else if (!session->connect(item_.ServerName, item_.Port, item_.UserName, item_.Password))
        outcome.status = NoHostStatus(texts_.thread, item_.ServerName, *session);
    else if (!session->changeDir(folder))
        outcome.status = texts_.thread.infojointnodir + " " + item_.RemoteFolder + ".";
    else
        fetch(*session, outcome);
    session->close();
    queue_.finished(generation_, index_, std::move(outcome));
}

bool TFTPThread::fetch(FtpSession& session, DownloadOutcome& outcome) {
    std::vector<FtpEntry> entries;
    session.list(RemoteFolderPath(item_), entries);
    const auto listed = std::find_if(entries.begin(), entries.end(), [&](const FtpEntry& entry) {
        return entry.name == item_.RemoteName && entry.attributes != kAttrDirectory;
    });
    if (listed == entries.end()) {
        outcome.status = "Cannot files " + item_.RemoteName + ".";
        return false;
    }
    const std::uint64_t size = listed->size;
    outcome.status = loadStatus(0, size, 0);
    queue_.progress(generation_, outcome.status, 0);

    PartFile part(outcome.localPath);
    std::string error;
    if (!part.open(&error)) {
        outcome.status = texts_.thread.infosaveerror + outcome.localPath + ": " + error;
        return false;
    }
    bool written = true;
    const bool received =
        session.retrieve(outcome.remotePath, [&](const char* data, std::size_t bytes) {
            if (!queue_.current(generation_)) return false;
            if (!part.write(data, bytes)) return written = false;
            outcome.bytes += bytes;
            outcome.status = loadStatus(outcome.bytes, size, percentOf(outcome.bytes, size));
            queue_.progress(generation_, outcome.status, percentOf(outcome.bytes, size));
            return true;
        });
    if (!written || !received || !queue_.current(generation_)) {
        if (!written)
            outcome.status = texts_.thread.infosaveerror + outcome.localPath;
        else if (!received && queue_.current(generation_))
            outcome.status = session.lastError();
        return false;
    }
    if (!part.publish(&error)) {
        outcome.status = texts_.thread.infosaveerror + outcome.localPath + ": " + error;
        return false;
    }
    outcome.status = loadStatus(outcome.bytes, size, 100);
    outcome.ok = true;
    return true;
}

}  // namespace quarrow
