// Temporary folders for tests.
#include "support/temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <stdexcept>

namespace kelmoro::test {
namespace {

// Paths are UTF-8 for the program on every system.
std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

TempDir::TempDir() : TempDir(Utf8(std::filesystem::temp_directory_path())) {}

TempDir::TempDir(const std::string& parent) {
    static std::mt19937_64 generator{std::random_device{}()};
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::filesystem::path candidate =
            std::filesystem::path(parent) / ("kelmoro-test-" + std::to_string(generator()));
        if (std::filesystem::create_directory(candidate)) path_ = Utf8(candidate);
    }
    if (path_.empty()) throw std::runtime_error("no temporary folder could be made in " + parent);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::List() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(Utf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kelmoro::test
