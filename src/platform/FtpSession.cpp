#include "platform/FtpSession.h"

#include <curl/curl.h>
#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ControlExchange.h"
#include "platform/FeatScanner.h"
#include "platform/FileSystem.h"
#include "platform/FtpUrl.h"
#include "platform/ListingParser.h"
#include "platform/StatListing.h"

namespace quarrow {
namespace {

// How long one wait for network activity lasts before the closed flag is looked at again; a
// wake-up from close() normally ends the wait sooner.
using Clock = std::chrono::steady_clock;

constexpr int kPollMilliseconds = 1000;
// The wait while libcurl watches no socket.
constexpr long kIdleStepMilliseconds = 5;
// Idle connections stay reusable however long the caller pauses between calls.
constexpr long kNeverTooOld = 10L * 365 * 24 * 3600;
// The URL path of the server root.
constexpr const char* kRootUrlPath = "/%2F/";
// How many times one call is made again after a transient failure or a lost connection.
constexpr int kRetries = 2;

std::string_view withoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

// The port of an IPv4 or IPv6 socket address (both keep it right after the family).
long portOf(const curl_sockaddr& address) {
    if (address.family != AF_INET && address.family != AF_INET6) return 0;
    static_assert(offsetof(sockaddr_in, sin_port) == offsetof(sockaddr_in6, sin6_port));
    in_port_t port = 0;
    std::memcpy(&port,
                reinterpret_cast<const char*>(&address.addr) + offsetof(sockaddr_in, sin_port),
                sizeof port);
    return ntohs(port);
}

}  // namespace

// The libcurl side: one easy handle driven through its own multi handle, so that a wait can be
// woken from another thread. The multi handle keeps the control connection between calls.
class FtpSession::Connection {
public:
    explicit Connection(const FtpOptions& options)
        : easy_(curl_easy_init()),
          multi_(curl_multi_init()),
          responseSeconds_(options.timeouts.responseSeconds),
          acceptSeconds_(options.timeouts.acceptSeconds),
          tls_(options.tls.enabled),
          reconnect_(options.reconnect),
          // Secure sessions are passive: behind a NAT no router can rewrite an encrypted PORT,
          // and libcurl 7.87 and 7.88 stall on active TLS data connections.
          passive_(options.passive || tls_),
          statOnlyWithoutMlsd_(options.listing.statOnlyWithoutMlsd),
          stat_(options.listing.allowStat && !tls_ ? StatUse::kUndecided : StatUse::kNever),
          limits_(options.listing.limits) {
        featCommand_ = curl_slist_append(nullptr, "*FEAT");  // "*": a refusal is no failure
        utf8Command_ = curl_slist_append(nullptr, "*OPTS UTF8 ON");
        if (valid()) configure(options.timeouts, options.tls);
    }

    ~Connection() {
        // A closed session must not wait for the goodbye of a server that may no longer
        // answer: its control connection is cut, so the cleanup does not block.
        if (closed_.load()) {
            for (curl_socket_t s : controlSockets_) ::shutdown(s, SHUT_RDWR);
        }
        if (multi_) curl_multi_cleanup(multi_);  // says goodbye (QUIT) on the control connection
        if (easy_) curl_easy_cleanup(easy_);
        if (featCommand_) curl_slist_free_all(featCommand_);
        if (utf8Command_) curl_slist_free_all(utf8Command_);
    }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool valid() const { return easy_ && multi_ && featCommand_ && utf8Command_; }
    bool usesMlsd() const { return mlsd_; }
    bool announcesUtf8() const { return utf8_; }
    bool passive() const { return passive_; }
    FtpFailure lastFailure() const { return failure_; }
    const std::string& lastError() const { return lastError_; }
    void setEventSink(FtpEventSink sink) { events_ = std::move(sink); }

    void close() {
        closed_.store(true);
        if (multi_) curl_multi_wakeup(multi_);
    }
    bool isClosed() const { return closed_.load(); }

    bool connect(const std::string& host, int port, const std::string& user,
                 const std::string& password) {
        failure_ = FtpFailure::kNone;
        if (!usable(false)) return false;
        if (loggedIn_) return fail("the session is already connected");
        const auto server = ftpServerUrl(host, port);
        if (!server) return fail("\"" + host + "\" is not a host name");
        serverUrl_ = *server;
        controlPort_ = port;
        if (!user.empty() || !password.empty()) {
            curl_easy_setopt(easy_, CURLOPT_USERNAME, user.empty() ? "anonymous" : user.c_str());
            curl_easy_setopt(easy_, CURLOPT_PASSWORD, password.c_str());
        }
        curl_easy_setopt(easy_, CURLOPT_QUOTE, featCommand_);
        feat_.reset();
        scanningFeat_ = true;
        const bool ok = transfer(serverUrl_ + "/", Mode::kNoBody);
        scanningFeat_ = false;
        curl_easy_setopt(easy_, CURLOPT_QUOTE, nullptr);
        if (!ok) return false;
        mlsd_ = feat_.mlsd();
        utf8_ = feat_.utf8();
        if (mlsd_ && statOnlyWithoutMlsd_) stat_ = StatUse::kNever;
        if (utf8_ && !sayUtf8()) return false;
        loggedIn_ = true;
        return true;
    }

