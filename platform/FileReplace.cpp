#include "platform/FileReplace.h"

#include "platform/AccessAcl.h"
#include "platform/FileIO.h"
#include "platform/SaveTarget.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace
{

std::atomic<SaveStepWatch> stepWatch{nullptr};

// What a plain program asks for a new file: any user may read and write it, as far as the folder's default ACL or
// the process's mask allows.
constexpr mode_t kNewFileMode = 0666;

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

// Each change of the new file's protections is a step of its own, so that what the file admits in between can be
// looked at.
int Protect(int error, const std::string& file)
{
    Step(SaveStep::ProtectionChanged, file);
    return error;
}

// A system call's error number, read before anything else may change it.
int ErrorOf(int result)
{
    return result != 0 ? errno : 0;
}

// Gives the new file, still empty, the old one's owner where the system lets us (root saving a user's file),
// else its group where the user belongs to it. made is what the file then has: a folder that gives new files
// its own group (setgid) may have given it a group the old file never had.
int KeepOwner(int fd, const struct stat& old, struct stat& made, const std::string& file)
{
    if (::fstat(fd, &made) != 0)
        return errno;
    if (made.st_uid == old.st_uid && made.st_gid == old.st_gid)
        return 0;
    int error = Protect(ErrorOf(::fchown(fd, old.st_uid, old.st_gid)), file);
    if (error == EPERM)
        error = Protect(ErrorOf(::fchown(fd, static_cast<uid_t>(-1), old.st_gid)), file);
    if (error != 0 && error != EPERM)
        return error;
    return ErrorOf(::fstat(fd, &made));
}

// The mode bits left to give once the ACL, where the file system took one, gave the permission bits: the special
// bits alone, which let no one open the file. Where it took none, the mode gives them all at once.
int KeepBits(int fd, mode_t mode, bool aclTaken, const std::string& file)
{
    struct stat now {
    };
    if (::fstat(fd, &now) != 0)
        return errno;
    if (aclTaken)
        mode = (mode & 07000) | (now.st_mode & 0777);
    if ((now.st_mode & 07777) == mode)
        return 0;
    return Protect(ErrorOf(::fchmod(fd, mode)), file);
}

// Then the old permission bits (a change of owner may clear some) and access ACL, the ACL first: it narrows what the
// mode alone would give, and were the mode first, a user the ACL keeps out would fall back on the mode's class
// until it came. A group the file did not keep gets none of the old group's rights, and as its members count as
// others there, others get no more than the old group had. Where the file system takes no ACL, the group gets no
// more than the ACL's own entry for it gave.
int KeepMode(int fd, const struct stat& old, const struct stat& made, std::string acl, const std::string& file)
{
    mode_t mode = GroupWithinAcl(old.st_mode & 07777, acl);
    if (made.st_gid != old.st_gid) {
        const mode_t oldGroupRights = (mode & S_IRWXG) >> 3;
        mode &= ~static_cast<mode_t>(S_IRWXG | S_ISGID | (S_IRWXO & ~oldGroupRights));
        acl = ForAnotherGroup(std::move(acl), oldGroupRights);
    }
    bool taken = false;
    if (!acl.empty()) {
        if (int error = Protect(GiveAccessAcl(fd, acl, &taken), file))
            return error;
    }
    return KeepBits(fd, mode, taken, file);
}

// A new file ends as a plain one made there would: with the ACL its folder's default one gives it, where there is
// one (the system leaves the mask out then), else with what the mask allows. Where the folder's default ACL could
// not be read (no acl), it keeps what its create gave it, which is no wider.
// A file taking an old one's place first loses what its folder's default ACL gave it: opening the mask for the old
// permission bits would let in every user that ACL names.
int KeepOwnerAndMode(int fd, const struct stat* old, const std::optional<std::string>& acl, const std::string& file)
{
    if (!acl)
        return 0;
    if (!old && !acl->empty())
        return Protect(GiveAccessAcl(fd, *acl), file);
    if (!old)
        return Protect(ErrorOf(::fchmod(fd, kNewFileMode & ~CurrentUmask())), file);
    if (int error = Protect(GiveAccessAcl(fd, {}), file))
        return error;
    struct stat made {
    };
    if (int error = KeepOwner(fd, *old, made, file))
        return error;
    return KeepMode(fd, *old, made, *acl, file);
}

// The access ACL a file made beside target starts with: its folder's default ACL, narrowed as for any new file;
// empty where the folder has none. A default ACL the file system cannot read leaves it unknown: that stops no
// save, as it stops no plain create there.
std::optional<std::string> NewFileAcl(const std::string& target)
{
    std::string acl;
    if (ReadDefaultAcl(FolderOf(target), acl) != 0)
        return std::nullopt;
    return acl.empty() ? acl : AclForNewFile(std::move(acl), kNewFileMode);
}

// Opens a file of a name no one else uses, beside path, that admits the user alone, and for no more than mode's
// owner bits allow; fd < 0 and the error number on failure. The handle writes it whatever its mode.
int CreateTemporary(const std::string& path, mode_t mode, std::string& temp, int& fd)
{
    fd = -1;
    for (int i = 0; i < 100; ++i) {
        temp = path + ".~" + std::to_string(::getpid()) + "-" + std::to_string(i);
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode & 0600);
        if (fd >= 0)
            return 0;
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

// The sync itself tells a watcher that it ran, and on what, so that no step is reported that did not happen.
int Sync(int fd, SaveStep step, const std::string& name)
{
    if (::fsync(fd) != 0)
        return errno;
    Step(step, name);
    return 0;
}

// Room for size bytes from the file's start, claimed before its first byte is written, so that a full disk or
// a file size limit refuses the write while the file is as it was (a write past the limit would also raise
// SIGXFSZ). Where the file system cannot claim room ahead, the write finds out.
int ClaimRoom(int fd, size_t size)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur)
        return EFBIG;
    if (size == 0)
        return 0;
    int error = 0;
    do
        error = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0 ? errno : 0;
    while (error == EINTR);
    return error == EOPNOTSUPP || error == ENOSYS ? 0 : error;
}

