#include "platform/net/NetSession.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sstream>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

namespace net {

namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Replaces every occurrence of a secret in a text meant for people.
std::string Scrub(std::string text, const std::vector<std::string>& secrets) {
  for (const std::string& s : secrets) {
    if (s.empty()) continue;
    for (size_t at = text.find(s); at != std::string::npos; at = text.find(s, at + 3))
      text.replace(at, s.size(), "***");
  }
  return text;
}

}  // namespace

TTransferResult Unstarted(const char* why) {
  TTransferResult r;
  r.Error = why;
  return r;
}

constexpr const char* kEndedEarly = "the transfer ended early";

struct TNetSession::TImpl {
  TNetOptions options;
  CURL* curl = nullptr;
  // Drives the transfers, so the caller is asked every few milliseconds even
  // while a server keeps silent; it also keeps the session's connections.
  CURLM* multi = nullptr;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  bool ftpConnected = false;
  TFtpLogin ftp;
  std::string ftpDir;  // URL path of the current directory, ends with "/"

  // State of the transfer under way.
  const TBlockHandler* onBlock = nullptr;
  TTransferResult* result = nullptr;
  bool checkHttpStatus = false;
  bool statusRefused = false;
  bool idleCancelled = false;
  std::string location;  // the last redirect's Location header
  // What the last answer's body was as it came from the server, and whether
  // more lay behind it; libcurl itself stops at the announced length.
  int64_t bodyArrived = 0;
  bool moreBehind = false;