    bool changeDir(const std::string& absolutePath) {
        return boundedListing(absolutePath, [&] { return changeDirOnce(absolutePath); });
    }

    bool list(const std::string& absoluteFolder, std::vector<FtpEntry>& entries) {
        entries.clear();
        return boundedListing(absoluteFolder, [&] { return listOnce(absoluteFolder, entries); });
    }

    bool listsAhead() const {
        return stat_ == StatUse::kTrusted && pipelining_ && loggedIn_ && !lost_ && !gaveUp_ &&
               !closed_.load();
    }

    void listAhead(const std::vector<std::string>& folders,
                   const std::function<void(std::size_t, FetchedListing)>& listed) {
        if (!listsAhead() || controlSockets_.size() != 1) return;
        prefetched_.reset();
        std::vector<std::string> commands;
        std::vector<Asked> asked;
        for (std::size_t folder = 0; folder < folders.size(); ++folder)
            askFor(folder, folders[folder], commands, asked);
        // The server is left where libcurl believes it is, or libcurl could skip a CWD it needs.
        const bool moved =
            std::any_of(asked.begin(), asked.end(), [](const Asked& a) { return a.entering; });
        if (moved && curlFolder_) {
            commands.push_back("CWD " + *curlFolder_);
            asked.push_back({folders.size(), true});
        }

        std::optional<StatReply> reply;
        bool entered = true;
        bool returned = !moved || !curlFolder_;
        std::size_t answered = 0;
        const ControlWait wait{responseSeconds_, closed_, limits_.maxSeconds, limits_.maxBytes,
                               limits_.maxEntries};
        const ControlOutcome outcome = exchangeOnControl(
            controlSockets_.front(), commands, wait, [&](std::size_t at, std::string_view line) {
                const Asked& a = asked[at];
                if (a.entering) {
                    const int code = finalReplyCode(line);
                    if (code == 0) return false;
                    entered = code >= 200 && code < 300;
                    if (a.folder == folders.size()) returned = entered;
                    ++answered;
                    return true;
                }
                if (!reply) reply.emplace(folders[a.folder], std::time(nullptr));
                reply->take(line);
                if (!reply->complete()) return false;
                auto entries = std::move(*reply).listing();
                if (entered && entries) listed(a.folder, {true, std::move(*entries)});
                reply.reset();
                entered = true;
                ++answered;
                return true;
            });
        if (outcome == ControlOutcome::kDone && returned) return;
        // A reply cut short, or a folder libcurl does not know, leaves the connection out of
        // step with libcurl: it is given up, and the next call makes a new one.
        cutControl();
        if (outcome == ControlOutcome::kOverrun && answered < asked.size() &&
            !asked[answered].entering && entered)
            listed(asked[answered].folder, {false, {}, FtpFailure::kOverrun});
        // A server that does not answer commands sent together gets them one by one.
        if (outcome == ControlOutcome::kTimedOut) pipelining_ = false;
    }

    bool retrieve(const std::string& absolutePath,
                  const std::function<bool(const char*, std::size_t)>& sink) {
        bool delivered = false;
        const std::function<bool(const char*, std::size_t)> counting = [&](const char* data,
                                                                           std::size_t size) {
            delivered = true;
            return sink(data, size);
        };
        return recovering([&] { return retrieveOnce(absolutePath, counting); },
                          [&] { return !delivered && !sinkStopped_; });
    }

private:
    enum class Mode { kNoBody, kList, kMlsd, kFile };
    enum class StatUse { kUndecided, kTrusted, kNever };

    // A STAT listing made by changeDir() for the list() that follows; no entries when the
    // folder is to be listed the normal way.
    struct Prefetched {
        std::string folder;
        std::optional<std::vector<FtpEntry>> entries;
    };

    // One command of listAhead(): a folder's STAT, or the CWD before it (`entering`).
    struct Asked {
        std::size_t folder;
        bool entering;
    };

    // The commands that list `path`: "STAT <path>" where the path can be STAT's argument,
    // else "CWD" to it and "STAT .". None for a path no command can carry.
    static void askFor(std::size_t folder, const std::string& path,
                       std::vector<std::string>& commands, std::vector<Asked>& asked) {
        if (isStatSafeFolder(path)) {
            commands.push_back("STAT " + path);
            asked.push_back({folder, false});
            return;
        }
        if (!path.starts_with('/') || !path.ends_with('/') || !ftpUrlPath(path, true)) return;
        commands.push_back("CWD " + (path == "/" ? path : path.substr(0, path.size() - 1)));
        asked.push_back({folder, true});
        commands.push_back("STAT .");
        asked.push_back({folder, false});
    }

