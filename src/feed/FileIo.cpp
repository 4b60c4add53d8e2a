#include "feed/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace feed {

std::optional<std::string> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return std::nullopt;
    std::string bytes;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size > 0) {
        bytes.resize(static_cast<size_t>(size));
        in.seekg(0, std::ios::beg);
        in.read(bytes.data(), size);
        if (!in) return std::nullopt;
    } else {
        in.clear();
        in.seekg(0, std::ios::beg);
        std::ostringstream all;
        all << in.rdbuf();
        bytes = all.str();
    }
    return bytes;
}

namespace {

bool WriteAll(int fd, std::string_view bytes) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

// The file a path names once symbolic links are followed (a dangling link
// gives the file it would create).
std::string FollowLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        std::string target(static_cast<size_t>(st.st_size > 0 ? st.st_size : 4096) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0) return path;
        target.resize(static_cast<size_t>(n));
        if (target.empty() || target[0] != '/') {
            const size_t slash = path.find_last_of('/');
            if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
        }
        path = target;
    }
    return path;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    return WriteFileAtomically(path, [bytes](const ByteSink& sink) { sink(bytes); });
}

bool WriteFileAtomically(const std::string& requested, const std::function<void(const ByteSink&)>& produce) {
    if (requested.empty()) return false;
    const std::string path = FollowLinks(requested);
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return false;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a pipe cannot be replaced; it is written to as it is.
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) return false;
        bool ok = true;
        produce([&](std::string_view piece) { ok = ok && WriteAll(fd, piece); });
        return ::close(fd) == 0 && ok;
    }
    const size_t slash = path.find_last_of('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return false;
    std::string temp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = true;
    try {
        produce([&](std::string_view piece) { ok = ok && WriteAll(fd, piece); });
    } catch (...) {
        ok = false;
    }
    // Keep the permissions of the file being replaced, or the usual ones for a new file.
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temp.c_str(), path.c_str()) != 0) ok = false;
    if (!ok) ::unlink(temp.c_str());
    return ok;
}

}  // namespace feed