// The file's bytes from its start, the rest cut off (nothing to cut from a new file), on the disk before the
// handle closes. touched: whether the file's bytes may have changed.
int WriteAndClose(int fd, std::string_view data, const std::string& name, bool& touched)
{
    int error = ClaimRoom(fd, data.size());
    touched = error == 0;
    if (error == 0)
        error = WriteAll(fd, data);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(data.size())) != 0)
        error = errno;
    if (error == 0)
        error = Sync(fd, SaveStep::FileSynced, name);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

// The rename is durable only once the folder is: until then a power cut can bring the old file back. A folder
// the user may not read cannot be opened to sync it, nor can every file system sync one (EINVAL); the rename
// then stands as the system keeps it.
int SyncFolder(const std::string& file)
{
    const std::string folder = FolderOf(file);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno == EACCES ? 0 : errno;
    const int error = Sync(fd, SaveStep::FolderSynced, folder);
    ::close(fd);
    return error == EINVAL ? 0 : error;
}

SaveResult NotAFile(const std::string& target)
{
    return {kNotRegularFile,
            target + " is not a regular file (a pipe, a device or a socket), so the save does not write it"};
}

// Only a regular file is written in place, and in a shared folder only one the rules there let us write,
// judged on what the open found, not on what the name showed a moment before.
SaveResult MayWriteInto(int fd, const std::string& target)
{
    struct stat st {
    };
    if (int error = OnlyRegular(fd, st))
        return error == kNotRegularFile || error == EISDIR ? NotAFile(target) : SaveResult::Of(error);
    return SharedFolderAllows(target, st);
}

// For a file the user may write in a folder the user may not change: its bytes are written over from the
// start and the rest cut off, so its owner, mode and links all stay; a failure past the first byte leaves it
// in between, and the reason says so. The open does not wait: a pipe put under the name would hold it until
// someone read the bytes.
SaveResult WriteInPlace(const std::string& target, std::string_view data)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENXIO ? NotAFile(target) : SaveResult::Of(errno);
    if (SaveResult fit = MayWriteInto(fd, target); fit.Failed()) {
        ::close(fd);
        return fit;
    }
    Step(SaveStep::ReadyToWrite, target);
    bool touched = false;
    const int error = WriteAndClose(fd, data, target, touched);
    if (error == 0)
        return {};
    if (!touched)
        return SaveResult::Of(error);
    return {error, SystemErrorText(error) + "; " + target +
                       " was being written in place, as its folder may not be changed, and may now be incomplete"};
}

// Whether a save that could not make or rename its new file beside the old one may write the old one itself:
// the user may write the file but not the folder (or, in a sticky folder, not replace another user's file).
bool InPlaceInstead(int error, bool exists)
{
    return exists && (error == EACCES || error == EPERM);
}

int WriteNewFile(int fd, std::string_view data, const struct stat* old, const std::optional<std::string>& acl,
                 const std::string& temp)
{
    Step(SaveStep::Created, temp);
    if (int error = KeepOwnerAndMode(fd, old, acl, temp)) {
        ::close(fd);
        return error;
    }
    Step(SaveStep::ReadyToWrite, temp);
    bool touched = false;
    return WriteAndClose(fd, data, temp, touched);
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
    if (exists && !S_ISREG(old.st_mode) && !S_ISDIR(old.st_mode))
        return NotAFile(target);
    if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return SaveResult::Of(errno);
    std::optional<std::string> acl = std::string();
    if (!exists)
        acl = NewFileAcl(target);
    else if (int error = ReadAccessAcl(target, *acl))
        return SaveResult::Of(error);
    std::string temp;
    int fd = -1;
    // Root's save hands the new file to the old one's owner before its mode comes: until then that owner gets no
    // more than the old file gave it.
    if (int error = CreateTemporary(target, exists ? old.st_mode : 0600, temp, fd))
        return InPlaceInstead(error, exists) ? WriteInPlace(target, data) : SaveResult::Of(error);
    if (int error = WriteNewFile(fd, data, exists ? &old : nullptr, acl, temp)) {
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
