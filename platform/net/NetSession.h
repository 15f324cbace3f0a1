// Internet transfers for the web update: HTTP(S) GET and POST, FTP downloads.
// One session holds one connection handle for a whole update run, so a
// keep-alive connection and an FTP login are reused between files.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace net {

struct TNetOptions {
  std::string Agent = "TNetUpdate";
  // A named proxy ("host:port"); its credentials go to the proxy only.
  std::string Proxy;
  std::string ProxyUser;
  std::string ProxyPassword;
  bool KeepAlive = false;
  long ConnectTimeoutSeconds = 30;
  // A transfer slower than LowSpeedBytes per second for LowSpeedSeconds is aborted.
  long LowSpeedBytes = 1;
  long LowSpeedSeconds = 60;
  // Asked at least every 50 ms while a transfer runs, also while it waits for a
  // connection or for data (a stalled server), so the caller can keep its window
  // alive; returning false cancels at once.
  std::function<bool()> OnIdle;
};

// Called with every block received (at most BlockSize bytes). Returning false
// cancels the transfer.
using TBlockHandler = std::function<bool(const char* data, size_t size)>;

// Size of the plain file `name` in a directory listing (Unix or DOS style), -1 when not listed.
int64_t FtpListedSize(const std::string& listing, const std::string& name);

struct TTransferResult {
  bool Opened = false;           // the server was reached and answered
  bool Connected = false;        // the server was reached, whether or not it answered
  long Status = 0;               // HTTP status, or the last FTP reply code
  int64_t ExpectedSize = 0;      // Content-Length or FTP size; 0 when not announced
  int64_t Received = 0;          // bytes handed to the block handler
  bool Cancelled = false;        // the block handler asked to stop
  bool Complete = false;         // ended normally and, when a size was announced, delivered all of it
  std::string Error;             // empty on success; never holds credentials
  // Every hop of the transfer came over https (an https address whose redirects,
  // if any, stayed on https).
  bool Secure = false;
  // An https transfer that a server redirected to plain http: refused, and this
  // is where it would have gone (without user information).
  std::string RefusedRedirect;
};

struct TFtpLogin {
  std::string Host;
  int Port = 21;
  std::string User;  // anonymous when User or Password is empty
  std::string Password;
  bool Passive = false;
};

class TNetSession {
public:
  static constexpr size_t BlockSize = 4096;

  explicit TNetSession(const TNetOptions& options);
  ~TNetSession();
  TNetSession(const TNetSession&) = delete;
  TNetSession& operator=(const TNetSession&) = delete;

  // False when the transfer library cannot be started.
  bool Valid() const;

  // GET of an http:// or https:// URL. `headers` are whole header lines without
  // line ends. Redirects are followed, to http and https only; from an https
  // address to https only (a redirect to http fails the transfer, see
  // RefusedRedirect). The body of an answer with status 300 or more is not handed
  // to the handler.
  TTransferResult HttpGet(const std::string& url, const std::vector<std::string>& headers,
                          const TBlockHandler& onBlock);
  // POST of `body` with the given content type; the answer goes to the handler.
  TTransferResult HttpPost(const std::string& url, const std::string& contentType,
                           const std::string& body, const TBlockHandler& onBlock);

  // Logs in to an FTP host; false with a reason when it cannot be reached or the
  // login is refused. The login is kept for later FTP calls.
  bool FtpConnect(const TFtpLogin& login, std::string& error);
  // Makes `dir` the directory later names are taken from; false when it does not exist.
  bool FtpChangeDir(const std::string& dir);
  // Size of a file in the current FTP directory as its listing gives it, -1 when
  // the listing names no such file.
  int64_t FtpFileSize(const std::string& name);
  // Binary download of a file in the current FTP directory.
  TTransferResult FtpGet(const std::string& name, const TBlockHandler& onBlock);
  void FtpDisconnect();

  // During a transfer (from a block handler): the size the server announced so
  // far, 0 when none.
  int64_t AnnouncedSize() const;

  // A URL without its user information, for texts a person or a log sees.
  static std::string RedactUrl(const std::string& url);

private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
};

}  // namespace net
