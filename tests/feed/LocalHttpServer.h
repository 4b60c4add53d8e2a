#pragma once
// Runs tests/feed/http_server.py on a free loopback port for the life of the
// object. See the script for the routes it answers.

#include <cerrno>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace feed::test {

// Keeps libcurl from sending loopback requests through a proxy named in the
// environment: the tests talk to 127.0.0.1 and nothing else.
inline void BypassProxiesForLoopback() {
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    setenv("NO_PROXY", "127.0.0.1,localhost", 1);
}

class LocalHttpServer {
public:
    // Starts the server on the files of dataDir; throws std::runtime_error when
    // it cannot be started or does not report its port in time.
    explicit LocalHttpServer(const std::string& dataDir) {
        BypassProxiesForLoopback();

        const std::string script = std::string(QUORVANE_TEST_DIR) + "/feed/http_server.py";
        int toChild[2];
        int fromChild[2];
        if (pipe2(toChild, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe failed");
        if (pipe2(fromChild, O_CLOEXEC) != 0) {
            close(toChild[0]);
            close(toChild[1]);
            throw std::runtime_error("pipe failed");
        }

        // Everything the child needs is prepared before fork: after it, only
        // async-signal-safe calls are allowed there.
        std::vector<std::string> args = {"/usr/bin/python3", script, dataDir};
        std::vector<char*> argv;
        for (auto& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        pid_ = fork();
        if (pid_ == 0) {
            // dup2 clears close-on-exec on the copies, so only these survive exec.
            if (dup2(toChild[0], STDIN_FILENO) < 0 || dup2(fromChild[1], STDOUT_FILENO) < 0)
                _exit(127);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(toChild[0]);
        close(fromChild[1]);
        if (pid_ < 0) {
            close(toChild[1]);
            close(fromChild[0]);
            throw std::runtime_error("fork failed");
        }
        // The server exits when this end closes, so it dies with the test process.
        stdinOfServer_ = toChild[1];
        stdoutOfServer_ = fromChild[0];

        port_ = ReadPort();
        if (port_ <= 0) {
            Stop();
            throw std::runtime_error("the local HTTP server did not start: " + script);
        }
    }

    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    ~LocalHttpServer() { Stop(); }

    int Port() const { return port_; }

    // "http://127.0.0.1:PORT" followed by path, which starts with "/".
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    // The port from the first line the script prints, or 0 when none comes
    // within a generous start-up time.
    int ReadPort() const {
        std::string line;
        for (;;) {
            pollfd pfd{stdoutOfServer_, POLLIN, 0};
            const int ready = poll(&pfd, 1, 15000);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return 0;
            char c;
            const ssize_t got = read(stdoutOfServer_, &c, 1);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return 0;
            if (c == '\n')
                break;
            line.push_back(c);
        }
        return std::atoi(line.c_str());
    }

    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
            }
            pid_ = -1;
        }
        if (stdinOfServer_ >= 0)
            close(stdinOfServer_);
        if (stdoutOfServer_ >= 0)
            close(stdoutOfServer_);
        stdinOfServer_ = -1;
        stdoutOfServer_ = -1;
    }

    pid_t pid_ = -1;
    int stdinOfServer_ = -1;
    int stdoutOfServer_ = -1;
    int port_ = 0;
};

// A loopback port that nothing listens on: bound to find a free one, then closed.
inline int ClosedLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    int port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(fd);
    return port;
}

}  // namespace feed::test
