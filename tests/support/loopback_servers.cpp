#include "support/loopback_servers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kxtest {

TcpListener::TcpListener()
{
    fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sa.sin_port = 0;
    bind(fd_, (sockaddr *)&sa, sizeof sa);
    listen(fd_, 8);
    socklen_t len = sizeof sa;
    getsockname(fd_, (sockaddr *)&sa, &len);
    port_ = ntohs(sa.sin_port);
}

TcpListener::~TcpListener()
{
    if (fd_ >= 0)
        close(fd_);
}

int TcpListener::accept_one(int wait_ms)
{
    pollfd p = {fd_, POLLIN, 0};
    if (poll(&p, 1, wait_ms) <= 0)
        return -1;
    int fd = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) {
        int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    }
    return fd;
}

int closed_port()
{
    TcpListener l;
    return l.port();
}

bool send_all(int fd, const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += (size_t)n;
    }
    return true;
}

// ---- line server ----

LoopbackLineServer::LoopbackLineServer(std::vector<std::string> chunks, bool close_after)
    : chunks_(std::move(chunks)), close_after_(close_after)
{
    thread_ = std::thread([this] {
        int fd = -1;
        for (;;) {
            {
                std::lock_guard<std::mutex> lk(m_);
                if (stop_)
                    return;
            }
            fd = listener_.accept_one(20);
            if (fd >= 0)
                break;
        }
        for (const std::string &c : chunks_)
            send_all(fd, c);
        std::unique_lock<std::mutex> lk(m_);
        served_ = true;
        cv_.notify_all();
        if (!close_after_)
            cv_.wait(lk, [this] { return stop_; });
        close(fd);
    });
}

LoopbackLineServer::~LoopbackLineServer()
{
    {
        std::lock_guard<std::mutex> lk(m_);
        stop_ = true;
        cv_.notify_all();
    }
    thread_.join();
}

bool LoopbackLineServer::served()
{
    std::lock_guard<std::mutex> lk(m_);
    return served_;
}

// ---- HTTP server ----

LoopbackHttpServer::LoopbackHttpServer()
{
    thread_ = std::thread([this] {
        for (;;) {
            {
                std::lock_guard<std::mutex> lk(m_);
                if (stop_)
                    return;
            }
            int fd = listener_.accept_one(20);
            if (fd >= 0) {
                serve(fd);
                close(fd);
            }
        }
    });
}

LoopbackHttpServer::~LoopbackHttpServer()
{
    {
        std::lock_guard<std::mutex> lk(m_);
        stop_ = true;
        cv_.notify_all();
    }
    thread_.join();
}

void LoopbackHttpServer::route(const std::string &path, const Route &r)
{
    std::lock_guard<std::mutex> lk(m_);
    routes_[path] = r;
}

void LoopbackHttpServer::route(const std::string &path, const std::string &body)
{
    Route r;
    r.body = body;
    route(path, r);
}

std::vector<std::string> LoopbackHttpServer::requests()
{
    std::lock_guard<std::mutex> lk(m_);
    return requests_;
}

bool LoopbackHttpServer::stalling()
{
    std::lock_guard<std::mutex> lk(m_);
    return stalled_ > 0;
}

void LoopbackHttpServer::serve(int fd)
{
    std::string head;
    char buf[1024];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 16384) {
        pollfd p = {fd, POLLIN, 0};
        if (poll(&p, 1, 2000) <= 0)
            return;
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            return;
        head.append(buf, (size_t)n);
    }
    // "GET <path> HTTP/1.1"
    size_t a = head.find(' '), b = head.find(' ', a + 1);
    std::string path = a == std::string::npos || b == std::string::npos ? "" : head.substr(a + 1, b - a - 1);
    Route r;
    bool found;
    {
        std::lock_guard<std::mutex> lk(m_);
        requests_.push_back(path);
        auto it = routes_.find(path);
        found = it != routes_.end();
        if (found)
            r = it->second;
    }
    if (!found) {
        r.status = 404;
        r.body = "not here";
    }
    std::string out = "HTTP/1.1 " + std::to_string(r.status) + (r.status == 200 ? " OK" : " Error") +
                      "\r\nContent-Length: " + std::to_string(r.body.size()) + "\r\nConnection: close\r\n\r\n";
    out += r.cut_after < 0 ? r.body : r.body.substr(0, (size_t)r.cut_after);
    send_all(fd, out);
    for (size_t at = (size_t)r.cut_after; r.cut_after >= 0 && r.trickle_ms > 0 && at < r.body.size(); at++) {
        {
            std::unique_lock<std::mutex> lk(m_);
            if (cv_.wait_for(lk, std::chrono::milliseconds(r.trickle_ms), [this] { return stop_; }))
                break;
        }
        if (!send_all(fd, r.body.substr(at, 1)))
            break;
    }
    if (r.stall) {
        // Held until the client goes away or the server stops.
        {
            std::lock_guard<std::mutex> lk(m_);
            stalled_++;
        }
        for (;;) {
            {
                std::lock_guard<std::mutex> lk(m_);
                if (stop_)
                    break;
            }
            pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0 && recv(fd, buf, sizeof buf, 0) <= 0)
                break;
        }
        std::lock_guard<std::mutex> lk(m_);
        stalled_--;
    }
}

} // namespace kxtest
