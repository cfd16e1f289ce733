#pragma once

#include <string_view>

namespace quarrow {

// The alphabetical sort of a snapshot that the end of a scan and a page close ask for.
// Snapshots are never changed after their writer finished them, so the request touches no
// file, shows nothing and always reports that nothing was sorted.
bool SortSnapshot(std::string_view snapshotFile, bool showMessage);

}  // namespace quarrow
