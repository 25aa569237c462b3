#pragma once
// A tiny HTTP server on 127.0.0.1 for one test: it takes one request per connection, keeps what
// it received, and answers as told. Started by the constructor on a free port, stopped (with
// every connection dropped) by the destructor.

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LocalHttpServer {
 public:
  enum class Behaviour {
    Answer,            // send the whole answer, then close
    NeverAnswer,       // read the request, then hold the connection open and say nothing
    CloseMidResponse,  // send the first half of the answer, then close
  };

  struct Request {
    std::string method;
    std::string target;
    std::string version;
    std::map<std::string, std::string> headers;  // names in lower case
    std::vector<std::string> headerOrder;        // names as sent
    std::string body;
  };

  explicit LocalHttpServer(std::string answer, Behaviour behaviour = Behaviour::Answer);
  ~LocalHttpServer();
  LocalHttpServer(const LocalHttpServer&) = delete;
  LocalHttpServer& operator=(const LocalHttpServer&) = delete;

  uint16_t Port() const { return m_port; }
  std::string Address() const { return "127.0.0.1:" + std::to_string(m_port); }
  // The complete requests received so far.
  std::vector<Request> Requests() const;
  size_t Connections() const;

  // A complete HTTP/1.1 answer with a body of known length.
  static std::string Ok(const std::string& body);

 private:
  void Serve();
  void Handle(int connection);
  // Reads until the request (head and Content-Length body) is complete; false if the peer left.
  bool ReadRequest(int connection, Request& request);
  // Waits until the server stops.
  void Hold();

  const std::string m_answer;
  const Behaviour m_behaviour;
  int m_listener = -1;
  int m_wake[2] = {-1, -1};  // written to on stop
  uint16_t m_port = 0;
  mutable std::mutex m_mutex;
  std::vector<Request> m_requests;  // guarded by m_mutex
  size_t m_connections = 0;         // guarded by m_mutex
  std::thread m_thread;
};
