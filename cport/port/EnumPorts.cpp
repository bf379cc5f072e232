#include "cport/port/EnumPorts.h"

#include "cport/port/EComPort.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

namespace
{
bool IsDir(const std::string& Path)
{
    struct stat st {
    };
    return stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Legacy 8250 slots are listed whether a UART sits there or not; type 0 means nothing is there.
bool PhantomUart(const std::string& Entry, const std::string& Name)
{
    if (Name.rfind("ttyS", 0) != 0)
        return false;
    std::ifstream f(Entry + "/type");
    int type = -1;
    return f >> type && type == 0;
}
} // namespace

void EnumComPortsIn(const std::string& SysClassTty, std::vector<std::string>& Ports)
{
    DIR* dir = opendir(SysClassTty.c_str());
    if (!dir)
        throw EComPort(ComErr::Registry, errno);
    std::vector<std::string> found;
    while (dirent* e = readdir(dir)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string entry = SysClassTty + "/" + name;
        if (!IsDir(entry + "/device") || PhantomUart(entry, name))
            continue;
        found.push_back(name);
    }
    closedir(dir);
    std::sort(found.begin(), found.end());
    Ports = std::move(found);
}

void EnumComPorts(std::vector<std::string>& Ports)
{
    EnumComPortsIn("/sys/class/tty", Ports);
}
