#pragma once

#include <QIcon>
#include <QString>
#include <vector>

namespace quarrow {

// The upper-cased extension of a file name (from its last "." on), empty when it has none.
QString extensionKey(const QString& fileName);

// One icon per file extension met in the result lists, looked up once from the desktop's icon
// theme by the name's type (the name only, never the disk) and kept for the program's life.
class ExtensionIcons {
public:
    ExtensionIcons();

    const QIcon& folderIcon() const { return folder_; }
    // The icon for `fileName`'s extension, fetched on its first use.
    const QIcon& iconFor(const QString& fileName);
    // Extensions met so far, in order of first use (the icon's index in the cache).
    const std::vector<QString>& extensions() const { return extensions_; }

private:
    QIcon folder_;
    QIcon genericFile_;
    std::vector<QString> extensions_;
    std::vector<QIcon> icons_;
};

}  // namespace quarrow
