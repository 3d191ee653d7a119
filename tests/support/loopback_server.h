// A game server of the tests' own on 127.0.0.1 (a free port), run in the
// caller's thread: it takes one client, writes bytes to it and reads the
// lines it sends. Every wait is bounded, so a test fails instead of hanging.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace kxtest {

// Waits until fd has bytes to read, at most wait_ms.
inline bool wait_readable(int fd, int wait_ms)
{
    pollfd p{fd, POLLIN, 0};
    return fd >= 0 && poll(&p, 1, wait_ms) == 1;
}

class LoopbackServer {
public:
    LoopbackServer()
    {
        listen_fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof sa;
        bind(listen_fd_, (sockaddr *)&sa, len);
        listen(listen_fd_, 4);
        getsockname(listen_fd_, (sockaddr *)&sa, &len);
        address_ = "127.0.0.1:" + std::to_string(ntohs(sa.sin_port));
    }
    ~LoopbackServer()
    {
        close_client();
        stop_listening();
    }
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    const std::string &address() const { return address_; }
    // Later connects to the address are refused.
    void stop_listening()
    {
        if (listen_fd_ >= 0)
            close(listen_fd_);
        listen_fd_ = -1;
    }
    bool accept_client()
    {
        if (!wait_readable(listen_fd_, 10000))
            return false;
        close_client();
        client_fd_ = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
        in_.clear();
        return client_fd_ >= 0;
    }
    void close_client()
    {
        if (client_fd_ >= 0)
            close(client_fd_);
        client_fd_ = -1;
    }
    // Writes every byte (blocking); false when the client is gone.
    bool send(const std::string &bytes)
    {
        for (size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::send(client_fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            done += (size_t)n;
        }
        return true;
    }
    // The client's lines up to and including the first that starts with
    // prefix (each with its line feed); empty when it did not come within
    // wait_ms of the last bytes.
    std::string read_until(const std::string &prefix, int wait_ms = 10000)
    {
        std::string all;
        for (;;) {
            const size_t nl = in_.find('\n');
            if (nl != std::string::npos) {
                const std::string line = in_.substr(0, nl + 1);
                in_.erase(0, nl + 1);
                all += line;
                if (line.compare(0, prefix.size(), prefix) == 0)
                    return all;
                continue;
            }
            char buf[4096];
            const ssize_t n = wait_readable(client_fd_, wait_ms) ? recv(client_fd_, buf, sizeof buf, 0) : 0;
            if (n <= 0)
                return std::string();
            in_.append(buf, (size_t)n);
        }
    }

private:
    int listen_fd_ = -1;
    int client_fd_ = -1;
    std::string address_;
    std::string in_;
};

} // namespace kxtest
