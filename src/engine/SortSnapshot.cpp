#include "engine/SortSnapshot.h"

namespace quarrow {

bool SortSnapshot(std::string_view, bool) {
    return false;
}

}  // namespace quarrow
