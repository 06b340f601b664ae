// The order of the engine's sorted lists.
#include "engine/SortedStringList.h"

#include "platform/Platform.h"

namespace qm {

bool SortedStringList::Less::operator()(const std::string& a, const std::string& b) const {
    const int order = CurrentPlatform().CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                                       static_cast<int>(a.size()), b.data(),
                                                       static_cast<int>(b.size()));
    if (order == 0) return a < b;  // the comparison failed: fall back to the bytes
    return order == CSTR_LESS_THAN;
}

}  // namespace qm
