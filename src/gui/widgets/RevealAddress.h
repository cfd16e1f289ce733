#pragma once

#include <QUrl>
#include <string>
#include <string_view>

namespace quarrow {

// The address opened for an archive hit at `location` (a folder reference, or one followed by
// a file name): "ftp://" in front unless the location holds it ("ftp:/" when it begins with
// "/"), cut after its last "/" so that it names the hit's folder. The desktop has no way to
// select an item inside a folder it opens, so the folder is what is shown.
std::string revealAddress(std::string_view location);

// The same address as a URL. What precedes the first "/" after the scheme is the host, the
// rest the path taken literally: blanks, "#", "?" and Cyrillic in folder names are encoded,
// never read as URL syntax.
QUrl revealUrl(std::string_view location);

}  // namespace quarrow
