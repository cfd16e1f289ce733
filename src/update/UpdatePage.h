#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarrow {

// The maker's web server: the options tab links to its home page, and update checks read the
// update page from it unless the settings name another address.
inline constexpr std::string_view kHomeHost = "quarrow.example.org";
std::string HomePageUrl();
std::string DefaultUpdatePage();

// How an announced version stands to the running one, compared digit by digit at the four
// digit places of "d.d.d.d" (text positions 0, 2, 4 and 6).
enum class AnnouncedVersion {
    Newer,
    Older,
    Same,
    // A compared place holds no digit in either text, or lies past its end, before the
    // comparison was decided: nothing can be said.
    Unreadable,
};
AnnouncedVersion CompareAnnounced(std::string_view own, std::string_view announced);

// What one update page says about the running version `own`.
struct UpdatePageFindings {
    std::optional<std::string> downloadUrl;  // the value of the last download line
    std::string announced;                   // the last version value compared
    bool updateAvailable = false;
};

// Reads the page's lines (CR LF, LF or CR) in two passes. A key counts only at the start of
// the trimmed line, and its value is taken from the untrimmed line right after the key, so
// trailing blanks stay in it. First pass: every "url_site_downloand=" line gives the download
// address, the last one wins. Second pass: each "last_version=" line (at most 255 characters
// of value) is compared with `own`: a newer one announces the update and ends the reading, an
// unreadable one ends it without, and the same or an older version goes on with the next
// line, so a page listing an old version before the new one still announces it. An empty
// `own` reads nothing.
UpdatePageFindings ReadUpdatePage(std::string_view page, std::string_view own);

}  // namespace quarrow