  static size_t Header(char* data, size_t one, size_t count, void* self) {
    const size_t size = one * count;
    std::string line(data, size);
    if (line.size() > 9 && strncasecmp(line.c_str(), "location:", 9) == 0) {
      line.erase(0, 9);
      while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.erase(0, 1);
      while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == ' ')) line.pop_back();
      static_cast<TImpl*>(self)->location = line;
    }
    if (line.rfind("HTTP/", 0) == 0) static_cast<TImpl*>(self)->bodyArrived = 0;  // a new answer begins
    return size;
  }

  static int Debug(CURL*, curl_infotype type, char*, size_t size, void* self) {
    if (type == CURLINFO_DATA_IN) static_cast<TImpl*>(self)->bodyArrived += static_cast<int64_t>(size);
    return 0;
  }

  // Bytes the server sent past the body, still waiting in the connection
  // (over TLS they would be records, not the body: not looked at).
  void LookBehind(curl_socket_t s) {
    const char* scheme = nullptr;
    char c;
    if (result && s != CURL_SOCKET_BAD && curl_easy_getinfo(curl, CURLINFO_SCHEME, &scheme) == CURLE_OK && scheme &&
        strcasecmp(scheme, "http") == 0 && ::recv(s, &c, 1, MSG_PEEK | MSG_DONTWAIT) > 0)
      moreBehind = true;
  }

  static int CloseSocket(void* self, curl_socket_t s) {
    static_cast<TImpl*>(self)->LookBehind(s);
    return ::close(s);
  }

  std::vector<std::string> Secrets() const {
    return {options.ProxyPassword, ftp.Password};
  }

  static size_t Write(char* data, size_t one, size_t count, void* self) {
    return static_cast<TImpl*>(self)->OnData(data, one * count);
  }

  size_t OnData(const char* data, size_t size) {
    if (checkHttpStatus) {
      long code = 0;
      curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
      if (code >= 300) {  // an error page is never handed on
        statusRefused = true;
        return 0;
      }
    }
    if (result->ExpectedSize == 0) {
      curl_off_t length = -1;
      if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
          length > 0)
        result->ExpectedSize = length;
    }
    for (size_t at = 0; at < size; at += BlockSize) {
      const size_t n = std::min(BlockSize, size - at);
      result->Received += static_cast<int64_t>(n);
      if (onBlock && *onBlock && !(*onBlock)(data + at, n)) {
        result->Cancelled = true;
        return 0;
      }
    }
    return size;
  }

  static int Progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* impl = static_cast<TImpl*>(self);
    if (impl->idleCancelled) return 1;  // the caller said stop once: it is not asked again
    if (impl->options.OnIdle && !impl->options.OnIdle()) {
      impl->idleCancelled = true;
      return 1;
    }
    return 0;
  }

  // Options every request starts from; connections survive the reset.
  void Prepare(const std::string& url, const char* protocols) {
    curl_easy_reset(curl);
    errorBuffer[0] = 0;
    statusRefused = false;
    idleCancelled = false;
    location.clear();
    bodyArrived = 0;
    moreBehind = false;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, protocols);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, options.Agent.c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, options.ConnectTimeoutSeconds);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, options.LowSpeedBytes);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, options.LowSpeedSeconds);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &TImpl::Write);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &TImpl::Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, &TImpl::Debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETFUNCTION, &TImpl::CloseSocket);
    curl_easy_setopt(curl, CURLOPT_CLOSESOCKETDATA, this);
    // With none named the system's hold: http_proxy, https_proxy, ftp_proxy, all_proxy and no_proxy.
    if (!options.Proxy.empty()) curl_easy_setopt(curl, CURLOPT_PROXY, options.Proxy.c_str());
    // The login is for whichever proxy carries the request, named or the system's.
    if (!options.ProxyUser.empty()) {
      curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, options.ProxyUser.c_str());
      curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, options.ProxyPassword.c_str());
    }
    if (!options.KeepAlive) curl_easy_setopt(curl, CURLOPT_FORBID_REUSE, 1L);
    // A site's own certificate authority, the way the curl tool is told of one.
    if (const char* ca = std::getenv("CURL_CA_BUNDLE"); ca && *ca) curl_easy_setopt(curl, CURLOPT_CAINFO, ca);
  }

  // Asks for what the server says about a path, without its contents.
  TTransferResult Probe() {
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    TTransferResult r = Perform(nullptr, false);
    if (r.Error == kEndedEarly) {  // nothing was meant to arrive
      r.Error.clear();
      r.Complete = true;
    }
    return r;
  }

  TTransferResult Perform(const TBlockHandler* handler, bool httpStatus) {
    TTransferResult r;
    onBlock = handler;
    result = &r;
    checkHttpStatus = httpStatus;
    const CURLcode rc = Run();
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    r.Status = code;
    r.Opened = code != 0;
    long connects = 0;
    r.Connected = r.Opened || (curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &connects) == CURLE_OK && connects > 0);
    if (r.ExpectedSize == 0) {
      curl_off_t length = -1;
      if (curl_easy_getinfo(curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
          length > 0)
        r.ExpectedSize = length;
    }
    if (idleCancelled) r.Cancelled = true;
    if (rc == CURLE_OK && !(httpStatus && code >= 300)) {
      r.Complete = r.ExpectedSize == 0 || r.Received == r.ExpectedSize;
      if (!r.Complete) r.Error = kEndedEarly;
      // A longer body is no more the file than a shorter one.
      if (r.Complete && httpStatus && r.ExpectedSize > 0 && (bodyArrived > r.ExpectedSize || moreBehind)) {
        r.Complete = false;
        r.Error = "the server sent more than the " + std::to_string(r.ExpectedSize) + " bytes it announced";
      }
    } else if (r.Cancelled) {
      r.Error = "cancelled";
    } else if (statusRefused || (httpStatus && code >= 300)) {
      r.Error = "HTTP status " + std::to_string(code);
    } else {
      r.Error = errorBuffer[0] ? errorBuffer : curl_easy_strerror(rc);
    }
    r.Error = Scrub(r.Error, Secrets());
    onBlock = nullptr;
    result = nullptr;
    return r;
  }

  // The transfer under way to its end. The caller's idle check runs at least
  // every kIdleMs, so a cancel takes effect at once, also before a server answers.
  static constexpr int kIdleMs = 50;
  CURLcode Run() {
    if (!multi) return curl_easy_perform(curl);
    if (curl_multi_add_handle(multi, curl) != CURLM_OK) return curl_easy_perform(curl);
    CURLcode rc = CURLE_OK;
    bool done = false;
    for (;;) {
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        rc = CURLE_FAILED_INIT;
        break;
      }
      int left = 0;
      while (CURLMsg* m = curl_multi_info_read(multi, &left)) {
        if (m->msg == CURLMSG_DONE && m->easy_handle == curl) {
          rc = m->data.result;
          done = true;
        }
      }
      if (done || running == 0) {
        // A connection kept for the next request: anything waiting in it came after the body.
        curl_socket_t s = CURL_SOCKET_BAD;
        if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &s) == CURLE_OK) LookBehind(s);
        break;
      }
      if (idleCancelled || (options.OnIdle && !options.OnIdle())) {
        idleCancelled = true;
        rc = CURLE_ABORTED_BY_CALLBACK;
        break;
      }
      curl_multi_poll(multi, nullptr, 0, kIdleMs, nullptr);
    }
    curl_multi_remove_handle(multi, curl);
    return rc;
  }

  std::string FtpBase() const {
    return "ftp://" + ftp.Host + ":" + std::to_string(ftp.Port) + "/";
  }

  std::string Escape(const std::string& segment) const {
    char* e = curl_easy_escape(curl, segment.c_str(), static_cast<int>(segment.size()));
    std::string out = e ? e : "";
    curl_free(e);
    return out;
  }

  void PrepareFtp(const std::string& url) {
    Prepare(url, "ftp");
    if (!ftp.User.empty() && !ftp.Password.empty()) {
      curl_easy_setopt(curl, CURLOPT_USERNAME, ftp.User.c_str());
      curl_easy_setopt(curl, CURLOPT_PASSWORD, ftp.Password.c_str());
    }
    // Active mode: the server connects back to the address of the control connection.
    curl_easy_setopt(curl, CURLOPT_FTPPORT, ftp.Passive ? nullptr : "-");
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPSV, ftp.Passive ? 1L : 0L);
    curl_easy_setopt(curl, CURLOPT_FTP_USE_EPRT, 0L);
  }
};

