// How long a key press waits in the window while a large archive loads and while it is searched.
// Builds the main window (offscreen) over a program folder whose Arhive/ links to the snapshots
// of a corpus written by search_corpus, ticks them all and presses the load button; every 20 ms
// until the load ends a key press is posted to the window and the time until it is delivered is
// taken. Then queries are typed into the search box key by key, each starting a search, with the
// same probe running, and the time the box takes to handle each typed key is taken. Prints
// tab-separated lines:
//   typed <search box text> <file hits shown>   (after each query)
//   keys  <phase> <probes> <median ms> <max ms>
//
//   QT_QPA_PLATFORM=offscreen window_bench --corpus DIR
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "gui/scan/ScanPage.h"
#include "gui/scan/ScanPages.h"
#include "gui/scan/VirtualListView.h"
#include "gui/shell/FormDialogs.h"
#include "gui/shell/TFtpForm.h"

namespace {

namespace fs = std::filesystem;

void printWaits(const char* phase, std::vector<double> waits) {
    std::sort(waits.begin(), waits.end());
    const double median = waits.empty() ? 0 : waits[waits.size() / 2];
    const double most = waits.empty() ? 0 : waits.back();
    std::printf("keys\t%s\t%zu\t%.1f\t%.1f\n", phase, waits.size(), median, most);
    std::fflush(stdout);
}

// Posts a key press to `target` every 20 ms and records how long each waited to be delivered.
class KeyProbe : public QObject {
public:
    explicit KeyProbe(QWidget* target) : target_(target) {
        target_->installEventFilter(this);
        connect(&timer_, &QTimer::timeout, this, [this] { post(); });
        clock_.start();
    }
    void start() {
        waits_.clear();
        timer_.start(20);
    }
    // Stops probing and prints the waits of the phase.
    void report(const char* phase) {
        timer_.stop();
        printWaits(phase, waits_);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == target_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F24 && posted_ >= 0) {
            waits_.push_back(static_cast<double>(clock_.nsecsElapsed() - posted_) / 1e6);
            posted_ = -1;
            return true;
        }
        return false;
    }

private:
    void post() {
        if (posted_ >= 0) return;  // the last probe still waits; it counts when it arrives
        posted_ = clock_.nsecsElapsed();
        QCoreApplication::postEvent(target_,
                                    new QKeyEvent(QEvent::KeyPress, Qt::Key_F24, Qt::NoModifier));
    }

    QWidget* target_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 posted_ = -1;
    std::vector<double> waits_;
};

// The number of file hits the archive page shows.
int shownFiles(quarrow::TFtpForm& form) {
    for (int i = 0; i < form.pages().pageCount(); ++i)
        if (form.pages().pageAt(i)->isArchive())
            return form.pages().pageAt(i)->fileList()->itemCount();
    return -1;
}

void waitUntil(const std::function<bool()>& done) {
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

void waitFor(int ms) {
    QElapsedTimer clock;
    clock.start();
    waitUntil([&] { return clock.elapsed() >= ms; });
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    std::string corpus;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--corpus") corpus = argv[i + 1];
    if (corpus.empty()) {
        std::fputs("usage: window_bench --corpus DIR\n", stderr);
        return 2;
    }
    const fs::path program = fs::temp_directory_path() / "quarrow-window-bench";
    fs::remove_all(program);
    fs::create_directories(program / "Arhive");
    for (const auto& entry : fs::directory_iterator(fs::path(corpus) / "Arhive"))
        fs::create_symlink(fs::absolute(entry.path()),
                           program / "Arhive" / entry.path().filename());

    quarrow::FormSetup setup;
    setup.programDir = program.string() + "/";
    setup.settingsFile = (program / "quarrow.ini").string();
    setup.dialogs = std::make_shared<quarrow::DesktopDialogs>();
    setup.trayAvailable = [] { return false; };
    setup.version = "bench";
    setup.updatePage.clear();
    quarrow::TFtpForm form(std::move(setup));
    form.show();
    quarrow::FormWidgets& w = form.widgets();
    w.pc1->setCurrentWidget(w.TabSheet3);
    waitFor(200);
    for (int row = 0; row < w.clb2->count(); ++row) {
        w.clb2->setCurrentRow(row);
        emit w.clb2->itemClicked(w.clb2->item(row));
    }
    KeyProbe probe(&form);
    probe.start();
    w.SpeedButton8->click();
    waitUntil([&] { return w.SpeedButton8->isEnabled(); });
    probe.report("load");

    probe.start();
    std::vector<double> typing;  // how long the box took to handle each typed key
    QElapsedTimer keyClock;
    for (const char* query : {"love", "symphony", "rock live", "beatles*mp3", "simphony"}) {
        w.cb1->setFocus();
        w.cb1->setEditText(QString());
        for (const QChar c : QString::fromLatin1(query)) {
            keyClock.start();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(w.cb1, &press);
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(w.cb1, &release);
            typing.push_back(static_cast<double>(keyClock.nsecsElapsed()) / 1e6);
            waitFor(150);
        }
        waitFor(1000);
        std::printf("typed\t%s\t%d\n", w.cb1->currentText().toStdString().c_str(),
                    shownFiles(form));
    }
    probe.report("search");
    printWaits("typing", typing);
    fs::remove_all(program);
    return 0;
}