    // The folder libcurl leaves the server in after a transfer of `url`, which it assumes when it
    // next decides whether to send CWD: the decoded URL path up to its last "/". Nothing for
    // the login folder, which libcurl never names (any other path makes it send CWD).
    std::optional<std::string> folderLeftBy(const std::string& url) const {
        const std::string_view urlPath = std::string_view(url).substr(serverUrl_.size());
        if (urlPath.size() <= 1) return std::nullopt;
        int length = 0;
        char* raw = curl_easy_unescape(easy_, urlPath.data() + 1,
                                       static_cast<int>(urlPath.size() - 1), &length);
        if (!raw) return std::nullopt;
        std::string path(raw, static_cast<std::size_t>(length));
        curl_free(raw);
        const std::size_t slash = path.rfind('/');
        if (slash == std::string::npos) return std::nullopt;
        return path.substr(0, std::max<std::size_t>(slash, 1));
    }

    // A folder whose listing once passed the limits is not asked for again: the server would
    // only send the endless listing once more.
    template <class Call>
    bool boundedListing(const std::string& absoluteFolder, Call call) {
        if (!overranFolder_.empty() && absoluteFolder == overranFolder_)
            return failAs(FtpFailure::kOverrun, overrunReason_);
        if (recovering(call)) return true;
        if (failure_ == FtpFailure::kOverrun) {
            overranFolder_ = absoluteFolder;
            overrunReason_ = lastError_;
        }
        return false;
    }

    // Makes one call, restoring a lost connection first and making the call again after a
    // failure that may pass: once in passive mode when active mode failed, and up to kRetries
    // times after a transient failure or a dropped connection, while `mayRetry` allows it.
    template <class Call>
    bool recovering(Call call, const std::function<bool()>& mayRetry = {}) {
        for (int retries = 0;; ++retries) {
            failure_ = FtpFailure::kNone;
            activeFailed_ = false;
            if (!restore()) return false;
            if (call()) return true;
            if (closed_.load()) return failAs(FtpFailure::kClosed, "the session was closed");
            if (mayRetry && !mayRetry()) return failAs(FtpFailure::kFailed, lastError_);
            if (activeFailed_ && !passive_) {
                goPassive();
                --retries;  // the first passive try is no retry
                continue;
            }
            if (failure_ == FtpFailure::kRefused || failure_ == FtpFailure::kOverrun ||
                failure_ == FtpFailure::kTls)
                return false;
            if (retries >= kRetries) return failAs(FtpFailure::kFailed, lastError_);
        }
    }

    // Brings back a lost control connection: a new one with the same login, as FtpReconnect
    // says. False when the session was closed or the server stayed unreachable.
    bool restore() {
        if (closed_.load()) return failAs(FtpFailure::kClosed, "the session was closed");
        if (gaveUp_) return failAs(FtpFailure::kLost, lostReason_);
        if (!lost_ || !loggedIn_) return true;
        int pauseMs = reconnect_.firstPauseMs;
        for (int attempt = 1; attempt <= reconnect_.attempts; ++attempt) {
            if (attempt > 1) {
                if (!pause(pauseMs)) return failAs(FtpFailure::kClosed, "the session was closed");
                pauseMs *= 2;
            }
            notify(FtpEvent::kReconnecting, attempt);
            if (reconnectOnce()) {
                notify(FtpEvent::kReconnected, attempt);
                return true;
            }
            if (closed_.load()) return failAs(FtpFailure::kClosed, "the session was closed");
        }
        gaveUp_ = true;
        lostReason_ = "the server could not be reached again (" + lastError_ + ")";
        return failAs(FtpFailure::kLost, lostReason_);
    }

    // A new control connection: libcurl finds no live one, connects, logs in and enters "/".
    bool reconnectOnce() {
        prefetched_.reset();
        for (curl_socket_t s : controlSockets_) ::shutdown(s, SHUT_RDWR);
        reconnecting_ = true;
        lost_ = false;
        const bool ok = utf8_ ? sayUtf8() : transfer(serverUrl_ + "/", Mode::kNoBody);
        reconnecting_ = false;
        if (!ok) lost_ = true;
        return ok;
    }

    // Asks for UTF-8 names on the control connection (logging in first when it is new).
    bool sayUtf8() {
        curl_easy_setopt(easy_, CURLOPT_QUOTE, utf8Command_);
        const bool ok = transfer(serverUrl_ + "/", Mode::kNoBody);
        curl_easy_setopt(easy_, CURLOPT_QUOTE, nullptr);
        return ok;
    }

