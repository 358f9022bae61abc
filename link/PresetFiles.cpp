#include "link/PresetFiles.h"

#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "model/Command.h"
#include "model/DataConver.h"
#include "model/Defaults.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <numeric>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zolt {

namespace {

constexpr const char* kWriteError = "MusicFile Write Error";
constexpr const char* kOpenError = "File read Error";
constexpr const char* kShortError = "MusicFile read Error";
constexpr const char* kShortErrorChinese = "音乐文件读错误";

// The preset store from slot 0's system-block copy through the store-valid flag: the
// all-modes file's bytes, in memory order.
std::uint8_t* AllModesBytes() {
    return reinterpret_cast<std::uint8_t*>(&g_data.m_store) + slot0::kSystemCopy;
}
static_assert(sizeof(SPresetStore) - slot0::kSystemCopy == kAllModesFileSize);
static_assert(kSystemSize + kImageSize == kOneModeFileSize);

std::string WithExtension(const std::string& chosen, const char* extension) {
    return chosen.find(extension) != std::string::npos ? chosen : chosen + extension;
}

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string Reason() {
    return std::strerror(errno);
}

// Why a path that exists is not a file to read or replace.
std::string NotRegular(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "is a folder, not a file";
    }
    if (S_ISFIFO(mode)) {
        return "is a pipe (FIFO), not a file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "is a device, not a file";
    }
    return "is not a regular file";
}

// Opens path for reading if it is a regular file, and gives its size. Anything else is
// refused before it is opened, so a FIFO or a device never blocks the caller or sees an
// open; the descriptor is checked again, as the path may have changed in between.
// Returns -1 with the reason otherwise.
int OpenRegular(const std::string& path, std::size_t& size, std::string& reason) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        reason = Reason();
        return -1;
    }
    if (!S_ISREG(info.st_mode)) {
        reason = NotRegular(info.st_mode);
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = Reason();
        return -1;
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        reason = NotRegular(info.st_mode);
        ::close(fd);
        return -1;
    }
    size = static_cast<std::size_t>(info.st_size);
    return fd;
}

// Reads up to count bytes; fewer only at the end of the file or on an error.
std::size_t ReadUpTo(int fd, std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, bytes + done, count - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::string FormatName(std::size_t size) {
    return size == kOneModeFileSize ? "a one-mode file (2778 bytes)"
                                    : "an all-modes file (57019 bytes)";
}

// The file a write to path lands in: path itself, or the file at the end of its chain of
// symbolic links (which need not exist yet). An existing file must be a regular file the
// user may write; its permission bits go to mode (-1 for a new file). False with the
// reason otherwise.
bool WriteTarget(const std::string& path, std::string& target, int& mode, std::string& reason) {
    constexpr int kMaxLinks = 40;
    target = path;
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            mode = -1;
            reason = Reason();
            return errno == ENOENT; // a new file; a missing folder shows when it is created
        }
        if (!S_ISLNK(info.st_mode)) {
            mode = static_cast<int>(info.st_mode & 07777);
            if (!S_ISREG(info.st_mode)) {
                reason = NotRegular(info.st_mode);
                return false;
            }
            if (::access(target.c_str(), W_OK) != 0) {
                reason = Reason();
                return false;
            }
            return true;
        }
        std::string link(static_cast<std::size_t>(info.st_size) + 1, '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0 || static_cast<std::size_t>(n) >= link.size()) {
            reason = n < 0 ? Reason() : "the link changed while it was read";
            return false;
        }
        link.resize(static_cast<std::size_t>(n));
        const std::size_t slash = target.rfind('/');
        target = link.front() == '/' || slash == std::string::npos
                     ? link
                     : target.substr(0, slash + 1) + link;
    }
    reason = std::strerror(ELOOP);
    return false;
}

