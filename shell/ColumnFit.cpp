// How the columns of a list share its width.
#include "shell/ColumnFit.h"

#include <algorithm>
#include <numeric>

namespace qm {

namespace {

// Water filling: a column that wants less than an equal share of what is
// left gets what it wants; the others split the rest equally.
void ShareAmong(const std::vector<ColumnNeed>& columns, const std::vector<size_t>& members, int room,
                std::vector<int>& widths) {
    std::vector<size_t> open = members;
    while (!open.empty()) {
        const int share = room / static_cast<int>(open.size());
        std::vector<size_t> wider;
        for (size_t i : open) {
            if (columns[i].wanted <= share) {
                widths[i] = columns[i].wanted;
                room -= columns[i].wanted;
            } else {
                wider.push_back(i);
            }
        }
        if (wider.size() == open.size()) {
            for (size_t k = 0; k < wider.size(); ++k)
                widths[wider[k]] = share + (k == 0 ? room - share * static_cast<int>(wider.size()) : 0);
            return;
        }
        open = wider;
    }
    if (!members.empty()) widths[members.front()] += std::max(0, room);  // room left over
}

}  // namespace

std::vector<int> FitColumnWidths(const std::vector<ColumnNeed>& columns, int available) {
    available = std::max(0, available);
    std::vector<int> widths(columns.size(), 0);
    std::vector<size_t> fitted, objects;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].role == ColumnRole::Fitted) fitted.push_back(i);
        if (columns[i].role == ColumnRole::Object) objects.push_back(i);
    }
    const int cap = available * kFittedSharePercent / 100;
    int used = 0;
    for (size_t i : fitted) {
        widths[i] = std::max(std::min(columns[i].wanted, cap), std::min(columns[i].minimum, columns[i].wanted));
        used += widths[i];
    }
    if (objects.empty()) {
        if (!fitted.empty() && used < available) widths[fitted.back()] += available - used;
        return widths;
    }
    // The fitted columns give up width, in proportion, until the objects keep their share.
    const int keep = available * kObjectSharePercent / 100;
    if (available - used < keep && used > 0) {
        const int allowed = available - keep;
        int given = 0;
        for (size_t i : fitted) {
            widths[i] = static_cast<int>(static_cast<long long>(widths[i]) * allowed / used);
            given += widths[i];
        }
        used = given;
    }
    ShareAmong(columns, objects, available - used, widths);
    return widths;
}

}  // namespace qm
