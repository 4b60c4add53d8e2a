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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) return false;
    const size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return false;
    std::string temp = (slash == std::string::npos ? std::string() : dir) + "." + base + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    bool ok = true;
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (ok && left > 0) {
        const ssize_t n = ::write(fd, data, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
        } else {
            data += n;
            left -= static_cast<size_t>(n);
        }
    }
    // Keep the permissions of the file being replaced, or the usual ones for a new file.
    struct stat st {};
    if (ok && ::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) ok = false;
        else ::fchmod(fd, st.st_mode & 07777);
    } else if (ok) {
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
