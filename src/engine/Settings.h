#pragma once

#include <climits>
#include <ctime>
#include <string>

#include "platform/FtpSession.h"

namespace quarrow {

struct WindowBounds {
    int left = 0, top = 0, width = 0, height = 0;
};

// The window program's settings file: window placement, page, language, identification and
// the update options. Missing keys, and values that are not numbers, give these defaults.
struct MainSettings {
    WindowBounds mainWindow{200, 200, 385, 100};
    int activePage = 0;
    int language = 0;
    std::string identText = "Quarrowbrisk";
    bool autoUpdate = true;
    std::string lastUpdateCheck;  // date and time text, see dateTimeText
    // The update page ("Update"/"UpdateUrl"); empty: the maker's page. Only read, like the
    // connection settings below, so an address set by hand is kept.
    std::string updateUrl;
    WindowBounds newFilesWindow{100, 100, 544, 390};
    int newFilesView = 0;
    // How scans talk to servers (section "Connection": Passive, Reconnects, ReconnectPause in
    // milliseconds, Timeout and AcceptTimeout in seconds, TlsCaFile the PEM file of the
    // certificates secure connections trust instead of the system's). Only read: the window
    // has no control for them, so values set by hand are kept.
    FtpOptions connection;
};

// A date and time as the settings file stores it: "dd.mm.yyyy hh:nn:ss", local time.
std::string dateTimeText(std::time_t t);

// Reads the settings file; `now` is the update check's date when none is stored. A missing or
// unreadable file gives the defaults.
MainSettings LoadSettings(const std::string& path, std::time_t now);

// Writes the values in the order the program closes with; the new-files window's bounds and
// view only when that window exists. False with `error` at the first value not written.
bool SaveSettings(const std::string& path, const MainSettings& settings, bool newFilesWindowExists,
                  std::string* error = nullptr);

// Where the main window goes at start-up, given the saved bounds and the screen's size.
enum class PlacementKind { Designed, Maximised, Bounds };
struct Placement {
    PlacementKind kind = PlacementKind::Designed;
    WindowBounds bounds;
};

// Saved bounds apply only when Left and Top are real values and Width and Height both exceed
// 100; both Left and Top negative means maximised; otherwise a window reaching past the
// screen's right or bottom edge is moved back onto it.
Placement PlaceMainWindow(const WindowBounds& saved, int screenWidth, int screenHeight);

// The top that keeps a window's lower edge inside the work area: moved up when its bottom is
// at or below the work area's bottom.
int TopInsideWorkArea(int top, int height, int workAreaBottom);

// A saved position of the largest integer means no position was recorded.
inline constexpr int kUnsetPosition = INT_MAX;

}  // namespace quarrow