// Opens a new temporary file beside path (mode 0666 less the umask, like any new file).
int CreateTemporary(const std::string& path, std::string& temp) {
    static std::atomic<unsigned> s_nSerial{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + ".part-" + std::to_string(::getpid()) + "-" + std::to_string(s_nSerial++);
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The folder a file of path goes into.
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A file could not be made beside path (errno says why): the folder is to blame.
std::string FolderReason(const std::string& path) {
    return "the folder " + PrintableText(FolderOf(path)) + " cannot be written: " + Reason();
}

// Writes bytes into a new temporary file beside target, every byte on disk, with the
// permission bits mode (-1: a new file's). False with the reason, and nothing left behind.
bool WriteTemporary(const std::string& target, const std::vector<std::uint8_t>& bytes, int mode,
                    std::string& temp, std::string& reason) {
    const int fd = CreateTemporary(target, temp);
    if (fd < 0) {
        reason = FolderReason(target);
        return false;
    }
    bool done = WriteAll(fd, bytes) && (mode < 0 || ::fchmod(fd, static_cast<mode_t>(mode)) == 0) &&
                ::fsync(fd) == 0;
    if (!done) {
        reason = Reason();
    }
    if (::close(fd) != 0 && done) {
        done = false;
        reason = Reason();
    }
    if (!done) {
        ::unlink(temp.c_str());
    }
    return done;
}

} // namespace

bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                 std::string& reason) {
    std::string target;
    int mode = -1;
    std::string temp;
    if (!WriteTarget(path, target, mode, reason) ||
        !WriteTemporary(target, bytes, mode, temp, reason)) {
        return false;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        reason = Reason();
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool WriteNewFile(const std::string& stem, const std::string& extension,
                  const std::vector<std::uint8_t>& bytes, std::string& path, std::string& reason) {
    std::string temp;
    reason.clear();
    if (!WriteTemporary(stem + extension, bytes, -1, temp, reason)) {
        return false;
    }
    // A hard link is made only where no file of that name exists, so none is replaced.
    bool done = false;
    for (int n = 1; !done && n < 1000; ++n) {
        path = stem + (n == 1 ? "" : "-" + std::to_string(n)) + extension;
        done = ::link(temp.c_str(), path.c_str()) == 0;
        if (!done && errno != EEXIST) {
            reason = Reason();
            break;
        }
    }
    ::unlink(temp.c_str());
    if (!done && reason.empty()) {
        reason = "every name up to " + PrintableText(path) + " is taken";
    }
    return done;
}

bool CheckWritable(const std::string& path, std::string& reason) {
    std::string target;
    int mode = -1;
    if (!WriteTarget(path, target, mode, reason)) {
        return false;
    }
    std::string temp;
    const int fd = CreateTemporary(target, temp);
    if (fd < 0) {
        reason = FolderReason(target);
        return false;
    }
    ::close(fd);
    ::unlink(temp.c_str());
    return true;
}

namespace {

bool Export(const std::string& path, std::vector<std::uint8_t> bytes) {
    std::string reason;
    if (!ReplaceFile(path, bytes, reason)) {
        Notify().MessageBox(std::string(kWriteError) + "\n" + PrintableText(path) + ": " + reason,
                            "");
        return false;
    }
    return true;
}

// Reads the first size bytes of path into bytes (a longer file's other bytes are left
// unread). Reports a file that cannot be read or is short and returns false; the
// program's data is untouched either way.
bool ReadWhole(const std::string& path, std::size_t size, std::vector<std::uint8_t>& bytes) {
    std::size_t fileSize = 0;
    std::string reason;
    const int fd = OpenRegular(path, fileSize, reason);
    if (fd < 0) {
        Notify().MessageBox(std::string(kOpenError) + "\n" + PrintableText(path) + ": " + reason,
                            "");
        return false;
    }
    bytes.resize(size);
    const std::size_t read = ReadUpTo(fd, bytes.data(), size);
    ::close(fd);
    if (read != size) {
        const char* text = g_flags.m_nLanguage != 0 ? kShortErrorChinese : kShortError;
        Notify().MessageBox(std::string(text) + "\n" + PrintableText(path) + ": " +
                                std::to_string(read) + " bytes, shorter than " + FormatName(size),
                            "");
        return false;
    }
    return true;
}

// Reads regular file path whole, unless sizeProblem, given the file's size, names a reason
// to refuse it (empty: none). fileSize is the size found; bytes holds what could be read.
// False with "path: reason" in error when the file is refused.
template <class FSizeProblem>
bool ReadSizedFile(const std::string& path, FSizeProblem sizeProblem, std::size_t& fileSize,
                   std::vector<std::uint8_t>& bytes, std::string& error) {
    std::string reason;
    const int fd = OpenRegular(path, fileSize, reason);
    if (fd >= 0) {
        reason = sizeProblem(fileSize);
    }
    if (!reason.empty()) {
        if (fd >= 0) {
            ::close(fd);
        }
        error = PrintableText(path) + ": " + reason;
        return false;
    }
    bytes.assign(fileSize, 0);
    bytes.resize(ReadUpTo(fd, bytes.data(), fileSize));
    ::close(fd);
    return true;
}

} // namespace

std::string OneModeFilePath(const std::string& chosen) {
    return WithExtension(chosen, ".dia");
}

std::string AllModesFilePath(const std::string& chosen) {
    return WithExtension(chosen, ".dat");
}

SPresetFile PresetFileOfData(bool allModes) {
    SPresetFile file;
    file.m_bAllModes = allModes;
    CImageGuard guard(ImageLock());
    if (allModes) {
        file.m_abBytes.assign(AllModesBytes(), AllModesBytes() + kAllModesFileSize);
    } else {
        file.m_abBytes.assign(System(), System() + kSystemSize);
        file.m_abBytes.insert(file.m_abBytes.end(), Image(), Image() + kImageSize);
    }
    return file;
}

bool ExportOneMode(const std::string& chosen) {
    return Export(OneModeFilePath(chosen), PresetFileOfData(false).m_abBytes);
}

bool ExportAllModes(const std::string& chosen) {
    return Export(AllModesFilePath(chosen), PresetFileOfData(true).m_abBytes);
}

const std::uint8_t* SPresetFile::ImageOf(int mode) const {
    return m_abBytes.data() + kSystemSize +
           kImageSize * static_cast<std::size_t>(mode > 0 ? mode - 1 : 0);
}

bool ReadPresetFile(const std::string& path, SPresetFile& file, std::string& error) {
    const auto neitherSize = [](std::size_t size) {
        return size == kOneModeFileSize || size == kAllModesFileSize
                   ? std::string()
                   : std::to_string(size) + " bytes, neither " + FormatName(kOneModeFileSize) +
                         " nor " + FormatName(kAllModesFileSize);
    };
    std::size_t size = 0;
    if (!ReadSizedFile(path, neitherSize, size, file.m_abBytes, error)) {
        return false;
    }
    file.m_bAllModes = size == kAllModesFileSize;
    if (file.m_abBytes.size() != size) {
        error = PrintableText(path) + ": " + std::to_string(file.m_abBytes.size()) + " of " +
                std::to_string(size) + " bytes could be read";
        return false;
    }
    return true;
}

bool ReadRegularFile(const std::string& path, std::size_t maxSize, std::vector<std::uint8_t>& bytes,
                     std::string& error) {
    const auto tooLarge = [maxSize](std::size_t size) {
        return size <= maxSize ? std::string()
                               : std::to_string(size) + " bytes, larger than " +
                                     std::to_string(maxSize) + " bytes";
    };
    std::size_t size = 0;
    return ReadSizedFile(path, tooLarge, size, bytes, error);
}

std::uint8_t LoadSum(const std::uint8_t* image) {
    return std::accumulate(
        image, image + kImageSize, std::uint8_t{0},
        [](std::uint8_t sum, std::uint8_t b) { return static_cast<std::uint8_t>(sum + b); });
}

bool ImportOneMode(const std::string& path, CDeviceLink& link) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWhole(path, kOneModeFileSize, bytes)) {
        return false;
    }
    CImageGuard guard(ImageLock());
    const std::uint8_t* loaded = bytes.data() + kSystemSize; // the system block stays as it is
    std::memcpy(Image(), loaded, kImageSize);
    Image()[image::kLoadSum] = LoadSum(loaded);
    CommitWithRebind();
    Notify().ShowCurrentPage();
    if (g_flags.m_bOnline) {
        Notify().ConnectionChanged();
        link.SendCommand(cmd::kWriteMode, 0);
    }
    return true;
}

bool ImportAllModes(const std::string& path, CDeviceLink& link) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWhole(path, kAllModesFileSize, bytes)) {
        return false;
    }
    CImageGuard guard(ImageLock());
    std::memcpy(AllModesBytes(), bytes.data(), kAllModesFileSize);
    g_data.m_store.m_bValid = 1;
    std::memcpy(System(), Slot(0) + slot0::kSystemCopy, kSystemSize);
    std::memcpy(SystemShadow(), System(), kSystemSize);
    // Only a stored mode 1..21 can become the working image; with any other current mode
    // number the working image (and its unsent edits) stays as it is.
    const std::size_t mode = System()[0];
    if (mode >= 1 && mode <= kModeCount) {
        std::memcpy(Image(), Slot(mode), kImageSize);
        CommitWithRebind();
    }
    Notify().ShowCurrentPage();
    Notify().ConnectionChanged();
    if (g_flags.m_bOnline) {
        link.SendCommand(cmd::kWriteMode, 1);
        link.SendCommand(cmd::kWriteSystem, 1);
        link.NumberForProgress();
    }
    return true;
}

} // namespace zolt
