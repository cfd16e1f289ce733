#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/FtpEntry.h"
#include "platform/ServerNames.h"

namespace quarrow {

// Limits that end a call when nothing closes the session.
struct FtpTimeouts {
    int connectSeconds = 30;   // TCP connect, greeting and login
    int responseSeconds = 30;  // each reply of the server
    // The server connecting back for a transfer (active mode). Short, because when a NAT drops
    // the server's connection attempts this wait is paid once before the session goes passive.
    int acceptSeconds = 10;
    int stallSeconds = 60;  // a transfer moving less than one byte per second this long
};

// What one folder's listing may come to, far above any real folder: a server sending an endless
// listing, fast or dripping, must not hold the walk or its memory for ever.
struct FtpListingLimits {
    std::size_t maxBytes = std::size_t{128} << 20;
    std::size_t maxEntries = 1'000'000;
    int maxSeconds = 1800;
};

// How folders are listed.
struct FtpListingOptions {
    // Lets a folder be listed over the control connection, without a data connection, once the
    // server's STAT answer for "/" has matched its normal listing of "/": "STAT <path>" (one
    // command) for a path that can be sent as an argument, else CWD to it and "STAT .". An
    // answer that is not a clean listing is replaced by the normal listing. Off: always the
    // normal way (CWD, PORT/EPRT, MLSD or LIST).
    bool allowStat = true;
    // STAT listings only on a server without MLSD: STAT answers in the LIST format, whose
    // times are as exact as LIST's but coarser than MLSD's. For callers that compare times.
    bool statOnlyWithoutMlsd = false;
    FtpListingLimits limits;
};

// How a lost control connection is brought back: up to `attempts` new connections with the
// same login, the first at once, each later one after a pause that starts at `firstPauseMs`
// and doubles.
struct FtpReconnect {
    int attempts = 5;
    int firstPauseMs = 1000;
};

// Explicit FTPS: "AUTH TLS" before the login, then the control connection and every data
// connection encrypted ("PBSZ 0", "PROT P"), the server's certificate and host name verified.
// A server that refuses TLS or fails the verification fails the connect: nothing, the login
// least of all, is ever sent in plain text instead. Such a session is passive from the start
// (a NAT cannot rewrite an encrypted PORT) and lists no folder by STAT (that bypasses the
// library on the control connection).
struct FtpTls {
    bool enabled = false;
    std::string caFile;  // the certificates trusted (PEM, Windows-1251 path); empty: the system's
};

struct FtpOptions {
    FtpTimeouts timeouts;
    FtpReconnect reconnect;
    FtpListingOptions listing;
    bool passive = false;  // start in passive mode (EPSV, then PASV) instead of active
    FtpTls tls;
    // How many folder listings a walk keeps under way at once, each on a connection of its
    // own (FolderPrefetch); 1: one folder at a time.
    int parallelListings = 8;
};

// Why the last call failed.
enum class FtpFailure {
    kNone,
    kRefused,  // the server refused it for good (a 5xx reply), or the folder holds no entry
    kFailed,   // this one call failed (a data connection, a 4xx reply, a dropped connection)
               // although it was tried again; the session goes on
    kOverrun,  // the folder's listing passed FtpListingLimits; it is not asked for again
    kLost,     // the server stayed unreachable through every reconnection: the session is over
    kClosed,   // close() was called
    kTls,      // no secure connection: the server refused TLS, or its certificate or host name
               // did not verify
};

// What the session does on its own that its user may want to tell the user about.
enum class FtpEvent {
    kWentPassive,   // active data connections failed; passive mode from now on
    kReconnecting,  // the control connection was lost; attempt number `attempt` to restore it
    kReconnected,   // it was restored at attempt number `attempt`
};
using FtpEventSink = std::function<void(FtpEvent event, int attempt)>;

// What became of one folder listed ahead of a walk, as list() would have ended it: its
// entries, or why it could not be listed.
struct FetchedListing {
    bool listed = false;
    std::vector<FtpEntry> entries;
    FtpFailure failure = FtpFailure::kNone;  // when not listed: refused, failed or overrun
};

// One FTP control connection, the stand-in for the Windows internet handles of a scan, a watch
// check or a download. Every path is an absolute server path, even when the login folder is
// not "/". Names and paths are the system's text on both sides: listed names come as
// storedName makes them, and paths go out as the server's own bytes (ServerNames). A server
// that announces UTF8 is told "OPTS UTF8 ON".
//
// Active mode (PORT/EPRT) unless told otherwise; when an active data connection cannot be made
// (the server's connect fails, "425", or nothing arrives within the accept timeout) the same
// transfer is made again in passive mode and the session stays passive. A control connection
// that is lost (closed, reset, no answer in time) is restored with the same login as
// FtpReconnect says, and the call that was under way is made again, so one failed transfer or
// one dropped connection costs that call a retry, not the session its life. Only when the
// server stays unreachable does every later call fail at once (lastFailure() is kLost).
//
// One thread makes the calls; close() and isClosed() may come from any other thread, and
// close() makes the call in progress fail within about a second, connect and the pauses
// between reconnections included.
class FtpSession {
public:
    explicit FtpSession(std::string agent, FtpOptions options = {});
    ~FtpSession();
    FtpSession(const FtpSession&) = delete;
    FtpSession& operator=(const FtpSession&) = delete;

