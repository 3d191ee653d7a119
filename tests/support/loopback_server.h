// A game server of the tests' own on 127.0.0.1: it listens on a free port,
// takes one client, writes protocol bytes to it and reads the lines the
// client sends. It runs in the test's own thread; every wait on the client
// is bounded (the test fails instead of hanging).
#pragma once
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace kxtest {

class LoopbackServer {
public:
    LoopbackServer()
    {
        listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        setsockopt(listen_fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = 0;
        bind(listen_fd_, (sockaddr *)&sa, sizeof sa);
        listen(listen_fd_, 4);
        socklen_t len = sizeof sa;
        getsockname(listen_fd_, (sockaddr *)&sa, &len);
        port_ = ntohs(sa.sin_port);
    }
    ~LoopbackServer()
    {
        close_client();
        if (listen_fd_ >= 0)
            close(listen_fd_);
    }
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // Stops listening: later connects are refused.
    void stop_listening()
    {
        if (listen_fd_ >= 0)
            close(listen_fd_);
        listen_fd_ = -1;
    }

    // Takes the client that connected; false when none came within wait_ms.
    bool accept_client(int wait_ms = 10000)
    {
        pollfd p{listen_fd_, POLLIN, 0};
        if (poll(&p, 1, wait_ms) != 1)
            return false;
        close_client();
        client_fd_ = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        const int one = 1;
        setsockopt(client_fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        in_.clear();
        return client_fd_ >= 0;
    }
    bool has_client() const { return client_fd_ >= 0; }

    // Writes all bytes (blocking); false when the client is gone.
    bool send(const std::string &bytes)
    {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(client_fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += (size_t)n;
        }
        return true;
    }
    void close_client()
    {
        if (client_fd_ >= 0)
            close(client_fd_);
        client_fd_ = -1;
    }

    // The next whole line the client sent (its line feed dropped); empty
    // when none came within wait_ms or the client closed.
    std::string read_line(int wait_ms = 10000)
    {
        for (;;) {
            const size_t nl = in_.find('\n');
            if (nl != std::string::npos) {
                std::string line = in_.substr(0, nl);
                in_.erase(0, nl + 1);
                return line;
            }
            pollfd p{client_fd_, POLLIN, 0};
            if (client_fd_ < 0 || poll(&p, 1, wait_ms) != 1)
                return std::string();
            char buf[4096];
            const ssize_t n = recv(client_fd_, buf, sizeof buf, 0);
            if (n <= 0)
                return std::string();
            in_.append(buf, (size_t)n);
        }
    }
    // Lines up to and including the first that starts with prefix; empty
    // when it did not come.
    std::string read_until(const std::string &prefix, int wait_ms = 10000)
    {
        std::string all;
        for (;;) {
            const std::string line = read_line(wait_ms);
            if (line.empty())
                return std::string();
            all += line + "\n";
            if (line.compare(0, prefix.size(), prefix) == 0)
                return all;
        }
    }
    // Everything the client sent that is there now, without waiting.
    std::string drain()
    {
        for (;;) {
            pollfd p{client_fd_, POLLIN, 0};
            if (client_fd_ < 0 || poll(&p, 1, 0) != 1)
                break;
            char buf[4096];
            const ssize_t n = recv(client_fd_, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            in_.append(buf, (size_t)n);
        }
        std::string all;
        all.swap(in_);
        return all;
    }

private:
    int listen_fd_ = -1;
    int client_fd_ = -1;
    int port_ = 0;
    std::string in_;
};

// Waits until the fd has bytes to read, at most wait_ms; for ticking a
// client until what the server wrote has arrived.
inline void wait_readable(int fd, int wait_ms)
{
    if (fd < 0)
        return;
    pollfd p{fd, POLLIN, 0};
    poll(&p, 1, wait_ms);
}

} // namespace kxtest
