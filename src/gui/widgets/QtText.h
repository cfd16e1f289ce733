#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace quarrow {

// The one crossing between the system's Windows-1251 texts and Qt's strings.
QString fromSystem(std::string_view cp1251);
std::string toSystem(const QString& text);

// A status text's lone carriage returns as the line breaks a label shows.
QString labelText(std::string_view cp1251);

}  // namespace quarrow
