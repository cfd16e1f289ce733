#include "gui/widgets/RevealAddress.h"

#include "gui/widgets/QtText.h"

namespace quarrow {

std::string revealAddress(std::string_view location) {
    std::string address(location);
    if (address.find("ftp://") == std::string::npos)
        address.insert(0, address.starts_with('/') ? "ftp:/" : "ftp://");
    return address.substr(0, address.rfind('/') + 1);
}

QUrl revealUrl(std::string_view location) {
    const QString address = fromSystem(revealAddress(location));
    const qsizetype schemeEnd = address.indexOf(QStringLiteral("://"));
    if (schemeEnd < 0) return QUrl(address, QUrl::TolerantMode);
    const qsizetype hostStart = schemeEnd + 3;
    qsizetype pathStart = address.indexOf(QLatin1Char('/'), hostStart);
    if (pathStart < 0) pathStart = address.size();
    QUrl url;
    url.setScheme(address.left(schemeEnd));
    url.setAuthority(address.mid(hostStart, pathStart - hostStart));
    url.setPath(address.mid(pathStart), QUrl::DecodedMode);
    return url;
}

}  // namespace quarrow
