#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Each layer may include only itself and the layers before it; the file formats need the image alone, so
// they stay plain and testable without a window.
TEST(Layers, NoSourceIncludesALaterLayer)
{
    const std::vector<std::string> order = {"platform", "image", "cport", "link", "pages", "channels", "files", "app"};
    std::map<std::string, std::vector<std::string>> allowed;
    for (size_t i = 0; i < order.size(); ++i)
        allowed[order[i]] = std::vector<std::string>(order.begin(), order.begin() + static_cast<long>(i) + 1);
    allowed["files"] = {"platform", "image", "files"};

    const std::regex include(R"(^\s*#\s*include\s*"([a-z]+)/)");
    int checked = 0;
    for (const auto& layer : order) {
        const fs::path dir = fs::path(KIV_SOURCE_DIR) / layer;
        if (!fs::exists(dir))
            continue;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const auto ext = entry.path().extension();
            if (ext != ".cpp" && ext != ".h")
                continue;
            ++checked;
            std::ifstream in(entry.path());
            std::string line;
            for (int n = 1; std::getline(in, line); ++n) {
                std::smatch m;
                if (!std::regex_search(line, m, include))
                    continue;
                const auto& ok = allowed[layer];
                EXPECT_NE(std::find(ok.begin(), ok.end(), m[1].str()), ok.end())
                    << entry.path().string() << ":" << n << " includes " << m[1].str();
            }
        }
    }
    EXPECT_GT(checked, 100);
}
