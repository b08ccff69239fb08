#include "update/update.h"

#include <atomic>
#include <memory>

#include "i18n/translate.h"
#include "platform/clock.h"
#include "platform/dispatcher.h"
#include "platform/dpi.h"
#include "platform/random.h"
#include "platform/registry_key.h"
#include "platform/shell.h"
#include "platform/threads.h"
#include "platform/text.h"
#include "platform/version.h"
#include "update/strings.h"

namespace tw {

bool g_report_memory_leaks = false;

namespace {

std::u16string g_service_url;
int g_dialog_offset = 0;

constexpr char16_t kVantorelKey[] = u"Software\\Vantorel";
constexpr char16_t kVuid[] = u"VUID";

std::u16string Hex(std::uint32_t value, int digits) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string out(static_cast<size_t>(digits), u'0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) out[static_cast<size_t>(i)] = kDigits[value & 0xF];
  return out;
}

std::u16string TwoDigits(int value) {
  const int v = ((value % 100) + 100) % 100;
  return {char16_t(u'0' + v / 10), char16_t(u'0' + v % 10)};
}

// Reads a REG_SZ value as text; nullopt when it cannot be read or has another type.
std::optional<std::u16string> ReadText(RegistryKey& key, const std::u16string& name) {
  std::uint32_t type = 0, size = 0;
  if (key.QuerySize(name, &type, &size) != reg::kSuccess) return std::nullopt;
  if (type != reg::kSz && type != reg::kExpandSz) return std::nullopt;
  std::u16string text;
  if (size > 0 && key.QueryText(name, size, &type, &text) != reg::kSuccess) return std::nullopt;
  return text;
}

// The pause after a failed attempt; false when the application began to terminate.
bool Pause(const Services& s) {
  for (int step = 0; step < kPauseSteps; ++step) {
    if (s.dispatcher.Terminating()) return false;
    s.clock.Sleep(kPauseStepMs);
  }
  return true;
}

std::u16string Value(std::u16string_view source, std::u16string_view start_marker) {
  return JsonUnescape(ExtractBetween(source, start_marker, u"\""));
}

}  // namespace

const std::u16string& ServiceUrl() {
  return g_service_url;
}
int DialogOffset() {
  return g_dialog_offset;
}
void SetServiceAddress(const std::u16string& url, int dialog_offset) {
  g_service_url = url;
  g_dialog_offset = dialog_offset;
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

std::u16string NewClientId(IRandom& random, IClock& clock) {
  // The pieces in order, each reading of the clock separate from the other.
  std::u16string id = Hex(random.Next(0x7FFFFFFF), 8);
  const LocalTime date = clock.Now();
  id += TwoDigits(date.year) + TwoDigits(date.month) + TwoDigits(date.day);
  id += Hex(random.Next(0xFFFF), 4);
  const LocalTime time = clock.Now();
  id += TwoDigits(time.hour) + TwoDigits(time.minute) + TwoDigits(time.second);
  id += Hex(random.Next(0x7FFFFFFF), 8);
  return id;
}

std::u16string ClientId(IRegistry& registry, IRandom& random, IClock& clock) {
  RegistryKey key = RegistryKey::Create(registry, reg::kCurrentUser, kVantorelKey, reg::kReadWrite);
  if (!key) return {};
  try {
    std::uint32_t type = 0, size = 0;
    const RegStatus exists = key.QuerySize(kVuid, &type, &size);
    // Only a value that is really missing is created: an identifier, once stored, is never replaced.
    bool readable = exists == reg::kSuccess;
    if (exists == reg::kFileNotFound)
      readable = key.SetText(kVuid, NewClientId(random, clock)) == reg::kSuccess;
    return readable ? ReadText(key, kVuid).value_or(u"") : std::u16string();
  } catch (...) {
    return {};
  }
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
         services.random ? ClientId(services.registry, *services.random, services.clock) : std::u16string()},
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

bool IsWebUrl(std::u16string_view target) {
  size_t rest = 0;
  if (AsciiEqualsIgnoreCase(target.substr(0, 7), u"http://")) {
    rest = 7;
  } else if (AsciiEqualsIgnoreCase(target.substr(0, 8), u"https://")) {
    rest = 8;
  } else {
    return false;
  }
  if (target.size() == rest) return false;
  // The shell hands the target to the browser inside a quoted command line: a quote, a space or a control
  // character could add arguments of its own.
  for (char16_t c : target) {
    if (c <= u' ' || c == u'"' || c == 0x7F) return false;
  }
  return true;
}

void OpenWebTarget(IShell* shell, const std::u16string& target) {
  if (shell && IsWebUrl(target)) shell->Open(target);
}

void ProcessResponse(const Services& services, const std::u16string& answer, const UpdateProc& proc) {
  const std::u16string update = Value(answer, u"\"update\":\"");
  bool accepted = false;
  if (IsWebUrl(update) && services.prompts && services.prompts->UpdateDialog(answer)) {
    OpenWebTarget(services.shell, update);
    accepted = true;
  }
  const std::u16string notify = Value(answer, u"\"notify\":\"");
  if (IsWebUrl(notify) && services.prompts) services.prompts->ShowUpdateStatus(notify);
  if (proc) proc(accepted, answer);
}

NoticeInfo ReadNotice(const std::u16string& answer) {
  const std::u16string info = ExtractBetween(answer, u"\"info\":{", u"}");
  NoticeInfo notice;
  notice.style = Value(info, u"\"style\":\"");
  notice.text = Value(info, u"\"text\":\"");
  notice.flag = Value(info, u"\"flag\":\"");
  notice.url = Value(info, u"\"url\":\"");
  return notice;
}

NoticeLayout LayoutNotice(const NoticeInfo& notice, int outer_height, int dpi, int dialog_offset) {
  NoticeLayout layout;
  layout.stay_on_top = notice.flag.find(u"stayontop") != std::u16string::npos;
  if (notice.style.empty()) return layout;
  layout.extra_space = true;
  layout.grow = Scale(40 - dialog_offset, dpi);
  const int height = outer_height + layout.grow;
  layout.separator_top = height - Scale(76 - dialog_offset, dpi);
  layout.left = Scale(10, dpi);
  if (notice.style == u"hold") {
    layout.control = NoticeLayout::kHoldBox;
  } else if (notice.style == u"note") {
    layout.control = NoticeLayout::kNoteLink;
  }
  if (layout.control != NoticeLayout::kNone) layout.control_top = height - Scale(66 - dialog_offset, dpi);
  return layout;
}

}  // namespace tw
