// A fresh folder under /tmp for a test's files, removed with its contents.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/nimbrel-test-XXXXXX";
        if (mkdtemp(pattern)) path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir &) = delete;
    ScratchDir &operator=(const ScratchDir &) = delete;

    bool Ok() const { return !path_.empty(); }
    const std::string &Path() const { return path_; }
    std::string File(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};
