#include "engine/Settings.h"

#include <algorithm>

#include "platform/FileSystem.h"
#include "platform/IniFile.h"

namespace quarrow {
namespace {

constexpr const char* kMainPos = "MainWinPos";
constexpr const char* kNewFilesPos = "F3WinPos";
constexpr int kSmallestSavedSize = 100;

WindowBounds readBounds(const IniFile& ini, const char* section, const WindowBounds& defaults) {
    return {ini.readInteger(section, "Left", defaults.left),
            ini.readInteger(section, "Top", defaults.top),
            ini.readInteger(section, "Width", defaults.width),
            ini.readInteger(section, "Height", defaults.height)};
}

bool writeBounds(IniFile& ini, const char* section, const WindowBounds& bounds,
                 std::string* error) {
    return ini.writeInteger(section, "Left", bounds.left, error) &&
           ini.writeInteger(section, "Top", bounds.top, error) &&
           ini.writeInteger(section, "Width", bounds.width, error) &&
           ini.writeInteger(section, "Height", bounds.height, error);
}

}  // namespace

std::string dateTimeText(std::time_t t) {
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return text;
}

namespace {

// Values out of range are taken as the nearest sensible one.
int readBounded(const IniFile& ini, const char* key, int fallback, int lowest, int highest) {
    return std::clamp(ini.readInteger("Connection", key, fallback), lowest, highest);
}

void readConnection(const IniFile& ini, FtpOptions& connection) {
    connection.passive = ini.readBool("Connection", "Passive", connection.passive);
    FtpReconnect& reconnect = connection.reconnect;
    reconnect.attempts = readBounded(ini, "Reconnects", reconnect.attempts, 0, 100);
    reconnect.firstPauseMs = readBounded(ini, "ReconnectPause", reconnect.firstPauseMs, 0, 60000);
    FtpTimeouts& timeouts = connection.timeouts;
    timeouts.responseSeconds = readBounded(ini, "Timeout", timeouts.responseSeconds, 1, 3600);
    timeouts.acceptSeconds = readBounded(ini, "AcceptTimeout", timeouts.acceptSeconds, 1, 3600);
    FtpListingLimits& limits = connection.listing.limits;
    limits.maxSeconds = readBounded(ini, "ListingTime", limits.maxSeconds, 1, 86400);
    connection.parallelListings =
        readBounded(ini, "ParallelListings", connection.parallelListings, 1, 32);
}

// The PEM file secure connections verify servers against instead of the system's store; a
// relative name is taken from the program folder, where the settings file lies.
std::string tlsCaFile(const IniFile& ini, const std::string& settingsPath) {
    std::string file = ini.readString("Connection", "TlsCaFile", "");
    if (!file.empty() && file.front() != '/') file.insert(0, folderOf(settingsPath));
    return file;
}

}  // namespace

MainSettings LoadSettings(const std::string& path, std::time_t now) {
    IniFile ini(path);
    MainSettings settings;
    settings.lastUpdateCheck = dateTimeText(now);
    if (!ini.load()) return settings;
    settings.mainWindow = readBounds(ini, kMainPos, settings.mainWindow);
    settings.newFilesWindow = readBounds(ini, kNewFilesPos, settings.newFilesWindow);
    settings.identText = ini.readString("Ident", "IdentText", settings.identText);
    settings.autoUpdate = ini.readBool("Update", "cbsupdate", settings.autoUpdate);
    settings.lastUpdateCheck = ini.readString("Update", "endupdatedate", settings.lastUpdateCheck);
    settings.updateUrl = ini.readString("Update", "UpdateUrl", settings.updateUrl);
    settings.activePage = ini.readInteger("MainWinPage", "Active", settings.activePage);
    settings.newFilesView = ini.readInteger("F3VIEV", "Active", settings.newFilesView);
    settings.language = ini.readInteger("MainWinLang", "Lang", settings.language);
    readConnection(ini, settings.connection);
    settings.connection.tls.caFile = tlsCaFile(ini, path);
    return settings;
}

bool SaveSettings(const std::string& path, const MainSettings& settings, bool newFilesWindowExists,
                  std::string* error) {
    IniFile ini(path);
    const bool mainSaved =
        ini.writeInteger("MainWinLang", "Lang", settings.language, error) &&
        writeBounds(ini, kMainPos, settings.mainWindow, error) &&
        ini.writeInteger("MainWinPage", "Active", settings.activePage, error) &&
        ini.writeString("Ident", "IdentText", settings.identText, error) &&
        ini.writeBool("Update", "cbsupdate", settings.autoUpdate, error) &&
        ini.writeString("Update", "endupdatedate", settings.lastUpdateCheck, error);
    if (!mainSaved || !newFilesWindowExists) return mainSaved;
    return writeBounds(ini, kNewFilesPos, settings.newFilesWindow, error) &&
           ini.writeInteger("F3VIEV", "Active", settings.newFilesView, error);
}

Placement PlaceMainWindow(const WindowBounds& saved, int screenWidth, int screenHeight) {
    if (saved.left == kUnsetPosition || saved.top == kUnsetPosition ||
        saved.width <= kSmallestSavedSize || saved.height <= kSmallestSavedSize)
        return {};
    if (saved.left < 0 && saved.top < 0) return {PlacementKind::Maximised, saved};
    WindowBounds bounds = saved;
    if (bounds.left + bounds.width > screenWidth) bounds.left = screenWidth - bounds.width;
    if (bounds.top + bounds.height > screenHeight) bounds.top = screenHeight - bounds.height;
    return {PlacementKind::Bounds, bounds};
}

int TopInsideWorkArea(int top, int height, int workAreaBottom) {
    return top + height >= workAreaBottom ? workAreaBottom - height : top;
}

}  // namespace quarrow
