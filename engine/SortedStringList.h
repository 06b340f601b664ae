// A sorted list of texts that holds each text once, compared without regard
// to case in the user's locale (CompareStringA with NORM_IGNORECASE): the
// engine's search folders and pending deletions. A text already present in
// other case is not added again; the list keeps the first spelling.
#pragma once

#include <set>
#include <string>

namespace qm {

class SortedStringList {
public:
    struct Less {
        bool operator()(const std::string& a, const std::string& b) const;
    };
    using Set = std::set<std::string, Less>;

    // True when the text was added, false when it was already there.
    bool Add(const std::string& text) { return items_.insert(text).second; }
    bool Contains(const std::string& text) const { return items_.count(text) != 0; }
    int Count() const { return static_cast<int>(items_.size()); }
    void Clear() { items_.clear(); }

    Set::const_iterator begin() const { return items_.begin(); }
    Set::const_iterator end() const { return items_.end(); }
    Set::const_reverse_iterator rbegin() const { return items_.rbegin(); }
    Set::const_reverse_iterator rend() const { return items_.rend(); }

private:
    Set items_;
};

}  // namespace qm