    // Waits, woken early by close(); false when the session was closed meanwhile.
    bool pause(int milliseconds) {
        const auto until =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!closed_.load()) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                                  until - std::chrono::steady_clock::now())
                                  .count();
            if (left <= 0) return true;
            curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::min<long>(left, 1000)),
                            nullptr);
        }
        return false;
    }

    void goPassive() {
        passive_ = true;
        curl_easy_setopt(easy_, CURLOPT_FTPPORT, nullptr);
        notify(FtpEvent::kWentPassive, 0);
    }

    void notify(FtpEvent event, int attempt) {
        if (events_) events_(event, attempt);
    }

    // Cuts the control connection, so that a reply still owed by the server cannot be taken
    // for the answer to a later command; the next call reconnects.
    void cutControl() {
        for (curl_socket_t s : controlSockets_) ::shutdown(s, SHUT_RDWR);
        lost_ = true;
    }

    bool changeDirOnce(const std::string& absolutePath) {
        prefetched_.reset();
        const auto path = pathOf(absolutePath, true);
        if (!path) return false;
        if (statUsableFor(absolutePath)) {
            auto listing = statListing(absolutePath, absolutePath);
            const bool listed = listing.has_value();
            prefetched_ = Prefetched{absolutePath, std::move(listing)};
            if (listed) return true;
            if (failure_ == FtpFailure::kOverrun || !usable(true)) return false;
        }
        if (!transfer(serverUrl_ + *path, Mode::kNoBody)) return false;
        // A path that cannot be passed as STAT's argument is entered through libcurl, which
        // knows the session's folder that way; "STAT ." then lists it without a data connection.
        if (stat_ == StatUse::kTrusted && !prefetched_ && absolutePath.ends_with('/')) {
            prefetched_ = Prefetched{absolutePath, statListing(".", absolutePath)};
            return failure_ != FtpFailure::kOverrun && usable(true);
        }
        return true;
    }

    bool listOnce(const std::string& absoluteFolder, std::vector<FtpEntry>& entries) {
        entries.clear();
        auto prefetched = std::exchange(prefetched_, std::nullopt);
        const auto path = pathOf(absoluteFolder, true);
        if (!path) return false;
        if (prefetched && prefetched->folder == absoluteFolder) {
            if (!prefetched->entries) return normalList(*path, entries);
            entries = std::move(*prefetched->entries);
            return true;
        }
        if (stat_ == StatUse::kUndecided) {
            if (absoluteFolder == "/") return listRootAndDecide(entries);
            std::vector<FtpEntry> root;
            listRootAndDecide(root);
            if (!usable(true)) return false;
        }
        if (statUsableFor(absoluteFolder)) {
            if (auto listing = statListing(absoluteFolder, absoluteFolder)) {
                entries = std::move(*listing);
                return true;
            }
            if (failure_ == FtpFailure::kOverrun || !usable(true)) return false;
        }
        return normalList(*path, entries);
    }

    bool retrieveOnce(const std::string& absolutePath,
                      const std::function<bool(const char*, std::size_t)>& sink) {
        prefetched_.reset();
        const auto path = pathOf(absolutePath, false);
        if (!path) return false;
        fileSink_ = &sink;
        sinkStopped_ = false;
        const bool ok = transfer(serverUrl_ + *path, Mode::kFile);
        fileSink_ = nullptr;
        if (!ok && sinkStopped_) return fail("the download was stopped by its receiver");
        return ok;
    }

    // MLSD or LIST over a data connection, after one CWD to the folder's URL path.
    bool normalList(const std::string& path, std::vector<FtpEntry>& entries) {
        for (;;) {
            entries.clear();
            ListingStream stream(mlsd_, std::time(nullptr), entries);
            listing_ = &stream;
            listingEntries_ = &entries;
            listingBytes_ = 0;
            listingEnd_ = Clock::now() + std::chrono::seconds(limits_.maxSeconds);
            overrun_ = false;
            const bool ok = transfer(serverUrl_ + path, mlsd_ ? Mode::kMlsd : Mode::kList);
            listing_ = nullptr;
            listingEntries_ = nullptr;
            if (overrun_) {
                entries.clear();
                // The server may still be sending: nothing more is taken from that connection.
                cutControl();
                return failAs(FtpFailure::kOverrun, overrunText());
            }
            if (ok) {
                stream.finish();
                break;
            }
            if (!mlsdRefused()) return false;
            // The server announced MLSD but does not take it: LIST from now on.
            mlsd_ = false;
        }
        if (entries.empty()) return failAs(FtpFailure::kRefused, "the folder holds no entry");
        return true;
    }

    // Lists "/" the normal way, then trusts STAT for the rest of the session only when its
    // listing of "/" holds the same names, folders alike, in the same order. False when "/"
    // cannot be listed or the session ended meanwhile.
    bool listRootAndDecide(std::vector<FtpEntry>& root) {
        // A failure that may pass leaves the question open for the retry.
        if (!normalList(kRootUrlPath, root)) {
            if (failure_ == FtpFailure::kRefused) stat_ = StatUse::kNever;
            return false;
        }
        stat_ = StatUse::kNever;
        const auto listing = statListing("/", "/");
        if (listing && sameNamesAndFolders(*listing, root)) stat_ = StatUse::kTrusted;
        return usable(true);
    }

    bool statUsableFor(const std::string& absoluteFolder) const {
        return stat_ == StatUse::kTrusted && isStatSafeFolder(absoluteFolder);
    }

    // "STAT <folder>" and its reply, alone on the control connection, which libcurl leaves
    // untouched between transfers. (Sent through libcurl, the reply would count as response
    // headers, and past 300 KB, a folder of a few thousand files, libcurl drops the
    // connection.) Nothing when the reply is no listing to rely on.
    std::optional<std::vector<FtpEntry>> statListing(const std::string& argument,
                                                     const std::string& absoluteFolder) {
        if (controlSockets_.size() != 1) return std::nullopt;
        const curl_socket_t control = controlSockets_.front();
        StatReply reply(absoluteFolder, std::time(nullptr));
        const ControlWait wait{responseSeconds_, closed_, limits_.maxSeconds, limits_.maxBytes,
                               limits_.maxEntries};
        const ControlOutcome outcome = exchangeOnControl(control, {"STAT " + argument}, wait,
                                                         [&](std::size_t, std::string_view line) {
                                                             reply.take(line);
                                                             return reply.complete();
                                                         });
        if (outcome == ControlOutcome::kDone) return std::move(reply).listing();
        // A reply cut short leaves the connection out of step with libcurl: it is given up,
        // and cut so that the goodbye does not wait on it either.
        cutControl();
        if (outcome == ControlOutcome::kClosed)
            fail("the session was closed");
        else if (outcome == ControlOutcome::kOverrun)
            failAs(FtpFailure::kOverrun, overrunText());
        else if (outcome == ControlOutcome::kTimedOut)
            fail("the server did not answer in time");
        else
            fail("the connection to the server was lost");
        return std::nullopt;
    }

    void configure(const FtpTimeouts& t, const FtpTls& tls) {
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "ftp");
        if (tls.enabled) {
            curl_easy_setopt(easy_, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
            curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYPEER, 1L);
            curl_easy_setopt(easy_, CURLOPT_SSL_VERIFYHOST, 2L);
            if (!tls.caFile.empty())
                curl_easy_setopt(easy_, CURLOPT_CAINFO, nativePath(tls.caFile).c_str());
        }
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_ERRORBUFFER, errorBuffer_);
        if (!passive_) curl_easy_setopt(easy_, CURLOPT_FTPPORT, "-");  // active mode
        // One CWD to the whole folder, then a bare LIST/MLSD: no name reaches a listing command's
        // argument where a server could take "[" or "*" as a pattern. Only STAT carries a path,
        // and only one that isStatSafeFolder() lets through.
        curl_easy_setopt(easy_, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT, static_cast<long>(t.connectSeconds));
        curl_easy_setopt(easy_, CURLOPT_SERVER_RESPONSE_TIMEOUT,
                         static_cast<long>(t.responseSeconds));
        curl_easy_setopt(easy_, CURLOPT_ACCEPTTIMEOUT_MS, 1000L * t.acceptSeconds);
        curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, static_cast<long>(t.stallSeconds));
        curl_easy_setopt(easy_, CURLOPT_MAXAGE_CONN, kNeverTooOld);
        curl_easy_setopt(easy_, CURLOPT_TCP_KEEPALIVE, 1L);
        // A transfer removed while a host name is still being resolved must not wait for the
        // resolver thread, or close() could not end a connect promptly.
        curl_easy_setopt(easy_, CURLOPT_QUICK_EXIT, 1L);
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &Connection::onReply);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &Connection::onData);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &Connection::onProgress);
        curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(easy_, CURLOPT_OPENSOCKETFUNCTION, &Connection::onOpenSocket);
        curl_easy_setopt(easy_, CURLOPT_OPENSOCKETDATA, this);
        curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETFUNCTION, &Connection::onCloseSocket);
        curl_easy_setopt(easy_, CURLOPT_CLOSESOCKETDATA, this);
    }

    std::string overrunText() const {
        return "the listing passed the limits of one folder (" + std::to_string(limits_.maxBytes) +
               " bytes, " + std::to_string(limits_.maxEntries) + " entries, " +
               std::to_string(limits_.maxSeconds) + " s)";
    }

    // Whether the listing under way has passed the limits; it is then stopped.
    bool listingOverrun() {
        overrun_ = overrun_ || listingBytes_ > limits_.maxBytes ||
                   listingEntries_->size() > limits_.maxEntries || Clock::now() >= listingEnd_;
        return overrun_;
    }

    bool fail(std::string reason) { return failAs(FtpFailure::kFailed, std::move(reason)); }

    bool failAs(FtpFailure kind, std::string reason) {
        failure_ = kind;
        lastError_ = std::move(reason);
        return false;
    }

    // Whether a call may go to the server at all.
    bool usable(bool needsLogin) {
        if (!valid()) return fail("the FTP client library could not be initialised");
        if (closed_.load()) return failAs(FtpFailure::kClosed, "the session was closed");
        if (gaveUp_) return failAs(FtpFailure::kLost, lostReason_);
        if (lost_) return fail("the connection to the server was lost");
        if (needsLogin && !loggedIn_) return fail("the session is not connected");
        return true;
    }

    std::optional<std::string> pathOf(const std::string& absolutePath, bool folder) {
        if (!usable(true)) return std::nullopt;
        auto path = ftpUrlPath(absolutePath, folder);
        if (!path)
            failAs(FtpFailure::kRefused,
                   "\"" + absolutePath + "\" is not an absolute path FTP can carry");
        return path;
    }

    bool transfer(const std::string& url, Mode mode) {
        curl_easy_setopt(easy_, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy_, CURLOPT_NOBODY, mode == Mode::kNoBody ? 1L : 0L);
        curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, mode == Mode::kMlsd ? "MLSD" : nullptr);
        lastReply_.clear();
        // Until active mode has worked once, a transfer command's reply is awaited no longer
        // than the server's connection: many servers connect back before they answer, and
        // behind a NAT that silently drops the attempt, silence is all that comes.
        const bool provingActive = mode != Mode::kNoBody && !passive_ && !activeProven_;
        if (provingActive) setResponseTimeout(std::min(acceptSeconds_, responseSeconds_));
        const CURLcode code = perform();
        if (provingActive) setResponseTimeout(responseSeconds_);
        lastCode_ = code;
        if (closed_.load()) return failAs(FtpFailure::kClosed, "the session was closed");
        if (code == CURLE_OK) {
            activeProven_ = activeProven_ || provingActive;
            curlFolder_ = folderLeftBy(url);
            return true;
        }
        long reply = 0;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &reply);
        std::string reason = errorBuffer_[0] ? errorBuffer_ : curl_easy_strerror(code);
        if (tls_ && tlsFailure(code)) {
            // The reply after a refused AUTH says why; after a handshake it says nothing.
            if (code == CURLE_USE_SSL_FAILED)
                reason = "the server does not offer TLS (server: " + lastReply_ + ")";
            return failAs(FtpFailure::kTls, std::move(reason));
        }
        if (!lastReply_.empty()) reason += " (server: " + lastReply_ + ")";
        const bool silent = provingActive && code == CURLE_OPERATION_TIMEDOUT;
        if (mode != Mode::kNoBody && !passive_ && (silent || activeDataFailure(code, reply))) {
            activeFailed_ = true;
            // After a missed connection the server may still answer the transfer command.
            if (silent || code == CURLE_FTP_ACCEPT_TIMEOUT) cutControl();
            return fail(std::move(reason));
        }
        if (lost_) return fail("the connection to the server was lost: " + reason);
        return failAs(refusal(code, reply) ? FtpFailure::kRefused : FtpFailure::kFailed,
                      std::move(reason));
    }

    void setResponseTimeout(int seconds) {
        curl_easy_setopt(easy_, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(seconds));
    }

    // The data connection of active mode could not be made: the server refused PORT/EPRT,
    // could not connect ("425"), or did not connect in time.
    static bool activeDataFailure(CURLcode code, long reply) {
        return code == CURLE_FTP_PORT_FAILED || code == CURLE_FTP_ACCEPT_FAILED ||
               code == CURLE_FTP_ACCEPT_TIMEOUT || reply == 425;
    }

    // The secure connection was not made: AUTH TLS refused, the handshake failed, or the
    // certificate or host name did not verify.
    static bool tlsFailure(CURLcode code) {
        return code == CURLE_USE_SSL_FAILED || code == CURLE_SSL_CONNECT_ERROR ||
               code == CURLE_PEER_FAILED_VERIFICATION || code == CURLE_SSL_CERTPROBLEM ||
               code == CURLE_SSL_CIPHER || code == CURLE_SSL_CACERT_BADFILE ||
               code == CURLE_SSL_ISSUER_ERROR || code == CURLE_SSL_CRL_BADFILE;
    }

    // A permanent "no" of the server to entering or listing a folder or fetching a file.
    static bool refusal(CURLcode code, long reply) {
        const bool answered = code == CURLE_REMOTE_ACCESS_DENIED ||
                              code == CURLE_FTP_COULDNT_RETR_FILE ||
                              code == CURLE_REMOTE_FILE_NOT_FOUND;
        return answered && reply >= 500 && reply < 600;
    }

    // Runs the prepared transfer to its end, or until close() is called.
    CURLcode perform() {
        errorBuffer_[0] = '\0';
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return CURLE_FAILED_INIT;
        CURLcode result = CURLE_ABORTED_BY_CALLBACK;
        while (!closed_.load()) {
            int running = 0;
            if (curl_multi_perform(multi_, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            if (const auto done = finishedResult()) {
                result = *done;
                break;
            }
            if (curl_multi_poll(multi_, nullptr, 0, pollMilliseconds(), nullptr) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
        }
        // Removing an unfinished transfer aborts it and drops its connection.
        curl_multi_remove_handle(multi_, easy_);
        return result;
    }

    // How long to wait for the transfer's sockets. Between two steps libcurl sometimes watches
    // no socket at all (after a passive-mode reply, before it connects the data stream) and then
    // needs to be called again soon: waiting the full second there cost every passive listing
    // that second.
    int pollMilliseconds() {
        long wait = -1;
        if (curl_multi_timeout(multi_, &wait) != CURLM_OK || wait < 0 || wait > kPollMilliseconds)
            wait = kPollMilliseconds;
        fd_set read, write, error;
        FD_ZERO(&read);
        FD_ZERO(&write);
        FD_ZERO(&error);
        int highest = -1;
        if (curl_multi_fdset(multi_, &read, &write, &error, &highest) == CURLM_OK && highest < 0)
            wait = std::min(wait, kIdleStepMilliseconds);
        return static_cast<int>(wait);
    }

    std::optional<CURLcode> finishedResult() {
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE) return message->data.result;
        }
        return std::nullopt;
    }

    bool mlsdRefused() {
        long reply = 0;
        curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &reply);
        return mlsd_ && lastCode_ == CURLE_FTP_COULDNT_RETR_FILE && reply >= 500 && reply <= 502;
    }

    static std::size_t onReply(char* data, std::size_t size, std::size_t count, void* self) {
        auto& c = *static_cast<Connection*>(self);
        const std::string_view line = withoutLineEnd({data, size * count});
        c.lastReply_.assign(line);
        if (c.scanningFeat_) c.feat_.take(line);
        return size * count;
    }

    static std::size_t onData(char* data, std::size_t size, std::size_t count, void* self) {
        auto& c = *static_cast<Connection*>(self);
        const std::size_t bytes = size * count;
        if (c.listing_) {
            c.listingBytes_ += bytes;
            if (c.listingOverrun()) return 0;  // makes libcurl end the transfer
            c.listing_->feed({data, bytes});
        }
        if (c.fileSink_ && !(*c.fileSink_)(data, bytes)) {
            c.sinkStopped_ = true;
            return 0;  // makes libcurl end the transfer with a write error
        }
        return bytes;
    }

    // Also called while libcurl blocks inside one step (waiting for the reply that ends a
    // transfer), where the multi wake-up cannot reach it.
    static int onProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto& c = *static_cast<Connection*>(self);
        return c.closed_.load() || (c.listing_ && c.listingOverrun()) ? 1 : 0;
    }

    // Sockets towards the control port are control connections. After login a new one is
    // made only by restore(): libcurl reconnecting on its own, in the middle of some call, is
    // refused, so that the loss is seen and the call made again from its start.
    static curl_socket_t onOpenSocket(void* self, curlsocktype, curl_sockaddr* address) {
        auto& c = *static_cast<Connection*>(self);
        const bool control = portOf(*address) == c.controlPort_;
        if (control && c.loggedIn_ && !c.reconnecting_) {
            c.lost_ = true;
            return CURL_SOCKET_BAD;
        }
        const curl_socket_t s =
            ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (control && s != CURL_SOCKET_BAD) c.controlSockets_.push_back(s);
        return s;
    }

    // A control connection that libcurl gives up after login is a lost connection.
    static int onCloseSocket(void* self, curl_socket_t s) {
        auto& c = *static_cast<Connection*>(self);
        auto& sockets = c.controlSockets_;
        const auto found = std::find(sockets.begin(), sockets.end(), s);
        if (found != sockets.end()) {
            sockets.erase(found);
            if (c.loggedIn_ && !c.reconnecting_ && !c.closed_.load()) c.lost_ = true;
        }
        return ::close(s);
    }

    CURL* easy_;
    CURLM* multi_;
    curl_slist* featCommand_ = nullptr;
    curl_slist* utf8Command_ = nullptr;
    std::atomic<bool> closed_{false};
    char errorBuffer_[CURL_ERROR_SIZE] = {};

    std::string serverUrl_;
    bool loggedIn_ = false;
    bool lost_ = false;          // the control connection is gone; restore() brings it back
    bool reconnecting_ = false;  // restore() is making a new control connection
    bool gaveUp_ = false;        // restore() failed: the server is unreachable for good
    std::string lostReason_;
    bool mlsd_ = false;
    long controlPort_ = 0;
    std::vector<curl_socket_t> controlSockets_;  // open control connection sockets
    std::string lastError_;
    std::string lastReply_;
    CURLcode lastCode_ = CURLE_OK;
    FeatScanner feat_;
    bool scanningFeat_ = false;
    bool utf8_ = false;  // the server announced UTF8

    FtpFailure failure_ = FtpFailure::kNone;
    bool activeFailed_ = false;  // the last transfer failed for want of an active data connection
    FtpEventSink events_;

    int responseSeconds_;
    int acceptSeconds_;
    bool tls_;                   // FtpTls::enabled
    bool activeProven_ = false;  // an active data connection has worked in this session
    FtpReconnect reconnect_;
    bool passive_;
    bool statOnlyWithoutMlsd_;
    StatUse stat_;
    std::optional<Prefetched> prefetched_;
    bool pipelining_ = true;                 // listAhead() may send commands together
    std::optional<std::string> curlFolder_;  // where libcurl believes the server is

    FtpListingLimits limits_;
    std::string overranFolder_;  // the folder whose listing passed the limits, and why
    std::string overrunReason_;
    ListingStream* listing_ = nullptr;
    std::vector<FtpEntry>* listingEntries_ = nullptr;  // what listing_ has parsed so far
    std::size_t listingBytes_ = 0;
    Clock::time_point listingEnd_;
    bool overrun_ = false;
    const std::function<bool(const char*, std::size_t)>* fileSink_ = nullptr;
    bool sinkStopped_ = false;
};

