#include "link/PresetFiles.h"

#include "link/DeviceLink.h"
#include "link/Notify.h"
#include "model/Command.h"
#include "model/Defaults.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <numeric>
#include <string>
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

} // namespace

bool ReplaceFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::string temp;
    const int fd = CreateTemporary(path, temp);
    if (fd < 0) {
        return false;
    }
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temp.c_str(), path.c_str()) != 0) {
        const int cause = errno;
        ::unlink(temp.c_str());
        errno = cause;
        return false;
    }
    return true;
}

namespace {

bool Export(const std::string& path, std::vector<std::uint8_t> bytes) {
    if (!ReplaceFile(path, bytes)) {
        Notify().MessageBox(kWriteError, "");
        return false;
    }
    return true;
}

// Reads the first size bytes of path into bytes. Reports an unreadable or short file and
// returns false; the program's data is untouched either way.
bool ReadWhole(const std::string& path, std::size_t size, std::vector<std::uint8_t>& bytes) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Notify().MessageBox(kOpenError, "");
        return false;
    }
    bytes.resize(size);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (static_cast<std::size_t>(file.gcount()) != size) {
        Notify().MessageBox(g_flags.m_nLanguage != 0 ? kShortErrorChinese : kShortError, "");
        return false;
    }
    return true;
}

} // namespace

std::string OneModeFilePath(const std::string& chosen) {
    return WithExtension(chosen, ".dia");
}

std::string AllModesFilePath(const std::string& chosen) {
    return WithExtension(chosen, ".dat");
}

bool ExportOneMode(const std::string& chosen) {
    std::vector<std::uint8_t> bytes(kOneModeFileSize);
    {
        CImageGuard guard(ImageLock());
        std::memcpy(bytes.data(), System(), kSystemSize);
        std::memcpy(bytes.data() + kSystemSize, Image(), kImageSize);
    }
    return Export(OneModeFilePath(chosen), std::move(bytes));
}

bool ExportAllModes(const std::string& chosen) {
    std::vector<std::uint8_t> bytes(kAllModesFileSize);
    {
        CImageGuard guard(ImageLock());
        std::memcpy(bytes.data(), AllModesBytes(), kAllModesFileSize);
    }
    return Export(AllModesFilePath(chosen), std::move(bytes));
}

bool ImportOneMode(const std::string& path, CDeviceLink& link) {
    std::vector<std::uint8_t> bytes;
    if (!ReadWhole(path, kOneModeFileSize, bytes)) {
        return false;
    }
    CImageGuard guard(ImageLock());
    const std::uint8_t* loaded = bytes.data() + kSystemSize; // the system block stays as it is
    std::memcpy(Image(), loaded, kImageSize);
    Image()[image::kLoadSum] = std::accumulate(
        loaded, loaded + kImageSize, std::uint8_t{0},
        [](std::uint8_t sum, std::uint8_t b) { return static_cast<std::uint8_t>(sum + b); });
    CommitWithRebind();
    Notify().ShowCurrentPage();
    if (g_flags.m_bOnline) {
        Notify().RefreshProgramName();
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
    Notify().RefreshProgramName();
    if (g_flags.m_bOnline) {
        link.SendCommand(cmd::kWriteMode, 1);
        link.SendCommand(cmd::kWriteSystem, 1);
        link.NumberForProgress();
    }
    return true;
}

} // namespace zolt
