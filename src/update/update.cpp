#include "update/update.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "i18n/translate.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/random.h"
#include "platform/threads.h"
#include "platform/text.h"
#include "platform/version.h"
#include "update/client_id.h"

namespace tw {

bool g_report_memory_leaks = false;

namespace {

// The address and offset of each CheckUpdate, never freed: detached check and hold threads may still read an
// address while the process ends or after a later call has replaced it. Each node keeps the one before it
// reachable, so nothing is ever reported as leaked.
struct ServiceAddress {
  std::u16string url;
  int dialog_offset = 0;
  const ServiceAddress* previous = nullptr;
};
std::atomic<const ServiceAddress*> g_service_address{nullptr};

// The pause after a failed attempt, until a deadline on the monotonic clock: counted sleeps would last a
// timer tick each. Short steps so that termination is noticed soon; false when the application began to
// terminate.
bool Pause(const Services& s) {
  const std::uint64_t deadline = s.clock.Milliseconds() + kPauseMs;
  for (;;) {
    if (s.dispatcher.Terminating()) return false;
    const std::uint64_t now = s.clock.Milliseconds();
    if (now >= deadline) return true;
    s.clock.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(kPauseStepMs, deadline - now)));
  }
}

}  // namespace

const std::u16string& ServiceUrl() {
  static const std::u16string& kNone = *new std::u16string;
  const ServiceAddress* current = g_service_address.load(std::memory_order_acquire);
  return current ? current->url : kNone;
}
int DialogOffset() {
  const ServiceAddress* current = g_service_address.load(std::memory_order_acquire);
  return current ? current->dialog_offset : 0;
}
void SetServiceAddress(const std::u16string& url, int dialog_offset) {
  const ServiceAddress* current = g_service_address.load(std::memory_order_acquire);
  if (current && current->url == url && current->dialog_offset == dialog_offset) return;
  g_service_address.store(new ServiceAddress{url, dialog_offset, current}, std::memory_order_release);
}

std::u16string VersionText(IVersionInfo* version, std::u16string_view format) {
  std::optional<FileVersion> v;
  if (version) v = version->ExecutableFileVersion();
  if (!v) return u"0.0.0.0";
  std::u16string out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u'd') {
      out += next < v->size() ? ToText((*v)[next]) : u"";
      ++next;
      ++i;
    } else if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u'%') {
      out += u'%';
      ++i;
    } else {
      out += format[i];
    }
  }
  return out;
}

bool ServiceGet(IHttp& http, const HeaderList& headers, std::u16string* answer) {
  try {
    HttpRequest request;
    request.method = u"GET";
    request.url = ServiceUrl();
    request.headers = headers;
    request.max_redirects = kServiceMaxRedirects;
    request.use_proxy = true;  // the user's configured proxy, like any other client of the service
    request.connect_timeout_ms = kServiceTimeoutMs;
    request.send_timeout_ms = kServiceTimeoutMs;
    request.receive_timeout_ms = kServiceTimeoutMs;
    request.max_body_bytes = kServiceMaxBody;
    HttpResponse response;
    if (!http.Send(request, &response)) return false;
    std::u16string text = DecodeUtf8(response.body);
    *answer = std::move(text);
    return true;
  } catch (...) {
    return false;
  }
}

void RunUpdateCheck(const Services& services, const UpdateProc& proc) noexcept {
  try {
    const HeaderList headers = {
        {u"User-Version", VersionText(services.version, u"%d.%d.%d.%d")},
        {u"User-Language", services.language ? services.language() : CurrentLanguage()},
        {u"User-Debug", g_report_memory_leaks ? u"true" : u"false"},
        {u"User-Union",
         services.secure_random
             ? ClientIdToSend(ClientId(services.registry, *services.secure_random, services.clock))
             : std::u16string()},
    };
    std::u16string answer;
    for (int attempt = 0; attempt < kUpdateAttempts; ++attempt) {
      if (ServiceGet(services.http, headers, &answer)) break;
      if (!Pause(services)) return;  // terminating: no handling, no callback
    }
    services.dispatcher.Invoke([&] { ProcessResponse(services, answer, proc); });
  } catch (...) {
    // An error in the answer handling (a malformed escape) ends the check quietly.
  }
}

void CheckUpdate(const Services& services, const std::u16string& url, UpdateProc proc, int dialog_offset) {
  SetServiceAddress(url, dialog_offset);
  // Where no thread can be started, the check is skipped, as an unreachable service would be.
  IThreads& threads = ThreadsOr(services.threads);
  if (proc) {
    threads.StartDetached([services, proc = std::move(proc)] { RunUpdateCheck(services, proc); });
    return;
  }
  auto done = std::make_shared<std::atomic<bool>>(false);
  if (!threads.StartDetached([services, done] {
        RunUpdateCheck(services, {});
        done->store(true);
      })) {
    return;
  }
  services.dispatcher.ServeUntil([&] { return done->load(); });
}

void SendHoldCommand(const Services& services) noexcept {
  try {
    const HeaderList headers = {
        {u"User-Version", VersionText(services.version, u"%d.%d.%d.%d")},
        {u"User-Command", u"hold"},
    };
    std::u16string ignored;
    ServiceGet(services.http, headers, &ignored);
  } catch (...) {
  }
}

void StartHoldCommand(const Services& services) {
  ThreadsOr(services.threads).StartDetached([services] { SendHoldCommand(services); });
}

}  // namespace tw