FtpSession::FtpSession(std::string agent, FtpOptions options)
    : agent_(std::move(agent)),
      connection_(std::make_unique<Connection>(options)),
      names_(std::make_shared<ServerNames>()) {}

FtpSession::~FtpSession() = default;

bool FtpSession::valid() const {
    return connection_->valid();
}

void FtpSession::shareNames(std::shared_ptr<ServerNames> names) {
    names_ = std::move(names);
}

bool FtpSession::connect(const std::string& host, int port, const std::string& user,
                         const std::string& password) {
    if (!connection_->connect(host, port, user, password)) return false;
    names_->setUtf8(connection_->announcesUtf8());
    return true;
}

template <typename Call>
bool FtpSession::onServerPath(const std::string& storedPath, Call call) {
    for (const std::string& path : names_->serverPaths(storedPath)) {
        if (call(path)) return true;
        if (connection_->lastFailure() != FtpFailure::kRefused) return false;
    }
    return false;
}

bool FtpSession::changeDir(const std::string& absolutePath) {
    enteredStored_.clear();
    return onServerPath(absolutePath, [&](const std::string& path) {
        if (!connection_->changeDir(path)) return false;
        names_->learn(absolutePath, path);
        enteredStored_ = absolutePath;
        enteredServer_ = path;
        return true;
    });
}

