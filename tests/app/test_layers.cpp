#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

// Calls check with each #include line of the sources in folder (and below it, if deep), where names the
// line; returns how many files were read.
int ForEachInclude(const std::string& folder, bool deep,
                   const std::function<void(const std::string& line, const std::string& where)>& check)
{
    int files = 0;
    const auto visit = [&](const fs::path& path) {
        if (path.extension() != ".cpp" && path.extension() != ".h")
            return;
        ++files;
        std::ifstream in(path);
        std::string line;
        for (int n = 1; std::getline(in, line); ++n)
            if (line.find("#include") != std::string::npos)
                check(line, path.string() + ":" + std::to_string(n));
    };
    const fs::path dir = fs::path(KIV_SOURCE_DIR) / folder;
    if (deep)
        for (const auto& entry : fs::recursive_directory_iterator(dir))
            visit(entry.path());
    else
        for (const auto& entry : fs::directory_iterator(dir))
            visit(entry.path());
    return files;
}

} // namespace

// Each layer may include only itself and the layers before it; the file formats need the image alone, so
// they stay plain and testable without a window.
TEST(Layers, NoSourceIncludesALaterLayer)
{
    const std::vector<std::string> order = {"platform", "image", "cport", "link", "pages", "channels", "files", "app"};
    const std::regex include(R"(^\s*#\s*include\s*"([a-z]+)/)");
    int checked = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        std::vector<std::string> allowed(order.begin(), order.begin() + static_cast<long>(i) + 1);
        if (order[i] == "files")
            allowed = {"platform", "image", "files"};
        checked += ForEachInclude(order[i], true, [&](const std::string& line, const std::string& where) {
            std::smatch m;
            if (std::regex_search(line, m, include)) {
                EXPECT_NE(std::find(allowed.begin(), allowed.end(), m[1].str()), allowed.end())
                    << where << " includes " << m[1].str();
            }
        });
    }
    EXPECT_GT(checked, 100);
}

// Inside the serial port layer, a role includes only the roles before it (port < terminal < ui), and the port
// itself is plain QtCore, so its threads and the link layer never pull in widgets.
TEST(Layers, CportRolesIncludeOnlyTheRolesBeforeThem)
{
    const std::vector<std::string> roles = {"port", "terminal", "ui"};
    const std::set<std::string> core = {"QMetaObject", "QObject", "QtGlobal"};
    const std::regex quoted(R"(^\s*#\s*include\s*"cport/([a-z]+)/)");
    const std::regex qt(R"(^\s*#\s*include\s*<(Q[^>]*)>)");
    int checked = 0;
    for (size_t i = 0; i < roles.size(); ++i) {
        const std::vector<std::string> allowed(roles.begin(), roles.begin() + static_cast<long>(i) + 1);
        checked += ForEachInclude("cport/" + roles[i], true, [&](const std::string& line, const std::string& where) {
            std::smatch m;
            if (std::regex_search(line, m, quoted)) {
                EXPECT_NE(std::find(allowed.begin(), allowed.end(), m[1].str()), allowed.end())
                    << where << " includes cport/" << m[1].str();
            } else if (roles[i] == "port" && std::regex_search(line, m, qt)) {
                EXPECT_TRUE(core.count(m[1].str())) << where << " includes <" << m[1].str() << ">";
            }
        });
    }
    // Every source of the layer sits in one of the roles.
    for (const auto& entry : fs::directory_iterator(fs::path(KIV_SOURCE_DIR) / "cport"))
        EXPECT_TRUE(entry.is_directory() || entry.path().filename() == "CMakeLists.txt") << entry.path();
    EXPECT_GT(checked, 40);
}

// Inside the link, a role includes only the roles before it (protocol < serial < net < ui); the plain protocol
// and the serial transfers use no Qt but QtCore, the TCP transports QtNetwork besides; only ui has widgets,
// and a role without widgets names each platform/ui header it may use.
TEST(Layers, LinkRolesIncludeOnlyTheRolesBeforeThem)
{
    const std::set<std::string> core = {"QByteArray", "QCoreApplication", "QElapsedTimer", "QEventLoop",  "QList",
                                        "QObject",    "QPointer",         "QString",       "QStringList", "QTimer",
                                        "Qt",         "QtGlobal",         "QVector"};
    const std::set<std::string> network = {"QAbstractSocket", "QHostAddress", "QHostInfo", "QNetworkDatagram",
                                           "QTcpServer",      "QTcpSocket",   "QUdpSocket"};
    const std::vector<std::string> plain = {"platform/", "image/", "link/protocol/"};
    std::vector<std::string> serial = plain;
    serial.insert(serial.end(), {"cport/", "link/serial/"});
    std::vector<std::string> net = serial;
    net.insert(net.end(), {"platform/ui/Latin1.h", "link/net/"});
    const struct {
        std::string folder;
        std::vector<std::string> includes;
        bool network;
    } rules[] = {{"link/protocol", plain, false}, {"link/serial", serial, false}, {"link/net", net, true}};

    const std::regex quoted(R"(^\s*#\s*include\s*"([^"]+)\")");
    const std::regex qt(R"(^\s*#\s*include\s*<(Q[^>]*)>)");
    int checked = 0;
    for (const auto& rule : rules) {
        checked += ForEachInclude(rule.folder, false, [&](const std::string& line, const std::string& where) {
            std::smatch m;
            if (std::regex_search(line, m, quoted)) {
                const std::string path = m[1].str();
                const bool ok = path.rfind("platform/ui/", 0) == 0
                                    ? std::count(rule.includes.begin(), rule.includes.end(), path) > 0
                                    : std::any_of(rule.includes.begin(), rule.includes.end(),
                                                  [&](const std::string& p) { return path.rfind(p, 0) == 0; });
                EXPECT_TRUE(ok) << where << " includes " << path;
            } else if (std::regex_search(line, m, qt)) {
                EXPECT_TRUE(core.count(m[1].str()) || (rule.network && network.count(m[1].str())))
                    << where << " includes <" << m[1].str() << ">";
            }
        });
    }
    EXPECT_GT(checked, 50);
}

// A source file past 800 lines has outgrown one concern: it wants rooms of its own.
TEST(Layers, NoSourceFileIsOver800Lines)
{
    int checked = 0;
    for (const char* folder : {"platform", "image", "cport", "link", "pages", "channels", "files", "app"})
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(KIV_SOURCE_DIR) / folder)) {
            const auto ext = entry.path().extension();
            if (ext != ".cpp" && ext != ".h")
                continue;
            std::ifstream in(entry.path());
            const auto lines = std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
            EXPECT_LE(lines, 800) << entry.path();
            ++checked;
        }
    EXPECT_GT(checked, 200);
}
