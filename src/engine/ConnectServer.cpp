#include "engine/ConnectServer.h"

#include "platform/Cp1251.h"

namespace quarrow {
namespace {

void setStatus(TFtpMain& job, std::string text, bool wake) {
    job.setStatusText(std::move(text));
    if (wake) job.enableProgressTimer();
}

void closeSession(TFtpMain& job, FtpSession& session) {
    session.close();
    job.Connected.store(false);
}

}  // namespace

void PublishSession(TFtpMain& job, const std::shared_ptr<FtpSession>& session) {
    {
        std::lock_guard lock(job.Lock);
        job.InetHandle = session;
        job.FtpHandle = session;
    }
    if (job.StopRequested.load()) session->close();
}

std::unique_ptr<FolderPrefetch> PrefetchFor(const TFtpMain& job, FtpOptions options,
                                            const FtpSession& session, FtpEventSink events,
                                            decltype(PrefetchLogin::subfolder) subfolder) {
    if (options.parallelListings <= 1) return nullptr;
    const int connections = options.parallelListings;
    options.passive = session.passive();
    return std::make_unique<FolderPrefetch>(
        PrefetchLogin{session.agent(), job.Server, job.Port, job.UserName, job.Password, options,
                      session.names(), std::move(events), std::move(subfolder)},
        connections);
}

std::string NoHostStatus(const ThreadTexts& texts, const std::string& server,
                         const FtpSession& session) {
    const std::string host = "Host \"" + server + "\" ";
    if (session.lastFailure() == FtpFailure::kTls)
        return host + texts.infojointnotls + session.lastError();
    return host + texts.infojointnohost;
}

ConnectResult ConnectServer(TFtpMain& job, const ConnectSteps& steps,
                            std::shared_ptr<FtpSession>& session) {
    const ThreadTexts& texts = steps.texts;
    const bool every = steps.wakeOnEveryStatus;
    const std::string display = job.Server + "/" + job.Path;
    const std::string host = "Host \"" + job.Server + "\" ";

    setStatus(job, texts.infojointserver + job.Server, every);
    session = std::make_shared<FtpSession>(upperCp1251(job.Ident), steps.options);
    session->setEventSink(steps.events);
    if (steps.abandoned()) return ConnectResult::Abandoned;
    job.Connected.store(true);
    PublishSession(job, session);
    if (!session->valid()) {
        job.Connected.store(false);
        setStatus(job, texts.infojointnodll, every);
        return ConnectResult::NoLibrary;
    }

    const bool loggedIn = session->connect(job.Server, job.Port, job.UserName, job.Password);
    if (steps.abandoned()) return ConnectResult::Abandoned;
    job.Connected.store(true);
    if (!loggedIn) {
        closeSession(job, *session);
        setStatus(job, NoHostStatus(texts, job.Server, *session), every);
        return ConnectResult::NoHost;
    }
    setStatus(job, host + texts.infojointhost, every);
    if (steps.abandoned()) return ConnectResult::Abandoned;

    const bool atRoot = session->changeDir("/");
    if (steps.abandoned()) return ConnectResult::Abandoned;
    if (!atRoot) {
        closeSession(job, *session);
        setStatus(job, texts.infojointnodir + " " + display + ".", every);
        return ConnectResult::NoRootDir;
    }
    if (!every) job.enableProgressTimer();
    setStatus(job, texts.infojointdir + " " + display + ".", every);
    job.Connected.store(true);
    PublishSession(job, session);
    setStatus(job, texts.infojointstartscandir + " " + display + ".", true);
    return ConnectResult::Connected;
}

}  // namespace quarrow
