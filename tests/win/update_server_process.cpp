#include "update_server_process.h"

#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>

#include <atomic>
#include <fstream>
#include <sstream>

#ifndef TW_SOURCE_DIR
#error "TW_SOURCE_DIR must name the source tree"
#endif

namespace tw::test {
namespace {

std::string ZPath(const std::string& unix_path) {
  std::string p = "Z:" + unix_path;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  return p;
}

std::string ReadFile(const std::string& windows_path) {
  std::ifstream in(windows_path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// A small reader for the flat JSON lines the server writes: strings, arrays of string pairs, numbers.
class Json {
 public:
  explicit Json(const std::string& text) : t_(text) {}
  std::string String() {
    Skip();
    std::string out;
    if (t_[i_] != '"') return out;
    ++i_;
    while (i_ < t_.size() && t_[i_] != '"') {
      char c = t_[i_++];
      if (c != '\\') {
        out += c;
        continue;
      }
      char e = t_[i_++];
      switch (e) {
        case 'r':
          out += '\r';
          break;
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          const unsigned v = static_cast<unsigned>(std::stoul(t_.substr(i_, 4), nullptr, 16));
          i_ += 4;
          out += static_cast<char>(v & 0xFF);  // the server logs bytes as latin-1
          break;
        }
        default:
          out += e;
      }
    }
    ++i_;
    return out;
  }
  bool Find(const std::string& key) {
    const size_t at = t_.find("\"" + key + "\": ");
    if (at == std::string::npos) return false;
    i_ = at + key.size() + 4;
    return true;
  }
  void Expect(char c) {
    Skip();
    if (t_[i_] == c) ++i_;
  }
  bool Peek(char c) {
    Skip();
    return t_[i_] == c;
  }

 private:
  void Skip() {
    while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == ',')) ++i_;
  }
  const std::string& t_;
  size_t i_ = 0;
};

// One test CA and server certificate for every HTTPS server of the test program: Wine reads the trusted roots
// once per process, so a CA added after the first verification would not count.
std::string TlsDir() {
  // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread changes the environment meanwhile
  const char* base = std::getenv("TW_RUN_DIR");
  return std::string(base ? base : "/tmp") + "/tls-" + std::to_string(GetCurrentProcessId());
}

// Adds the PEM certificate to the current user's trusted roots (Wine asks nobody, unlike Windows).
bool TrustRoot(const std::string& pem) {
  DWORD size = 0;
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
    return false;
  std::string der(size, '\0');
  if (!CryptStringToBinaryA(pem.c_str(), 0, CRYPT_STRING_BASE64HEADER, reinterpret_cast<BYTE*>(der.data()),
                            &size, nullptr, nullptr)) {
    return false;
  }
  HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  if (!store) return false;
  const BOOL added =
      CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                       size, CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  CertCloseStore(store, 0);
  return added != FALSE;
}

}  // namespace

UpdateServerProcess::UpdateServerProcess(const std::string& script_json, const std::string& tls_max,
                                         bool revoked) {
  static std::atomic<int> serial{0};
  // NOLINTNEXTLINE(concurrency-mt-unsafe): no other thread changes the environment meanwhile
  const char* base = std::getenv("TW_RUN_DIR");
  dir_unix_ = std::string(base ? base : "/tmp") + "/update-server-" + std::to_string(GetCurrentProcessId()) +
              "-" + std::to_string(serial++);
  CreateDirectoryA(ZPath(dir_unix_).c_str(), nullptr);
  std::ofstream(ZPath(dir_unix_ + "/script.json"), std::ios::binary) << script_json;
  std::wstring cmd = L"/usr/bin/python3 ";
  const std::string args =
      std::string(TW_SOURCE_DIR) + "/tests/e2e/servers/update_server.py --port 0 --port-file " + dir_unix_ +
      "/port --log " + dir_unix_ + "/log.jsonl --script " + dir_unix_ + "/script.json --max-seconds 120" +
      (tls_max.empty() ? "" : " --tls-dir " + TlsDir() + " --tls-max " + tls_max) +
      (revoked ? " --tls-revoked" : "");
  cmd.append(args.begin(), args.end());
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  for (int i = 0; i < 200 && port_ == 0; ++i) {
    const std::string port = ReadFile(ZPath(dir_unix_ + "/port"));
    if (!port.empty()) port_ = std::stoi(port);
    if (port_ == 0) Sleep(25);
  }
  // The server makes its certificates before it listens.
  tls_ = !tls_max.empty();
  if (tls_ && port_ && !TrustRoot(ReadFile(ZPath(TlsDir() + "/ca.crt")))) port_ = 0;
}

UpdateServerProcess::~UpdateServerProcess() {
  // The server stops on its own after --max-seconds; a quit file ends it at once. Written whatever happened:
  // Wine gives no process handle for a Unix program, and a server whose start was refused may still run.
  std::ofstream(ZPath(dir_unix_ + "/quit")) << "1";
  if (process_) {
    WaitForSingleObject(process_, 3000);
    CloseHandle(process_);
  }
}

std::u16string UpdateServerProcess::Url(const std::string& path) const {
  // A certificate names a host: "localhost" (the run's resolver maps it to loopback).
  const std::string url = (tls_ ? "https://localhost:" : "http://127.0.0.1:") + std::to_string(port_) + path;
  return std::u16string(url.begin(), url.end());
}

std::vector<LoggedRequest> UpdateServerProcess::Requests() const {
  std::vector<LoggedRequest> out;
  std::istringstream lines(ReadFile(ZPath(dir_unix_ + "/log.jsonl")));
  std::string line;
  while (std::getline(lines, line)) {
    LoggedRequest r;
    Json j(line);
    if (j.Find("method")) r.method = j.String();
    if (j.Find("target")) r.target = j.String();
    if (j.Find("raw")) r.raw = j.String();
    if (j.Find("headers")) {
      j.Expect('[');
      while (j.Peek('[')) {
        j.Expect('[');
        std::string name = j.String();
        std::string value = j.String();
        j.Expect(']');
        r.headers.emplace_back(name, value);
      }
    }
    out.push_back(r);
  }
  return out;
}

int ClosedPort() {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  int port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
    int len = sizeof(addr);
    getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
  }
  closesocket(s);  // never listened: connections to it are refused
  return port;
}

}  // namespace tw::test
