// The AU files a run is writing at this moment: with -j several inputs are
// converted at once, and one that maps to the same file as an input still
// being converted waits for it, so that the earlier input in the list wins.
// Memory: one entry per file in flight.
#pragma once

#include <string>
#include <unordered_set>

namespace kelmoro {

class OutputClaims {
public:
    // A key naming the file at `outputPath`: its folder by its identity (so
    // "./x.au", "x.au" and a path through a link to the folder agree), then
    // its name.
    static std::string KeyFor(const std::string& outputPath);

    bool Claimed(const std::string& key) const { return claims_.contains(key); }
    void Claim(const std::string& key) { claims_.insert(key); }
    void Release(const std::string& key) { claims_.erase(key); }

private:
    std::unordered_set<std::string> claims_;
};

}  // namespace kelmoro
