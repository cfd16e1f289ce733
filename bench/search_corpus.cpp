// Writes a corpus for the search benchmark: a number of snapshot files in DIR/Arhive/ made with
// the engine's own writer functions, holding realistic file names (blanks, brackets, dashes,
// dots, Cyrillic, varied extensions, track numbers, years) in nested folders, and DIR/names.txt
// with every searchable name as the archive will hold it (per snapshot its file names, then
// its folder paths), in UTF-8 for grep. A marker file DIR/done is written last.
//
//   search_corpus --names N --snapshots K --out DIR
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/SnapshotContainer.h"
#include "engine/SnapshotFile.h"
#include "engine/SnapshotHeader.h"
#include "platform/Cp1251.h"

namespace {

using quarrow::StringList;

const std::vector<std::string> kEnglish = {
    "love",       "night",     "dark",     "side",    "moon",     "best",      "hits",
    "live",       "rock",      "remix",    "song",    "dance",    "dream",     "heart",
    "fire",       "blue",      "sky",      "world",   "time",     "life",      "angel",
    "black",      "white",     "rain",     "summer",  "winter",   "city",      "road",
    "home",       "river",     "stone",    "gold",    "silver",   "star",      "light",
    "shadow",     "storm",     "ocean",    "wild",    "young",    "old",       "forever",
    "never",      "again",     "tonight",  "morning", "paradise", "soul",      "blues",
    "jazz",       "symphony",  "concerto", "sonata",  "album",    "single",    "edition",
    "deluxe",     "original",  "mix",      "version", "acoustic", "unplugged", "greatest",
    "collection", "anthology", "bonus",    "track",   "intro",    "outro",     "theme",
    "overture",   "part",      "chapter",  "season",  "episode",  "movie",     "trailer",
    "setup",      "install",   "driver",   "update",  "patch",    "portable",  "manual",
    "guide",      "book",      "photo",    "image",   "backup",   "archive",   "documents",
    "report",     "project",   "final",    "draft"};
// Windows-1251: песня, любовь, ночь, группа, кино, концерт, звезда, время, жизнь, город,
// лето, зима, река, дорога, солнце, небо, мечта, сердце, сборник, альбом.
const std::vector<std::string> kRussian = {"\xEF\xE5\xF1\xED\xFF",
                                           "\xEB\xFE\xE1\xEE\xE2\xFC",
                                           "\xED\xEE\xF7\xFC",
                                           "\xE3\xF0\xF3\xEF\xEF\xE0",
                                           "\xEA\xE8\xED\xEE",
                                           "\xEA\xEE\xED\xF6\xE5\xF0\xF2",
                                           "\xE7\xE2\xE5\xE7\xE4\xE0",
                                           "\xE2\xF0\xE5\xEC\xFF",
                                           "\xE6\xE8\xE7\xED\xFC",
                                           "\xE3\xEE\xF0\xEE\xE4",
                                           "\xEB\xE5\xF2\xEE",
                                           "\xE7\xE8\xEC\xE0",
                                           "\xF0\xE5\xEA\xE0",
                                           "\xE4\xEE\xF0\xEE\xE3\xE0",
                                           "\xF1\xEE\xEB\xED\xF6\xE5",
                                           "\xED\xE5\xE1\xEE",
                                           "\xEC\xE5\xF7\xF2\xE0",
                                           "\xF1\xE5\xF0\xE4\xF6\xE5",
                                           "\xF1\xE1\xEE\xF0\xED\xE8\xEA",
                                           "\xE0\xEB\xFC\xE1\xEE\xEC"};
const std::vector<std::string> kArtists = {"The Beatles",
                                           "Pink Floyd",
                                           "Led Zeppelin",
                                           "Deep Purple",
                                           "Queen",
                                           "Metallica",
                                           "Nirvana",
                                           "Radiohead",
                                           "Depeche Mode",
                                           "Daft Punk",
                                           "Miles Davis",
                                           "John Coltrane",
                                           "Bach",
                                           "Mozart",
                                           "Beethoven",
                                           "Vivaldi",
                                           "\xCA\xE8\xED\xEE",
                                           "\xC0\xEA\xE2\xE0\xF0\xE8\xF3\xEC",
                                           "\xC4\xC4\xD2",
                                           "\xCC\xE0\xF8\xE8\xED\xE0 \xC2\xF0\xE5\xEC\xE5\xED\xE8",
                                           "\xD1\xEF\xEB\xE8\xEC",
                                           "\xC7\xE5\xEC\xF4\xE8\xF0\xE0",
                                           "Rolling Stones",
                                           "AC-DC",
                                           "Black Sabbath",
                                           "Iron Maiden",
                                           "U2",
                                           "R.E.M.",
                                           "Guns N' Roses",
                                           "Dire Straits"};
const std::vector<std::string> kMusicExt = {".mp3", ".mp3", ".mp3", ".flac", ".ogg", ".wma",
                                            ".m4a", ".ape", ".wav", ".cue",  ".m3u", ".jpg"};
const std::vector<std::string> kOtherExt = {".avi", ".mkv", ".mp4",  ".iso", ".exe", ".zip",
                                            ".rar", ".pdf", ".djvu", ".doc", ".txt", ".7z"};

class NameMaker {
public:
    explicit NameMaker(unsigned seed)
        : rng_(seed), english_(zipf(kEnglish.size())), russian_(zipf(kRussian.size())) {}

