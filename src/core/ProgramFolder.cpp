#include "core/ProgramFolder.h"

#include <climits>
#include <mutex>
#include <unistd.h>

namespace core {
namespace {

std::mutex gFolderLock;
std::string gFolderOverride;

std::string FolderOfExecutable() {
    char buffer[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0) return "./";
    std::string path(buffer, static_cast<size_t>(length));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

}  // namespace

std::string ProgramFolder() {
    std::lock_guard lock(gFolderLock);
    if (!gFolderOverride.empty()) return gFolderOverride;
    static const std::string folder = FolderOfExecutable();
    return folder;
}

void SetProgramFolder(const std::string& folder) {
    std::lock_guard lock(gFolderLock);
    gFolderOverride = folder;
    if (!gFolderOverride.empty() && gFolderOverride.back() != '/') gFolderOverride += '/';
}

}  // namespace core
