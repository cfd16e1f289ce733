#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <memory>

namespace quarrow::test {

// The Qt Test suites of the window program by name. Each suite's file registers its suite; the
// test executable runs the one named on its command line (or all of them).
using GuiSuiteMaker = std::function<std::unique_ptr<QObject>()>;
std::map<QString, GuiSuiteMaker>& guiSuites();

#define QUARROW_GUI_SUITE(Name)                                                             \
    [[maybe_unused]] static const bool registered##Name =                                   \
        guiSuites()                                                                         \
            .emplace(QStringLiteral(#Name),                                                 \
                     []() -> std::unique_ptr<QObject> { return std::make_unique<Name>(); }) \
            .second;

}  // namespace quarrow::test
