#include "platform/FileReplace.h"

#include "platform/FileIO.h"
#include "platform/SaveTarget.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

std::atomic<SaveStepWatch> stepWatch{nullptr};

void Step(SaveStep step, const std::string& file)
{
    if (SaveStepWatch watch = stepWatch.load())
        watch(step, file);
}

int WriteAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return EIO;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return 0;
}

// The process's file mode mask, read without changing it: setting it to read it back would race with any
// other thread creating a file.
mode_t CurrentUmask()
{
    if (FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// Gives the new file, still empty, what the old one had: its owner where the system lets us (root saving a
// user's file), else its group where the user belongs to it, then its permission bits (a change of owner may
// clear some). A new file gets what the mask allows.
int KeepOwnerAndMode(int fd, const struct stat* old)
{
    if (!old)
        return ::fchmod(fd, 0666 & ~CurrentUmask()) != 0 ? errno : 0;
    mode_t mode = old->st_mode & 07777;
    const bool ownerKept = old->st_uid == ::geteuid();
    if ((!ownerKept || old->st_gid != ::getegid()) && ::fchown(fd, old->st_uid, old->st_gid) != 0) {
        if (errno != EPERM)
            return errno;
        // The user's own group was never given the rights of the file's group.
        if (::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0 && errno == EPERM)
            mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID);
    }
    return ::fchmod(fd, mode) != 0 ? errno : 0;
}

// Opens a file of a name no one else uses, beside path, readable by the user alone; fd < 0 and the error
// number on failure.
int CreateTemporary(const std::string& path, std::string& temp, int& fd)
{
    fd = -1;
    for (int i = 0; i < 100; ++i) {
        temp = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(i);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int SyncData(int fd)
{
    return ::fsync(fd) != 0 ? errno : 0;
}

// The file's bytes from its start, the rest cut off (nothing to cut from a new file), on the disk before the
// handle closes.
int WriteAndClose(int fd, std::string_view data)
{
    int error = WriteAll(fd, data);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(data.size())) != 0)
        error = errno;
    if (error == 0)
        error = SyncData(fd);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// The rename is durable only once the folder is: until then a power cut can bring the old file back. A folder
// the user may not read cannot be opened to sync it, nor can every file system sync one (EINVAL); the rename
// then stands as the system keeps it.
int SyncFolder(const std::string& file)
{
    const int fd = ::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES ? 0 : errno;
    int error = SyncData(fd);
    ::close(fd);
    if (error == EINVAL)
        error = 0;
    if (error == 0)
        Step(SaveStep::FolderSynced, file);
    return error;
}

// For a file the user may write in a folder the user may not change: its bytes are written over from the
// start and the rest cut off, so its owner, mode and links all stay; a failure past the open leaves it
// in between, and the reason says so.
SaveResult WriteInPlace(const std::string& target, std::string_view data)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return SaveResult::Of(errno);
    Step(SaveStep::ReadyToWrite, target);
    const int error = WriteAndClose(fd, data);
    if (error == 0)
        return {};
    return {error, SystemErrorText(error) + "; " + target +
                       " was being written in place, as its folder may not be changed, and may now be incomplete"};
}

// Whether a save that could not make or rename its new file beside the old one may write the old one itself:
// the user may write the file but not the folder (or, in a sticky folder, not replace another user's file).
bool InPlaceInstead(int error, bool exists)
{
    return exists && (error == EACCES || error == EPERM);
}

int WriteNewFile(int fd, std::string_view data, const struct stat* old, const std::string& temp)
{
    Step(SaveStep::Created, temp);
    if (int error = KeepOwnerAndMode(fd, old)) {
        ::close(fd);
        return error;
    }
    Step(SaveStep::ReadyToWrite, temp);
    return WriteAndClose(fd, data);
}

} // namespace

SaveResult SaveResult::Of(int error)
{
    return {error, SystemErrorText(error)};
}

void WatchSaveSteps(SaveStepWatch watch)
{
    stepWatch.store(watch);
}

SaveResult ReplaceFile(const std::string& path, std::string_view data)
{
    std::string target;
    if (SaveResult found = SaveTarget(path, target); found.Failed())
        return found;
    struct stat old {
    };
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // The rename needs only the folder's rights: a file its owner protected is refused here, as a write into it
    // would be (root may write any file).
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return SaveResult::Of(errno);
    std::string temp;
    int fd = -1;
    if (int error = CreateTemporary(target, temp, fd))
        return InPlaceInstead(error, exists) ? WriteInPlace(target, data) : SaveResult::Of(error);
    if (int error = WriteNewFile(fd, data, exists ? &old : nullptr, temp)) {
        ::unlink(temp.c_str());
        return SaveResult::Of(error);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        return InPlaceInstead(error, exists) ? WriteInPlace(target, data) : SaveResult::Of(error);
    }
    Step(SaveStep::Renamed, target);
    if (int synced = SyncFolder(target))
        return SaveResult::Of(synced);
    return {};
}
