// Local HTTP and FTP servers for the update tests, started per test on
// 127.0.0.1 at a free port and stopped with the fixture.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace updatetest {

class TTestServer {
public:
  // `script` is a file in tests/update/servers; args follow it.
  TTestServer(const std::string& script, const std::vector<std::string>& args) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      const std::string path = std::string(VELMARON_SOURCE_DIR) + "/tests/update/servers/" + script;
      std::vector<char*> argv;
      std::string python = "/usr/bin/python3";  // Debian's, which has pyftpdlib
      argv.push_back(python.data());
      std::string p = path;
      argv.push_back(p.data());
      std::vector<std::string> copy = args;
      for (auto& a : copy) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(python.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    std::string line;
    pollfd pfd{out[0], POLLIN, 0};
    char c;
    while (line.find('\n') == std::string::npos) {
      if (::poll(&pfd, 1, 15000) <= 0 || ::read(out[0], &c, 1) != 1) break;
      line += c;
    }
    ::close(out[0]);
    if (line.rfind("PORT ", 0) != 0) {
      Stop();
      throw std::runtime_error("test server " + script + " did not start (is python3-pyftpdlib installed?)");
    }
    port_ = std::stoi(line.substr(5));
  }
  ~TTestServer() { Stop(); }
  TTestServer(const TTestServer&) = delete;
  TTestServer& operator=(const TTestServer&) = delete;

  int Port() const { return port_; }
  std::string Base(const char* scheme = "http") const {
    return std::string(scheme) + "://127.0.0.1:" + std::to_string(port_);
  }

private:
  void Stop() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
      pid_ = -1;
    }
  }
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace updatetest
