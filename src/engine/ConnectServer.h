#pragma once

#include <functional>
#include <memory>

#include "engine/TFtpMain.h"
#include "engine/Translate.h"
#include "platform/FolderPrefetch.h"
#include "platform/FtpSession.h"

namespace quarrow {

// How a worker's connect sequence differs between a scan and a watch check.
struct ConnectSteps {
    const ThreadTexts& texts;
    FtpOptions options;
    FtpEventSink events;
    // True once the worker must end at once without touching its record again (the table is
    // being emptied, or the scan's page was closed); asked after every blocking call.
    std::function<bool()> abandoned;
    // Scans wake the window at every status; a check only once it has entered "/" and once the
    // walk starts.
    bool wakeOnEveryStatus = true;
};

enum class ConnectResult { Connected, NoLibrary, NoHost, NoRootDir, Abandoned };

// Opens a session with the record's login, publishes it in the record (so a stop can close
// it) and enters "/", with the status texts of each step; `Connected` tells the window the
// worker holds a session. On failure the session is closed and the status says why. The
// session is left in `session` in every case.
ConnectResult ConnectServer(TFtpMain& job, const ConnectSteps& steps,
                            std::shared_ptr<FtpSession>& session);

// The extra connections that list folders ahead of the walk of a connected `session`: the
// record's login, in the mode the session has come to (made once the session has listed, so a
// NAT costs the extra connections no accept timeout); none when one listing at a time is set.
std::unique_ptr<FolderPrefetch> PrefetchFor(const TFtpMain& job, FtpOptions options,
                                            const FtpSession& session, FtpEventSink events,
                                            decltype(PrefetchLogin::subfolder) subfolder = {});

// The status of a connect that failed: "Host "<server>" " and why. A secure connection that
// could not be made names the reason (TLS refused, the certificate or the host name).
std::string NoHostStatus(const ThreadTexts& texts, const std::string& server,
                         const FtpSession& session);

// Makes the session reachable for a stop; closes it at once when one is under way.
void PublishSession(TFtpMain& job, const std::shared_ptr<FtpSession>& session);

}  // namespace quarrow
