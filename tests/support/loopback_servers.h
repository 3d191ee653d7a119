// Servers of our own on 127.0.0.1 for the connection tests: a listening
// socket the test drives by hand, a line server on its own thread that
// plays a script to one client, and a small HTTP server.
#pragma once
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kxtest {

// A listening TCP socket on 127.0.0.1 with a port the system picks.
class TcpListener {
public:
    TcpListener();
    ~TcpListener();
    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // Waits up to wait_ms for a client; its socket, or -1.
    int accept_one(int wait_ms);
private:
    int fd_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens (bound once, then closed).
int closed_port();
// Writes all bytes to a socket; false when it failed.
bool send_all(int fd, const std::string &bytes);

// Plays chunks to the first client, each with its own send, then closes
// the connection, or holds it open (sending nothing more) until destroyed.
class LoopbackLineServer {
public:
    LoopbackLineServer(std::vector<std::string> chunks, bool close_after);
    ~LoopbackLineServer();
    std::string address() const { return listener_.address(); }
    // Whether a client has connected (and so the chunks were sent).
    bool served();
private:
    TcpListener listener_;
    std::vector<std::string> chunks_;
    bool close_after_;
    std::mutex m_;
    std::condition_variable cv_;
    bool stop_ = false;
    bool served_ = false;
    std::thread thread_;
};

// An HTTP/1.1 server: each request path (with its query) answers from a
// route; unknown paths get 404. One connection at a time, closed after
// the answer.
class LoopbackHttpServer {
public:
    struct Route {
        int status = 200;
        std::string body;
        // Bytes of the body sent before the connection closes (-1: all);
        // the Content-Length still gives the whole body.
        long cut_after = -1;
        // Hold the connection after the part sent, until the server stops.
        bool stall = false;
        // After the part sent, the rest of the body one byte every this
        // many milliseconds (0: not at all), until the client goes away or
        // the server stops.
        int trickle_ms = 0;
    };
    LoopbackHttpServer();
    ~LoopbackHttpServer();
    std::string base_url() const { return "http://127.0.0.1:" + std::to_string(listener_.port()) + "/"; }
    void route(const std::string &path, const Route &r);
    void route(const std::string &path, const std::string &body);
    // The request paths in the order they came.
    std::vector<std::string> requests();
    // Whether a stalled answer is being held now.
    bool stalling();
private:
    void serve(int fd);
    TcpListener listener_;
    std::mutex m_;
    std::condition_variable cv_;
    bool stop_ = false;
    int stalled_ = 0;
    std::map<std::string, Route> routes_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

} // namespace kxtest
