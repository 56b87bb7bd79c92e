// A small HTTP server on 127.0.0.1 for Windows test programs that fetch pages (Brovana's GetHtmlLength, the
// organizer's version check). It listens on a free port that the system picks, answers on a thread of its own,
// one request per connection (the connection is closed after the answer), and serves what the test put in for a
// path; any other path gets 404 with an empty body. Bodies are sent byte for byte (NUL bytes included).
//
//   #include "tests/http_server.h"              // link the test with ws2_32
//   TestHttpServer server;                      // listening once constructed
//   server.serve("/version", "1.0.0.2");        // 200 with this body
//   server.serve("/gone", "missing", 404);      // any status
//   server.serve("/x", "a", 200, "Cache-Control: max-age=3600\r\n"); // extra header lines, each ending CR LF
//   server.silent("/mute", "");                 // sends these bytes as they are, then says nothing more and keeps
//                                               // the connection open until the server stops
//   std::string url = server.url("/version");   // "http://127.0.0.1:PORT/version"
//   server.requests("/version");                // how many requests came for the path
//   server.lastHeader("User-Agent");            // a header of the last request ("" when it had none)
//   server.stop();                              // stops listening: later connections are refused
//   TestHttpServer::refusedUrl("/x");           // an address on a port where nothing listens
//
// Programs that run another process against it (Velquin.exe under Wine) pass server.url(...) to that process;
// the server lives as long as the object.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TestHttpServer {
public:
    TestHttpServer() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = loopback(0);
        bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        listen(listener_, 16);
        port_ = boundPort(listener_);
        thread_ = std::thread([this] { run(); });
    }

    ~TestHttpServer() {
        stop();
        WSACleanup();
    }

    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    // Answers requests for path (such as "/page") with status, the extra header lines and body.
    void serve(const std::string& path, const std::string& body, int status = 200, const std::string& headers = "") {
        std::lock_guard<std::mutex> lock(mutex_);
        pages_[path] = Page{status, headers, body};
    }

    // Answers requests for path with exactly these bytes (none at all for ""), then holds the connection open
    // without another word until the server stops: a server that hangs in the middle of its answer.
    void silent(const std::string& path, const std::string& bytes) {
        std::lock_guard<std::mutex> lock(mutex_);
        silent_[path] = bytes;
    }

    unsigned short port() const { return port_; }

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    int requests(const std::string& path) const {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = counts_.find(path);
        return it == counts_.end() ? 0 : it->second;
    }

    // The value of a header line of the last request, matched without regard to case.
    std::string lastHeader(const std::string& name) const {
        std::lock_guard<std::mutex> lock(mutex_);
        std::size_t at = 0;
        while ((at = lastRequest_.find("\r\n", at)) != std::string::npos) {
            at += 2;
            if (_strnicmp(lastRequest_.c_str() + at, name.c_str(), name.size()) == 0 &&
                lastRequest_.compare(at + name.size(), 1, ":") == 0) {
                std::size_t begin = lastRequest_.find_first_not_of(' ', at + name.size() + 1);
                std::size_t end = lastRequest_.find("\r\n", at);
                return begin < end ? lastRequest_.substr(begin, end - begin) : std::string();
            }
        }
        return {};
    }

    // Ends the server thread and closes the listening socket.
    void stop() {
        if (!thread_.joinable()) return;
        stopping_ = true;
        thread_.join();
        for (SOCKET s : held_)
            closesocket(s);
        held_.clear();
        closesocket(listener_);
        listener_ = INVALID_SOCKET;
    }

    // An address whose port was free a moment ago and has no listener: a connection to it is refused.
    static std::string refusedUrl(const std::string& path) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = loopback(0);
        bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        unsigned short port = boundPort(s);
        closesocket(s);
        WSACleanup();
        return "http://127.0.0.1:" + std::to_string(port) + path;
    }

private:
    struct Page {
        int status;
        std::string headers;
        std::string body;
    };

    static sockaddr_in loopback(unsigned short port) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return addr;
    }

    static unsigned short boundPort(SOCKET s) {
        sockaddr_in addr{};
        int len = sizeof addr;
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
        return ntohs(addr.sin_port);
    }

    static const char* reason(int status) {
        switch (status) {
        case 200:
            return "OK";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
        }
    }

    void run() {
        while (!stopping_) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener_, &ready);
            timeval wait{0, 20000};
            if (select(0, &ready, nullptr, nullptr, &wait) <= 0) continue;
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) continue;
            if (answer(client))
                held_.push_back(client);
            else
                closesocket(client);
        }
    }

    // True when the connection is to be held open (a silent path).
    bool answer(SOCKET client) {
        DWORD timeout = 5000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        std::string request;
        char buf[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            int n = recv(client, buf, sizeof buf, 0);
            if (n <= 0) return false;
            request.append(buf, static_cast<std::size_t>(n));
        }
        // "GET /path HTTP/1.1": the target is the text between the first two blanks.
        std::size_t sp1 = request.find(' ');
        std::size_t sp2 = sp1 == std::string::npos ? sp1 : request.find(' ', sp1 + 1);
        std::string path = sp2 == std::string::npos ? std::string() : request.substr(sp1 + 1, sp2 - sp1 - 1);
        Page page{404, "", ""};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lastRequest_ = request;
            ++counts_[path];
            auto quiet = silent_.find(path);
            if (quiet != silent_.end()) {
                send(client, quiet->second.data(), static_cast<int>(quiet->second.size()), 0);
                return true;
            }
            auto it = pages_.find(path);
            if (it != pages_.end()) page = it->second;
        }
        std::string response = "HTTP/1.1 " + std::to_string(page.status) + " " + reason(page.status) +
                               "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(page.body.size()) +
                               "\r\nConnection: close\r\n" + page.headers + "\r\n" + page.body;
        for (std::size_t sent = 0; sent < response.size();) {
            int n = send(client, response.data() + sent, static_cast<int>(response.size() - sent), 0);
            if (n <= 0) return false;
            sent += static_cast<std::size_t>(n);
        }
        // Close gracefully: a reset could cut off the end of the answer before the client has read it.
        shutdown(client, SD_SEND);
        timeout = 1000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        while (recv(client, buf, sizeof buf, 0) > 0) {
        }
        return false;
    }

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, Page> pages_; // what to answer, by path
    std::map<std::string, std::string> silent_; // paths answered with these bytes and then silence
    std::vector<SOCKET> held_;                   // their connections, the server thread's until it ends
    std::map<std::string, int> counts_; // requests seen, by path
    std::string lastRequest_;           // request line and headers of the last request
};
