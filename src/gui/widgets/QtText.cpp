#include "gui/widgets/QtText.h"

#include "platform/Cp1251.h"

namespace quarrow {

QString fromSystem(std::string_view cp1251) {
    const std::string utf8 = cp1251ToUtf8(cp1251);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toSystem(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToCp1251(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

QString labelText(std::string_view cp1251) {
    QString text = fromSystem(cp1251);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace quarrow