bool FtpSession::list(const std::string& absoluteFolder, std::vector<FtpEntry>& entries) {
    const auto listAs = [&](const std::string& path) {
        if (!connection_->list(path, entries)) return false;
        names_->learn(absoluteFolder, path);
        names_->adopt(absoluteFolder, path, entries);
        return true;
    };
    // A folder just entered is listed with the bytes it was entered with, even when empty.
    if (absoluteFolder == enteredStored_) return listAs(enteredServer_);
    return onServerPath(absoluteFolder, listAs);
}

bool FtpSession::listsAhead() const {
    return connection_->listsAhead();
}

void FtpSession::listAhead(
    const std::vector<std::string>& folders,
    const std::function<void(std::size_t folder, FetchedListing listing)>& listed) {
    enteredStored_.clear();
    std::vector<std::string> paths;
    paths.reserve(folders.size());
    for (const std::string& folder : folders) paths.push_back(names_->serverPaths(folder).front());
    connection_->listAhead(paths, [&](std::size_t folder, FetchedListing listing) {
        if (listing.listed) {
            names_->learn(folders[folder], paths[folder]);
            names_->adopt(folders[folder], paths[folder], listing.entries);
        }
        listed(folder, std::move(listing));
    });
}

bool FtpSession::retrieve(const std::string& absolutePath,
                          const std::function<bool(const char*, std::size_t)>& sink) {
    // A refused file has handed nothing to the sink, so the next path may be tried.
    return onServerPath(absolutePath,
                        [&](const std::string& path) { return connection_->retrieve(path, sink); });
}

void FtpSession::close() {
    connection_->close();
}

bool FtpSession::isClosed() const {
    return connection_->isClosed();
}

void FtpSession::setEventSink(FtpEventSink sink) {
    connection_->setEventSink(std::move(sink));
}

FtpFailure FtpSession::lastFailure() const {
    return connection_->lastFailure();
}

std::string FtpSession::lastError() const {
    return connection_->lastError();
}

bool FtpSession::passive() const {
    return connection_->passive();
}

bool FtpSession::usesMlsd() const {
    return connection_->usesMlsd();
}

}  // namespace quarrow
