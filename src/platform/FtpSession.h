#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FtpEntry.h"

namespace quarrow {

// Limits that end a call when nothing closes the session.
struct FtpTimeouts {
    int connectSeconds = 30;   // TCP connect, greeting and login
    int responseSeconds = 30;  // each reply of the server
    int acceptSeconds = 30;    // the server connecting back for a transfer (active mode)
    int stallSeconds = 60;     // a transfer moving less than one byte per second this long
};

// How folders are listed.
struct FtpListingOptions {
    // Lets a folder be listed over the control connection, without a data connection, once the
    // server's STAT answer for "/" has matched its normal listing of "/": "STAT <path>" (one
    // command) for a path that can be sent as an argument, else CWD to it and "STAT .". An
    // answer that is not a clean listing is replaced by the normal listing. Off: always the
    // normal way (CWD, PORT/EPRT, MLSD or LIST).
    bool allowStat = true;
};

// One FTP control connection in active mode (PORT/EPRT), the stand-in for the Windows internet
// handles of a scan, a watch check or a download. Every path is an absolute server path, even
// when the login folder is not "/". Names are bytes of any code page and go back unchanged.
//
// One thread makes the calls; close() and isClosed() may come from any other thread, and
// close() makes the call in progress fail within about a second, connect included. Once the
// control connection is lost, every later call fails at once: there is no reconnection.
class FtpSession {
public:
    explicit FtpSession(std::string agent, FtpTimeouts timeouts = {},
                        FtpListingOptions listing = {});
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // True when the client library is ready (the "internet handle" opened).
    bool valid() const;
    const std::string& agent() const { return agent_; }

    // Connects and logs in; an empty user logs in anonymously. False when the host cannot be
    // reached, the login is refused, or close() was called. Learns whether MLSD is offered.
    bool connect(const std::string& host, int port, const std::string& user,
                 const std::string& password);

    // Enters an absolute server folder ("/" included); false when refused. When STAT listings
    // are in use it lists the folder instead (a folder that lists is one that can be entered),
    // and a list() of the same folder right after takes that listing without asking again.
    bool changeDir(const std::string& absolutePath);

    // Lists an absolute folder path ending in "/". False when the folder cannot be listed or
    // holds no entry (an empty folder is reported as one that cannot be listed). Entries come
    // in server order without "." and "..".
    bool list(const std::string& absoluteFolder, std::vector<FtpEntry>& entries);

    // Downloads a file, handing the bytes to `sink` as they arrive; `sink` returns false to
    // stop, which fails the call and ends the control connection.
    bool retrieve(const std::string& absolutePath,
                  const std::function<bool(const char*, std::size_t)>& sink);

    // Any thread, any number of times. Later calls fail at once.
    void close();
    bool isClosed() const;

    // Why the last call failed, for status texts and logs.
    std::string lastError() const;
    // Whether listings use MLSD (offered by the server and not refused so far) or LIST.
    bool usesMlsd() const;

private:
    class Connection;

    std::string agent_;
    std::unique_ptr<Connection> connection_;
};

}  // namespace quarrow