    // A word; the k-th of a list comes with a weight of 1 / (k + 8), so a few words are
    // common and most are rare, as in real names.
    const std::string& word() {
        if (pick(4) == 0) return kRussian[russian_(rng_)];
        return kEnglish[english_(rng_)];
    }
    std::string capitalised() {
        std::string w = word();
        w[0] = quarrow::upperCp1251(w[0]);
        return w;
    }
    std::string words(std::size_t count) {
        std::string out;
        for (std::size_t i = 0; i < count; ++i) {
            if (i) out += ' ';
            out += pick(2) ? capitalised() : word();
        }
        return out;
    }
    std::size_t pick(std::size_t n) { return rng_() % n; }
    const std::string& any(const std::vector<std::string>& list) { return list[pick(list.size())]; }
    std::string year() { return std::to_string(1965 + pick(60)); }
    std::string two(std::size_t n) { return (n < 10 ? "0" : "") + std::to_string(n); }

    std::string musicFolder() {
        return "/pub/music/" + any(kArtists) + "/" + year() + " - " + words(1 + pick(3)) +
               (pick(4) == 0 ? " (Deluxe Edition)" : "") + "/";
    }
    std::string otherFolder() {
        static const std::vector<std::string> tops = {"/pub/video/", "/pub/soft/", "/pub/books/",
                                                      "/incoming/", "/mirror/files/"};
        return any(tops) + words(1 + pick(2)) + (pick(3) == 0 ? "_" + year() : "") + "/";
    }
    std::string musicName(std::size_t track) {
        switch (pick(4)) {
            case 0:
                return two(track) + " - " + words(1 + pick(4)) + any(kMusicExt);
            case 1:
                return any(kArtists) + " - " + words(1 + pick(3)) + any(kMusicExt);
            case 2:
                return two(track) + ". " + words(2 + pick(3)) + " (" +
                       (pick(2) ? "live" : "remix") + ")" + any(kMusicExt);
            default:
                return "[" + year() + "] " + words(1 + pick(3)) + "-" + two(track) + any(kMusicExt);
        }
    }
    std::string otherName(std::size_t n) {
        switch (pick(3)) {
            case 0: {
                std::string name = words(2 + pick(3));
                for (char& c : name)
                    if (c == ' ') c = '.';
                return name + "." + year() + ".DVDRip" + any(kOtherExt);
            }
            case 1:
                return words(1 + pick(2)) + "_v" + std::to_string(1 + pick(9)) + "." +
                       std::to_string(pick(20)) + any(kOtherExt);
            default:
                return capitalised() + " " + words(pick(3)) + " - part " + std::to_string(n) +
                       any(kOtherExt);
        }
    }

private:
    static std::discrete_distribution<std::size_t> zipf(std::size_t n) {
        std::vector<double> weights(n);
        for (std::size_t k = 0; k < n; ++k) weights[k] = 1.0 / static_cast<double>(k + 8);
        return {weights.begin(), weights.end()};
    }

