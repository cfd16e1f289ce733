#pragma once

#include <atomic>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/Notifier.h"
#include "platform/StringList.h"

namespace quarrow {

class FtpSession;

// How a scan's walk ended, for front ends that must report it (exit codes, summaries).
// Interrupted: the server stayed unreachable in the middle of the walk; the resume file saved
// then continues it from the folder that was being listed.
enum class WalkOutcome {
    NotStarted,
    Running,
    NoLibrary,
    NoHost,
    NoRootDir,
    Walked,
    Interrupted,
    Stopped
};

// The record of one scan job (also of a watch entry and of the loaded archive).
//
// Threading contract: the fields in the first block are filled by whoever creates the job
// before its worker starts and are read-only afterwards. Flags and counters are atomics.
// Everything in the guarded block may be written by the worker while the window thread reads
// it, so it is touched only under `Lock`, held for one append or one read at a time.
struct TFtpMain {
    // Filled at creation.
    std::string Server;
    std::string Path;
    std::string Password;
    std::string UserName;
    std::string Mask;
    std::string StartStamp;
    std::string ResumeBase;
    std::string SaveFileName;
    std::string SnapshotBase;
    std::string Ident;
    std::vector<std::string> Extensions;
    int Port = 0;
    int TextExport = 0;
    bool Recursive = true;
    bool Passive = false;  // start the session in passive mode
    bool Tls = false;      // explicit FTPS (FtpTls): encrypted and verified, never plain text

    // Flags and counters shared between threads.
    std::atomic<bool> Connected{false};
    std::atomic<bool> Running{false};
    std::atomic<bool> Sorted{false};
    std::atomic<bool> StopRequested{false};
    std::atomic<bool> PageClosed{false};
    std::atomic<bool> HasListing{false};
    std::atomic<int> DirIndex{0};
    std::atomic<WalkOutcome> Outcome{WalkOutcome::NotStarted};
    // Folders of the walk that were never listed although the server did not refuse them (a
    // transfer that kept failing, or the rest of the queue of an interrupted walk).
    std::atomic<int> UnlistedDirs{0};
    // Folders left out because their path passed the walk's bounds (see FolderBounds.h).
    std::atomic<int> TooDeepDirs{0};
    // Files whose last write failed, so that what is on disk is older than the scan.
    std::atomic<bool> SnapshotStale{false};
    std::atomic<bool> ResumeStale{false};
    std::atomic<bool> ExportStale{false};
    // Watch-list fields, unused by scans.
    std::atomic<bool> Active{false};
    std::atomic<bool> CheckAtStart{false};
    std::atomic<int> Interval{0};
    std::atomic<int> NewFileCount{0};
    std::atomic<int> NewDirCount{0};
    std::atomic<int> CheckNumber{0};
    std::atomic<int> IdleMinutes{0};
    std::atomic<int> ShowDays{0};
    std::atomic<std::time_t> NewSince{0};

    // Guarded by Lock.
    mutable std::mutex Lock;
    std::string StatusText;
    std::string CurrentDir;
    std::string SaveError;  // why the last snapshot or resume write failed; empty when it worked
    std::string Note;       // what the FTP session did on its own (went passive, ...), one a line
    std::vector<std::string> DirQueue;
    StringList FileDirs;
    StringList FileNames;
    StringList ArchiveNames;
    std::shared_ptr<FtpSession> InetHandle;
    std::shared_ptr<FtpSession> FtpHandle;
    std::shared_ptr<Notifier> ProgressTimer;
    std::shared_ptr<Notifier> FinishTimer;

    // One-step accessors for the guarded fields.
    std::string statusText() const;
    void setStatusText(std::string text);
    std::string currentDir() const;
    void setCurrentDir(std::string dir);
    std::string saveError() const;
    void setSaveError(std::string text);
    std::string note() const;
    // Adds a line to Note unless it is there already.
    void addNote(const std::string& line);
    // The walk reached its end with every folder listed or refused by the server.
    bool walkComplete() const;
    std::size_t dirQueueSize() const;
    std::string dirQueueAt(std::size_t i) const;
    std::size_t fileCount() const;
    // Enables the timer when it is attached; a detached timer is silently skipped.
    void enableProgressTimer() const;
    void enableFinishTimer() const;
};

}  // namespace quarrow
