#include "support/LocalHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

void SendAll(int socket, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

}  // namespace

LocalHttpServer::LocalHttpServer(std::string answer, Behaviour behaviour)
    : m_answer(std::move(answer)), m_behaviour(behaviour) {
  if (::pipe(m_wake) != 0) throw std::runtime_error("pipe failed");
  m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
      ::listen(m_listener, 8) != 0 || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  m_port = ntohs(address.sin_port);
  m_thread = std::thread([this] { Serve(); });
}

LocalHttpServer::~LocalHttpServer() {
  const char stop = 1;
  (void)::write(m_wake[1], &stop, 1);
  m_thread.join();
  ::close(m_listener);
  ::close(m_wake[0]);
  ::close(m_wake[1]);
}

std::vector<LocalHttpServer::Request> LocalHttpServer::Requests() const {
  std::lock_guard lock(m_mutex);
  return m_requests;
}

size_t LocalHttpServer::Connections() const {
  std::lock_guard lock(m_mutex);
  return m_connections;
}

std::string LocalHttpServer::Ok(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

void LocalHttpServer::Serve() {
  for (;;) {
    pollfd ready[2] = {{m_listener, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    if (::poll(ready, 2, -1) < 0) continue;
    if (ready[1].revents) return;
    const int connection = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) continue;
    {
      std::lock_guard lock(m_mutex);
      ++m_connections;
    }
    Handle(connection);
    ::close(connection);
  }
}

void LocalHttpServer::Handle(int connection) {
  Request request;
  if (!ReadRequest(connection, request)) return;
  {
    std::lock_guard lock(m_mutex);
    m_requests.push_back(request);
  }
  switch (m_behaviour) {
    case Behaviour::Answer:
      SendAll(connection, m_answer);
      break;
    case Behaviour::NeverAnswer:
      Hold();
      break;
    case Behaviour::CloseMidResponse:
      SendAll(connection, m_answer.substr(0, m_answer.size() / 2));
      break;
  }
}

bool LocalHttpServer::ReadRequest(int connection, Request& request) {
  std::string received;
  size_t headEnd = std::string::npos;
  size_t bodyLength = 0;
  for (;;) {
    if (headEnd == std::string::npos) {
      headEnd = received.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        std::istringstream head(received.substr(0, headEnd));
        std::string line;
        std::getline(head, line);
        std::istringstream(line) >> request.method >> request.target >> request.version;
        while (std::getline(head, line)) {
          if (!line.empty() && line.back() == '\r') line.pop_back();
          const size_t colon = line.find(':');
          if (colon == std::string::npos) continue;
          const std::string name = line.substr(0, colon);
          const size_t valueStart = line.find_first_not_of(' ', colon + 1);
          request.headerOrder.push_back(name);
          request.headers[Lower(name)] = valueStart == std::string::npos ? "" : line.substr(valueStart);
        }
        const auto length = request.headers.find("content-length");
        bodyLength = length == request.headers.end() ? 0 : std::strtoul(length->second.c_str(), nullptr, 10);
      }
    }
    if (headEnd != std::string::npos && received.size() >= headEnd + 4 + bodyLength) {
      request.body = received.substr(headEnd + 4, bodyLength);
      return true;
    }
    pollfd ready[2] = {{connection, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
    if (::poll(ready, 2, -1) < 0 || ready[1].revents) return false;
    char buffer[4096];
    const ssize_t n = ::recv(connection, buffer, sizeof(buffer), 0);
    if (n <= 0) return false;
    received.append(buffer, static_cast<size_t>(n));
  }
}

void LocalHttpServer::Hold() {
  pollfd ready{m_wake[0], POLLIN, 0};
  while (::poll(&ready, 1, -1) < 0) {
  }
}