    std::mt19937 rng_;
    std::discrete_distribution<std::size_t> english_;
    std::discrete_distribution<std::size_t> russian_;
};

struct Part {
    std::vector<std::string> header;
    StringList dirs, names;
    std::vector<std::string> folders;
};

Part makePart(std::size_t index, std::size_t count) {
    NameMaker maker(static_cast<unsigned>(1000 + index));
    Part part;
    const std::string server = "ftp" + std::to_string(index) + ".example.org";
    quarrow::SnapshotHeaderTexts texts{"FTP snapshot: ftp://", "Created: ", "Files: ", ""};
    part.header = quarrow::buildSnapshotHeader(texts, server, "/", count, "anonymous", {}, "*.*",
                                               "01.02.2026_10.00.00");
    std::size_t written = 0;
    while (written < count) {
        const bool music = maker.pick(3) != 0;
        const std::string folder = music ? maker.musicFolder() : maker.otherFolder();
        const std::size_t files = std::min(count - written, 3 + maker.pick(25));
        const std::size_t first = written;
        for (std::size_t n = 1; n <= files; ++n, ++written) {
            part.dirs.append(n == 1 ? folder : std::to_string(first));
            part.names.append(music ? maker.musicName(n) : maker.otherName(n));
        }
        part.folders.push_back(folder);
    }
    return part;
}

void writePart(const std::string& dir, std::size_t index, const Part& part) {
    char name[32];
    std::snprintf(name, sizeof name, "part%04zu.qrnet", index);
    const std::string bytes = quarrow::packSnapshot(
        name, quarrow::buildSnapshotContent(part.header, part.dirs, part.names));
    std::ofstream(dir + "/Arhive/" + name, std::ios::binary) << bytes;
}

}  // namespace

int main(int argc, char** argv) {
    std::size_t names = 1'000'000, snapshots = 100;
    std::string out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        if (key == "--names") names = std::strtoull(argv[i + 1], nullptr, 10);
        if (key == "--snapshots") snapshots = std::strtoull(argv[i + 1], nullptr, 10);
        if (key == "--out") out = argv[i + 1];
    }
    if (out.empty() || snapshots == 0) {
        std::fputs("usage: search_corpus --names N --snapshots K --out DIR\n", stderr);
        return 2;
    }
    std::filesystem::create_directories(out + "/Arhive");
    std::ofstream text(out + "/names.txt", std::ios::binary);
    // Two parts at a time: one is packed on a second thread while this one writes the text.
    for (std::size_t index = 0; index < snapshots; index += 2) {
        std::vector<Part> parts(std::min<std::size_t>(2, snapshots - index));
        std::vector<std::thread> workers;
        for (std::size_t k = 0; k < parts.size(); ++k) {
            const std::size_t part = index + k;
            const std::size_t count = names / snapshots + (part < names % snapshots ? 1 : 0);
            workers.emplace_back([&, part, count, k] {
                parts[k] = makePart(part, count);
                writePart(out, part, parts[k]);
            });
        }
        for (auto& w : workers) w.join();
        for (const Part& part : parts) {
            for (std::size_t i = 0; i < part.names.size(); ++i)
                text << quarrow::cp1251ToUtf8(part.names[i]) << '\n';
            for (const auto& folder : part.folders) text << quarrow::cp1251ToUtf8(folder) << '\n';
        }
    }
    text.close();
    std::ofstream(out + "/done") << names << " names in " << snapshots << " snapshots\n";
    return 0;
}