    // True when the client library is ready (the "internet handle" opened).
    bool valid() const;
    const std::string& agent() const { return agent_; }

    // What this session learns of the server's name bytes, to share with other sessions of
    // the same login (before they connect), so that each sends a folder's path as it was listed.
    const std::shared_ptr<ServerNames>& names() const { return names_; }
    void shareNames(std::shared_ptr<ServerNames> names);

    // Connects and logs in; an empty user logs in anonymously. False when the host cannot be
    // reached, the login is refused, close() was called, or TLS is asked for and no secure
    // connection could be made (kTls). Learns whether MLSD is offered.
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

    // Whether listAhead() can list anything now: folders are listed by STAT on this server, and
    // it has not failed to answer commands sent together.
    bool listsAhead() const;

    // Lists several folders with one round trip: their commands go out together on the control
    // connection ("STAT <path>", or "CWD <path>" and "STAT ." for a path STAT cannot carry),
    // and `listed` is told, by the folder's place in `folders`, of each folder whose reply is a
    // listing to rely on or passed the listing limits. The others are left for list(), which
    // lists them one by one as usual. Meant for a connection of its own: it leaves nothing for
    // the list() that follows.
    void listAhead(const std::vector<std::string>& folders,
                   const std::function<void(std::size_t folder, FetchedListing listing)>& listed);

    // Downloads a file, handing the bytes to `sink` as they arrive; `sink` returns false to
    // stop, which fails the call and ends the control connection. A transfer that fails after
    // bytes were handed over is not made again.
    bool retrieve(const std::string& absolutePath,
                  const std::function<bool(const char*, std::size_t)>& sink);

    // Any thread, any number of times. Later calls fail at once.
    void close();
    bool isClosed() const;

    // Called on the calling thread, from inside the call that caused the event.
    void setEventSink(FtpEventSink sink);

    // Why the last call failed: its kind, and a text for status texts and logs.
    FtpFailure lastFailure() const;
    std::string lastError() const;
    bool passive() const;
    // Whether listings use MLSD (offered by the server and not refused so far) or LIST.
    bool usesMlsd() const;

private:
    class Connection;

    // Makes `call` with each server path of `storedPath` in turn until one is not refused.
    template <typename Call>
    bool onServerPath(const std::string& storedPath, Call call);

    std::string agent_;
    std::unique_ptr<Connection> connection_;
    std::shared_ptr<ServerNames> names_;
    std::string enteredStored_;  // the folder changeDir last entered, and its server path
    std::string enteredServer_;
};

}  // namespace quarrow
