#pragma once
// Runs quorvane-cli as a child process for the command-line tests, with the
// small file helpers those tests share.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace quorvane::cli::test {

namespace fs = std::filesystem;

inline const std::string kCli = QUORVANE_CLI;

struct Outcome {
    int exitCode = -1;  // 128 + signal number when the program was killed
    std::string out;
    std::string err;
};

struct Launch {
    std::optional<std::string> input;  // standard input; without it, /dev/null
    std::string tz = "UTC0";
    std::string stdoutPath;  // when set, standard output goes to this file instead of a pipe
};

// Runs quorvane-cli with args, feeding and collecting the three standard
// streams concurrently so that large inputs and outputs cannot dead-lock.
inline Outcome RunCli(const std::vector<std::string>& args, const Launch& how = {}) {
    signal(SIGPIPE, SIG_IGN);  // the program may exit before reading all of its input

    std::vector<std::string> argStore{kCli};
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    std::vector<std::string> envStore;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::string_view(*e).substr(0, 3) != "TZ=")
            envStore.emplace_back(*e);
    envStore.push_back("TZ=" + how.tz);
    std::vector<char*> envp;
    for (auto& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    Outcome result;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe2 failed";
        return result;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (how.input)
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (how.stdoutPath.empty())
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, how.stdoutPath.c_str(), O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);

    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, kCli.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        ADD_FAILURE() << "cannot start " << kCli << ": " << std::strerror(spawned);
        return result;
    }

    int toChild = in[1];
    if (!how.input) {
        close(toChild);
        toChild = -1;
    } else {
        fcntl(toChild, F_SETFL, fcntl(toChild, F_GETFL) | O_NONBLOCK);
    }
    size_t written = 0;
    int fromChild[2] = {out[0], err[0]};
    std::string* sinks[2] = {&result.out, &result.err};
    while (toChild >= 0 || fromChild[0] >= 0 || fromChild[1] >= 0) {
        if (toChild >= 0 && written == how.input->size()) {
            close(toChild);
            toChild = -1;
            continue;
        }
        pollfd fds[3];
        int n = 0;
        int which[3];
        if (toChild >= 0) {
            fds[n] = {toChild, POLLOUT, 0};
            which[n++] = -1;
        }
        for (int i = 0; i < 2; ++i)
            if (fromChild[i] >= 0) {
                fds[n] = {fromChild[i], POLLIN, 0};
                which[n++] = i;
            }
        if (poll(fds, n, -1) < 0) {
            if (errno == EINTR)
                continue;
            ADD_FAILURE() << "poll failed";
            break;
        }
        for (int k = 0; k < n; ++k) {
            if (fds[k].revents == 0)
                continue;
            if (which[k] < 0) {
                const ssize_t w = write(toChild, how.input->data() + written, how.input->size() - written);
                if (w > 0) {
                    written += static_cast<size_t>(w);
                } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
                    close(toChild);  // the program stopped reading
                    toChild = -1;
                }
            } else {
                char buffer[65536];
                const ssize_t r = read(fromChild[which[k]], buffer, sizeof buffer);
                if (r > 0) {
                    sinks[which[k]]->append(buffer, static_cast<size_t>(r));
                } else if (r == 0 || (errno != EAGAIN && errno != EINTR)) {
                    close(fromChild[which[k]]);
                    fromChild[which[k]] = -1;
                }
            }
        }
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

// Exit status and the start of both outputs, for failure messages.
inline std::string Describe(const Outcome& o) {
    return "exit " + std::to_string(o.exitCode) + "\n--- stdout:\n" + o.out.substr(0, 2000) + "\n--- stderr:\n" +
           o.err.substr(0, 2000);
}

// The bytes of a file, or an empty text when it cannot be read.
inline std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Lines of a readable feed file: joined by CR LF, nothing after the last one.
inline std::string CrLfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i)
        text += (i ? "\r\n" : "") + lines[i];
    return text;
}

// The lines of a text without their LF; no empty last line for a final LF.
inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A fresh folder under the temporary directory, removed with its content.
class TempDir {
public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "quorvane-cli-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    fs::path operator/(const std::string& name) const { return path_ / name; }
    const fs::path& Path() const { return path_; }

    // Writes bytes to a file of this folder and returns its path.
    std::string File(const std::string& name, const std::string& bytes) const {
        WriteBytes(path_ / name, bytes);
        return (path_ / name).string();
    }

private:
    fs::path path_;
};

// The sorted names in a folder.
inline std::vector<std::string> Entries(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace quorvane::cli::test
