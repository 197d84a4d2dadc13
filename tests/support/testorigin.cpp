// The local HTTP origin of the relay's suites and benchmark: "GET /size/N" answers N bytes of the
// origin pattern, "POST" reads its body and answers its length ("POST /stop/N" reads N bytes of it
// at most, then answers 413 and closes), a request for an absolute URL is
// answered as its path (so the origin can stand as an outer proxy), and "CONNECT" answers 200 and
// serves the requests that come through the tunnel. One thread per connection, blocking sockets.
// Usage: testorigin [port] (0 or none: any free port); prints "listening <port>" once it listens.
#include "originpattern.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
constexpr size_t MaxHeadBytes = 16 * 1024;
constexpr size_t SendBlock = 256 * 1024;
constexpr int ListenBacklog = 512;
constexpr int DecimalBase = 10;

// The pattern laid out so that any block of SendBlock bytes starting within one period is contiguous.
const std::vector<char> &PatternBuffer()
{
    static const std::vector<char> buffer = [] {
        std::vector<char> bytes(OriginPattern::Period + SendBlock);
        for (size_t i = 0; i < bytes.size(); ++i) {
            bytes[i] = OriginPattern::ByteAt(static_cast<qint64>(i));
        }
        return bytes;
    }();
    return buffer;
}

bool SendAll(int Socket, const char *Data, size_t Size)
{
    while (Size > 0) {
        const ssize_t sent = ::send(Socket, Data, Size, MSG_NOSIGNAL);
        if (sent <= 0) {
            return false;
        }
        Data += sent;
        Size -= static_cast<size_t>(sent);
    }
    return true;
}

bool SendText(int Socket, const std::string &Text)
{
    return SendAll(Socket, Text.data(), Text.size());
}

bool SendPattern(int Socket, unsigned long long Size)
{
    const std::vector<char> &pattern = PatternBuffer();
    unsigned long long offset = 0;
    while (offset < Size) {
        const size_t start = static_cast<size_t>(offset % OriginPattern::Period);
        const size_t block = static_cast<size_t>(std::min<unsigned long long>(SendBlock, Size - offset));
        if (!SendAll(Socket, pattern.data() + start, block)) {
            return false;
        }
        offset += block;
    }
    return true;
}

// Reads up to the end of the head ("\r\n\r\n"); what came after it stays in Rest.
bool ReadHead(int Socket, std::string &Rest, std::string &Head)
{
    for (;;) {
        const size_t end = Rest.find("\r\n\r\n");
        if (end != std::string::npos) {
            Head = Rest.substr(0, end + 2);
            Rest.erase(0, end + 4);
            return true;
        }
        if (Rest.size() > MaxHeadBytes) {
            return false;
        }
        char buffer[4096];
        const ssize_t got = ::recv(Socket, buffer, sizeof buffer, 0);
        if (got <= 0) {
            return false;
        }
        Rest.append(buffer, static_cast<size_t>(got));
    }
}

std::string HeaderValue(const std::string &Head, const std::string &Name)
{
    size_t at = 0;
    while ((at = Head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (strncasecmp(Head.c_str() + at, Name.c_str(), Name.size()) == 0 && Head[at + Name.size()] == ':') {
            const size_t from = Head.find_first_not_of(' ', at + Name.size() + 1);
            const size_t to = Head.find("\r\n", at);
            return from == std::string::npos || from > to ? std::string() : Head.substr(from, to - from);
        }
    }
    return {};
}

bool DiscardBody(int Socket, std::string &Rest, unsigned long long Size)
{
    const size_t fromRest = static_cast<size_t>(std::min<unsigned long long>(Size, Rest.size()));
    Rest.erase(0, fromRest);
    Size -= fromRest;
    char buffer[65536];
    while (Size > 0) {
        const ssize_t got = ::recv(Socket, buffer, std::min<unsigned long long>(Size, sizeof buffer), 0);
        if (got <= 0) {
            return false;
        }
        Size -= static_cast<unsigned long long>(got);
    }
    return true;
}

// Answers one request; false when the connection is to end.
bool Serve(int Socket, std::string &Rest)
{
    std::string head;
    if (!ReadHead(Socket, Rest, head)) {
        return false;
    }
    const size_t firstBlank = head.find(' ');
    const size_t secondBlank = head.find(' ', firstBlank + 1);
    if (firstBlank == std::string::npos || secondBlank == std::string::npos) {
        SendText(Socket, "HTTP/1.1 400 Bad Request\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return false;
    }
    const std::string method = head.substr(0, firstBlank);
    std::string target = head.substr(firstBlank + 1, secondBlank - firstBlank - 1);
    const bool close = HeaderValue(head, "Connection") == "close";
    if (method == "CONNECT") {
        return SendText(Socket, "HTTP/1.1 200 Connection established\r\n\r\n");
    }
    if (target.rfind("http://", 0) == 0) {
        const size_t path = target.find('/', std::strlen("http://"));
        target = path == std::string::npos ? std::string("/") : target.substr(path);
    }
    const std::string connection = close ? "close" : "keep-alive";
    if (method == "POST" && target.rfind("/stop/", 0) == 0) {
        // Reads that much of the body at most, refuses the rest and closes without reading it.
        const unsigned long long most = std::strtoull(target.c_str() + std::strlen("/stop/"), nullptr, DecimalBase);
        const unsigned long long length =
            std::strtoull(HeaderValue(head, "Content-Length").c_str(), nullptr, DecimalBase);
        DiscardBody(Socket, Rest, std::min(most, length));
        SendText(Socket, "HTTP/1.1 413 Payload Too Large\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
        return false;
    }
    if (method == "POST") {
        const unsigned long long length =
            std::strtoull(HeaderValue(head, "Content-Length").c_str(), nullptr, DecimalBase);
        if (!DiscardBody(Socket, Rest, length)) {
            return false;
        }
        const std::string body = "received " + std::to_string(length);
        return SendText(Socket,
                        "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size())
                            + "\r\nConnection: " + connection + "\r\n\r\n" + body)
               && !close;
    }
    if (method == "GET" && target.rfind("/size/", 0) == 0) {
        const unsigned long long size = std::strtoull(target.c_str() + std::strlen("/size/"), nullptr, DecimalBase);
        return SendText(Socket,
                        "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                            + std::to_string(size) + "\r\nConnection: " + connection + "\r\n\r\n")
               && SendPattern(Socket, size) && !close;
    }
    SendText(Socket, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    return false;
}

void Connection(int Socket)
{
    std::string rest;
    while (Serve(Socket, rest)) {
    }
    ::close(Socket);
}
} // namespace

int main(int argc, char *argv[])
{
    std::signal(SIGPIPE, SIG_IGN);
    PatternBuffer();
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int reuse = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(argc > 1 ? std::atoi(argv[1]) : 0));
    if (::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(listener, ListenBacklog) != 0) {
        std::perror("testorigin");
        return 1;
    }
    socklen_t length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length);
    std::printf("listening %u\n", ntohs(address.sin_port));
    std::fflush(stdout);
    for (;;) {
        const int socket = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0) {
            continue;
        }
        const int noDelay = 1;
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
        std::thread(Connection, socket).detach();
    }
}
