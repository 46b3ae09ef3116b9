// A fresh folder under /tmp (or $TMPDIR, or a folder given) for one test,
// removed with everything in it.
#pragma once

#include <string>
#include <vector>

namespace kelmoro::test {

class TempDir {
public:
    TempDir();
    explicit TempDir(const std::string& parent);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // The names in the folder, sorted (hidden ones included).
    std::vector<std::string> List() const;

private:
    std::string path_;
};

}  // namespace kelmoro::test
