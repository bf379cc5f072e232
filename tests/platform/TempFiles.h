#pragma once

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A folder of the test's own, gone with it, and the whole bytes of a file.
struct TTempFiles {
    QTemporaryDir Folder;
    std::filesystem::path Dir{Folder.path().toStdString()};

    std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
    static std::string Read(const std::string& Path)
    {
        std::ifstream In(Path, std::ios::binary);
        return {std::istreambuf_iterator<char>(In), {}};
    }
    // Makes the folders on the way.
    static void Put(const std::string& Path, const std::string& Bytes)
    {
        std::filesystem::create_directories(std::filesystem::path(Path).parent_path());
        std::ofstream(Path, std::ios::binary) << Bytes;
    }
};
