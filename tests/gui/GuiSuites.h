#pragma once

#include <QObject>
#include <memory>

namespace quarrow::test {

// The Qt Test suites of the window program; the test executable runs the one named on its
// command line (or all of them).
#define QUARROW_GUI_SUITE(Name)             \
    std::unique_ptr<QObject> make##Name() { \
        return std::make_unique<Name>();    \
    }

std::unique_ptr<QObject> makeGuiRulesTest();
std::unique_ptr<QObject> makeGuiScanTest();
std::unique_ptr<QObject> makeGuiCommandLineTest();
std::unique_ptr<QObject> makeGuiLanguageTest();
std::unique_ptr<QObject> makeGuiSettingsTest();
std::unique_ptr<QObject> makeGuiOptionsTest();
std::unique_ptr<QObject> makeGuiStressTest();
std::unique_ptr<QObject> makeGuiArchiveSearchTest();
std::unique_ptr<QObject> makeGuiNewFilesTest();
std::unique_ptr<QObject> makeGuiWatchDialogTest();
std::unique_ptr<QObject> makeGuiWatchTest();
std::unique_ptr<QObject> makeGuiUpdateTest();

}  // namespace quarrow::test
