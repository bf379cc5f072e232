#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
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

namespace {

// The Qt headers a plain part may use (QtCore), and those a transport adds (QtNetwork).
const std::set<std::string> kCoreHeaders = {"QByteArray", "QCoreApplication", "QElapsedTimer", "QEventLoop",
                                            "QList", "QObject", "QPointer", "QString", "QStringList",
                                            "QTimer", "Qt", "QtGlobal", "QVector"};
const std::set<std::string> kNetworkHeaders = {"QAbstractSocket", "QHostAddress", "QHostInfo", "QNetworkDatagram",
                                               "QTcpServer", "QTcpSocket", "QUdpSocket"};

struct RoleRule {
    std::string folder;
    std::vector<std::string> includes; // path prefixes a file of the folder may include
    bool network;                      // QtNetwork besides QtCore
};

bool StartsWithAny(const std::string& text, const std::vector<std::string>& prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(), [&](const std::string& p) { return text.rfind(p, 0) == 0; });
}

// platform/ui holds the widget behaviours: a role without widgets names each such header it may use.
bool MayInclude(const RoleRule& rule, const std::string& path)
{
    const bool widgetHelper = path.rfind("platform/ui/", 0) == 0;
    if (widgetHelper)
        return std::find(rule.includes.begin(), rule.includes.end(), path) != rule.includes.end();
    return StartsWithAny(path, rule.includes);
}

} // namespace

// Inside the link, a role includes only the roles before it (protocol < serial < net < ui); the plain protocol
// and the serial transfers use no Qt but QtCore, the TCP transports QtNetwork besides; only ui has widgets.
TEST(Layers, LinkRolesIncludeOnlyTheRolesBeforeThem)
{
    const std::vector<std::string> plain = {"platform/", "image/", "link/protocol/"};
    std::vector<std::string> serial = plain;
    serial.insert(serial.end(), {"cport/", "link/serial/"});
    std::vector<std::string> net = serial;
    net.insert(net.end(), {"platform/ui/Latin1.h", "link/net/"});
    const std::vector<RoleRule> rules = {
        {"link/protocol", plain, false}, {"link/serial", serial, false}, {"link/net", net, true}};

    const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
    const std::regex qt(R"(^\s*#\s*include\s*<(Q[^>]*)>)");
    int checked = 0;
    for (const RoleRule& rule : rules) {
        for (const auto& entry : fs::directory_iterator(fs::path(KIV_SOURCE_DIR) / rule.folder)) {
            if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h")
                continue;
            ++checked;
            std::ifstream in(entry.path());
            std::string line;
            for (int n = 1; std::getline(in, line); ++n) {
                const std::string where = entry.path().string() + ":" + std::to_string(n);
                std::smatch m;
                if (std::regex_search(line, m, quoted)) {
                    EXPECT_TRUE(MayInclude(rule, m[1].str())) << where << " includes " << m[1].str();
                } else if (std::regex_search(line, m, qt)) {
                    EXPECT_TRUE(kCoreHeaders.count(m[1].str()) || (rule.network && kNetworkHeaders.count(m[1].str())))
                        << where << " includes <" << m[1].str() << ">";
                }
            }
        }
    }
    EXPECT_GT(checked, 50);
}