TNetSession::TNetSession(const TNetOptions& options) : impl_(std::make_unique<TImpl>()) {
  GlobalInit();
  impl_->options = options;
  impl_->curl = curl_easy_init();
  impl_->multi = curl_multi_init();
}

TNetSession::~TNetSession() {
  if (impl_->curl) curl_easy_cleanup(impl_->curl);
  if (impl_->multi) curl_multi_cleanup(impl_->multi);
}

bool TNetSession::Valid() const { return impl_->curl != nullptr; }

TTransferResult TNetSession::HttpGet(const std::string& url, const std::vector<std::string>& headers,
                                     const TBlockHandler& onBlock) {
  if (!Valid()) return Unstarted("the transfer library did not start");
  // Trust follows the transport actually used: once on https, every hop stays there.
  const bool https = url.size() >= 8 && strncasecmp(url.c_str(), "https://", 8) == 0;
  impl_->Prepare(url, "http,https");
  curl_easy_setopt(impl_->curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(impl_->curl, CURLOPT_MAXREDIRS, 10L);
  curl_easy_setopt(impl_->curl, CURLOPT_REDIR_PROTOCOLS_STR, https ? "https" : "http,https");
  curl_easy_setopt(impl_->curl, CURLOPT_HEADERFUNCTION, &TImpl::Header);
  curl_easy_setopt(impl_->curl, CURLOPT_HEADERDATA, impl_.get());
  // A reload: neither the server's nor a proxy's cache answers.
  curl_slist* list = curl_slist_append(nullptr, "Cache-Control: no-cache");
  list = curl_slist_append(list, "Pragma: no-cache");
  for (const std::string& h : headers)
    if (!h.empty()) list = curl_slist_append(list, h.c_str());
  curl_easy_setopt(impl_->curl, CURLOPT_HTTPHEADER, list);
  TTransferResult r = impl_->Perform(&onBlock, true);
  curl_easy_setopt(impl_->curl, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(list);
  if (https) {
    const char* scheme = nullptr;
    r.Secure = curl_easy_getinfo(impl_->curl, CURLINFO_SCHEME, &scheme) == CURLE_OK && scheme &&
               strcasecmp(scheme, "https") == 0;
    const std::string& to = impl_->location;
    if (!r.Complete && !r.Cancelled && to.size() >= 7 && strncasecmp(to.c_str(), "http://", 7) == 0) {
      r.Secure = false;
      r.RefusedRedirect = RedactUrl(to);
      r.Error = "an https transfer may not be redirected to plain http (" + r.RefusedRedirect + ")";
    }
  }
  return r;
}

TTransferResult TNetSession::HttpPost(const std::string& url, const std::string& contentType,
                                      const std::string& body, const TBlockHandler& onBlock) {
  if (!Valid()) return Unstarted("the transfer library did not start");
  impl_->Prepare(url, "http,https");
  const std::string header = "Content-Type: " + contentType;
  curl_slist* list = curl_slist_append(nullptr, header.c_str());
  curl_easy_setopt(impl_->curl, CURLOPT_HTTPHEADER, list);
  curl_easy_setopt(impl_->curl, CURLOPT_POST, 1L);
  curl_easy_setopt(impl_->curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(impl_->curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  // The answer of a refused post is still the server's answer.
  TTransferResult r = impl_->Perform(&onBlock, false);
  curl_easy_setopt(impl_->curl, CURLOPT_HTTPHEADER, nullptr);
  curl_slist_free_all(list);
  return r;
}

bool TNetSession::FtpConnect(const TFtpLogin& login, std::string& error) {
  if (!Valid()) {
    error = "the transfer library did not start";
    return false;
  }
  impl_->ftp = login;
  impl_->ftpDir.clear();
  impl_->PrepareFtp(impl_->FtpBase());
  TTransferResult r = impl_->Probe();
  impl_->ftpConnected = r.Error.empty();
  if (!impl_->ftpConnected) error = r.Error;
  return impl_->ftpConnected;
}

bool TNetSession::FtpChangeDir(const std::string& dir) {
  if (!impl_->ftpConnected) return false;
  std::string path;
  size_t start = 0;
  if (!dir.empty() && dir[0] == '/') {
    path = "%2F";  // absolute, not below the login directory
    start = 1;
  }
  while (start < dir.size()) {
    size_t end = dir.find('/', start);
    if (end == std::string::npos) end = dir.size();
    if (end > start) path += impl_->Escape(dir.substr(start, end - start)) + "/";
    start = end + 1;
  }
  impl_->PrepareFtp(impl_->FtpBase() + path);
  TTransferResult r = impl_->Probe();
  if (!r.Error.empty()) return false;
  impl_->ftpDir = path;
  return true;
}

int64_t FtpListedSize(const std::string& listing, const std::string& name) {
  std::istringstream lines(listing);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // A directory's listing names what is in it, not the directory.
    if (line.size() <= name.size() || line.compare(line.size() - name.size(), name.size(), name) != 0 ||
        line[line.size() - name.size() - 1] != ' ')
      continue;
    std::istringstream in(line);
    std::vector<std::string> f;
    for (std::string w; in >> w && f.size() < 9;) f.push_back(w);
    std::string size;
    if (f.size() >= 9 && f[0].size() >= 10 && f[0][0] == '-')
      size = f[4];  // "-rw-r--r-- 1 owner group SIZE Dec 08 12:00 name"
    else if (f.size() >= 4 && f[0].size() >= 8 && f[0][2] == '-' && f[2] != "<DIR>")
      size = f[2];  // "12-08-26 10:00AM SIZE name"
    if (size.empty() || size.size() > 18 || size.find_first_not_of("0123456789") != std::string::npos) continue;
    return std::stoll(size);
  }
  return -1;
}

int64_t TNetSession::FtpFileSize(const std::string& name) {
  if (!impl_->ftpConnected || name.empty() || name.find_first_of("\r\n") != std::string::npos) return -1;
  // A listing, as every server gives one; many refuse the SIZE command.
  impl_->PrepareFtp(impl_->FtpBase() + impl_->ftpDir);
  const std::string command = "LIST " + name;
  curl_easy_setopt(impl_->curl, CURLOPT_CUSTOMREQUEST, command.c_str());
  std::string listing;
  const TBlockHandler collect = [&](const char* data, size_t n) {
    listing.append(data, n);
    return listing.size() < 65536;
  };
  const TTransferResult r = impl_->Perform(&collect, false);
  if (!r.Error.empty() && r.Error != kEndedEarly) return -1;
  return FtpListedSize(listing, name);
}

TTransferResult TNetSession::FtpGet(const std::string& name, const TBlockHandler& onBlock) {
  if (!impl_->ftpConnected) return Unstarted("not connected to an FTP host");
  impl_->PrepareFtp(impl_->FtpBase() + impl_->ftpDir + impl_->Escape(name));
  return impl_->Perform(&onBlock, false);
}

void TNetSession::FtpDisconnect() {
  impl_->ftpConnected = false;
  impl_->ftpDir.clear();
  // Dropping the handles' connections closes the control connection.
  if (impl_->curl) {
    curl_easy_cleanup(impl_->curl);
    impl_->curl = curl_easy_init();
  }
  if (impl_->multi) {
    curl_multi_cleanup(impl_->multi);
    impl_->multi = curl_multi_init();
  }
}

int64_t TNetSession::AnnouncedSize() const {
  return impl_->result ? impl_->result->ExpectedSize : 0;
}

std::string TNetSession::RedactUrl(const std::string& url) {
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  const size_t hostStart = scheme + 3;
  size_t hostEnd = url.find_first_of("/\\?#", hostStart);
  if (hostEnd == std::string::npos) hostEnd = url.size();
  const size_t at = url.rfind('@', hostEnd);
  if (at == std::string::npos || at < hostStart) return url;
  return url.substr(0, hostStart) + url.substr(at + 1);
}

}  // namespace net
