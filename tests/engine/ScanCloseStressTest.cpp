#include <map>
#include <random>

#include "engine/ScanFixture.h"
#include "engine/ScanStart.h"
#include "engine/TMonDirThread.h"

namespace quarrow::test {
namespace {

class CountingTimer : public Notifier {
public:
    void enable() override { ++calls; }
    std::atomic<int> calls{0};
};

class ScanCloseStressTest : public ScanFixture {
protected:
    // Starts a scan the way the Start button does, saving as `name` in the archive folder.
    int startLikeTheWindow(const FtpServer& server, const std::string& name) {
        ScanEntries entries{"127.0.0.1", "", ".mp3", "", "us@site", std::to_string(server.port())};
        EXPECT_TRUE(NormaliseScanEntries(entries));
        const int number = context->Jobs.add();
        const auto job = context->Jobs.at(number);
        const StartChoice choice{program.path() + "Arhive/" + name + ".qrnet", 1, "Quarrowbrisk",
                                 true, std::time(nullptr)};
        FillJobFromEntries(*context, *job, entries, *StartPort(entries.port), choice);
        {
            std::lock_guard lock(job->Lock);
            job->ProgressTimer = timer;
            job->FinishTimer = timer;
        }
        TMonDirThread::Create(*context, number, false);
        return number;
    }

    std::shared_ptr<CountingTimer> timer = std::make_shared<CountingTimer>();
};

TEST_F(ScanCloseStressTest, PagesClosedInRandomOrderWhileScanningNeverSeeAnotherWrite) {
    std::vector<TreeItem> items;
    for (int i = 0; i < 12; ++i)
        for (int f = 0; f < 3; ++f)
            items.push_back({"d" + std::to_string(i) + "/f" + std::to_string(f) + ".mp3", "x"});
    makeTree(tree.path(), items);
    FtpServerOptions slow;
    slow.listDelaySeconds = 0.05;
    FtpServer server(tree.path(), slow);
    std::mt19937 random(20241206);

    int closedAfterAWrite = 0;
    for (int round = 0; round < 3; ++round) {
        std::vector<int> open;
        for (int scan = 0; scan < 4; ++scan)
            open.push_back(startLikeTheWindow(
                server, "r" + std::to_string(round) + "_" + std::to_string(scan)));
        // What each file held when its page was closed.
        std::map<std::string, std::optional<std::string>> atClose;
        while (!open.empty()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(random() % 250));
            const std::size_t pick = random() % open.size();
            const auto job = context->Jobs.at(open[pick]);
            ASSERT_TRUE(job);
            closePage(open[pick], open.size() == 1);
            EXPECT_TRUE(job->PageClosed.load());
            for (const std::string& file :
                 {job->SnapshotBase + ".qrnet", job->ResumeBase + ".qrsftp"})
                atClose[file] = contentOf(file);
            if (atClose[job->ResumeBase + ".qrsftp"]) ++closedAfterAWrite;
            open.erase(open.begin() + static_cast<long>(pick));
        }
        EXPECT_EQ(context->Jobs.LastJobIndex(), -1);
        ASSERT_TRUE(waitForScans()) << "round " << round;
        for (const auto& [file, content] : atClose)
            EXPECT_EQ(contentOf(file), content) << file << " changed after its page was closed";
        EXPECT_EQ(context->Jobs.add(), 0) << "the emptied table starts again at job 0";
        context->Jobs.markEmpty();
        context->Jobs.clear();
    }
    EXPECT_GT(closedAfterAWrite, 0) << "no page was closed while its scan was saving";
}

}  // namespace
}  // namespace quarrow::test
