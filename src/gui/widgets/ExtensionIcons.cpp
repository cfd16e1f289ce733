#include "gui/widgets/ExtensionIcons.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

namespace quarrow {
namespace {

QIcon themeIcon(const QString& name, const QString& fallbackName, const QIcon& fallback) {
    return QIcon::fromTheme(name, QIcon::fromTheme(fallbackName, fallback));
}

}  // namespace

QString extensionKey(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : fileName.mid(dot).toUpper();
}

ExtensionIcons::ExtensionIcons()
    : folder_(themeIcon(QStringLiteral("folder"), QStringLiteral("inode-directory"),
                        QApplication::style()->standardIcon(QStyle::SP_DirIcon))),
      genericFile_(QApplication::style()->standardIcon(QStyle::SP_FileIcon)) {}

const QIcon& ExtensionIcons::iconFor(const QString& fileName) {
    const QString key = extensionKey(fileName);
    for (std::size_t i = 0; i < extensions_.size(); ++i)
        if (extensions_[i] == key) return icons_[i];
    const QMimeType type = QMimeDatabase().mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
    extensions_.push_back(key);
    icons_.push_back(themeIcon(type.iconName(), type.genericIconName(), genericFile_));
    return icons_.back();
}

}  // namespace quarrow
