#include "app/text_file.h"

#include <fstream>

TextFileRead ReadTextFile(const std::string &path, std::size_t maxBytes, std::string &text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TextFileRead::Unreadable;
    std::string read;
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        read.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (read.size() > maxBytes) return TextFileRead::TooLarge;
    }
    if (in.bad()) return TextFileRead::Unreadable;
    text = std::move(read);
    return TextFileRead::Ok;
}
