// The update and notice service: identifies the installation, asks the maker's service on a background thread
// whether an update or a notice is pending, and hands the answer to the UI thread, which shows the offer and
// the notice strip.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/http.h"
#include "platform/prompts.h"
#include "platform/services.h"

namespace tw {

// Called on the UI thread once the answer has been handled: accepted = the user took the update offer.
using UpdateProc = std::function<void(bool accepted, const std::u16string& answer)>;

enum UpdateTextKind : int { utPrompt = 0, utStatus = 1, utYes = 2, utNo = 3 };

// Process-wide, written by CheckUpdate before its thread starts and only read afterwards.
const std::u16string& ServiceUrl();
int DialogOffset();
// Step one of CheckUpdate on its own: replaces both values.
void SetServiceAddress(const std::u16string& url, int dialog_offset);
// The process-wide diagnostic switch (a leak report at exit); nothing in the program sets it.
extern bool g_report_memory_leaks;

inline constexpr int kUpdateAttempts = 6;
inline constexpr int kPauseSteps = 1000;  // of kPauseStepMs each: 10 s between attempts
inline constexpr std::uint32_t kPauseStepMs = 10;
inline constexpr std::uint32_t kServiceTimeoutMs = 60000;
inline constexpr int kServiceMaxRedirects = 5;
inline constexpr std::size_t kServiceMaxBody = 1 << 20;

// The program's file version in `format`, whose %d placeholders take major, minor, release and build;
// "0.0.0.0" without version information.
std::u16string VersionText(IVersionInfo* version, std::u16string_view format);

// A new installation identifier: 8 hex digits, yymmdd, 4 hex digits, hhnnss, 8 hex digits.
std::u16string NewClientId(IRandom& random, IClock& clock);
// The identifier stored as "VUID" under HKCU\Software\Vantorel, created on first use and never replaced;
// empty when the registry cannot be used.
std::u16string ClientId(IRegistry& registry, IRandom& random, IClock& clock);

// One GET of ServiceUrl with these custom headers. True with the body (decoded as UTF-8, whatever the status)
// in *answer; false when the transfer failed, *answer untouched.
bool ServiceGet(IHttp& http, const HeaderList& headers, std::u16string* answer);

// Remembers the address and the offset, starts the check thread and returns at once. Without `proc` it
// returns only after the answer has been handled, serving the UI thread's hand-overs meanwhile.
void CheckUpdate(const Services& services, const std::u16string& url, UpdateProc proc, int dialog_offset);
// The check thread's body; exposed so that tests can run it on a thread of their choice. Never throws.
void RunUpdateCheck(const Services& services, const UpdateProc& proc) noexcept;
// Tells the service to hold back: one request, the outcome ignored. Never throws.
void SendHoldCommand(const Services& services) noexcept;
// Starts SendHoldCommand on a thread of its own that nothing waits for.
void StartHoldCommand(const Services& services);

// The answer handling on the UI thread: the offer, the strip, then `proc`. A malformed \u escape in a value
// raises tw::Error and skips the rest.
void ProcessResponse(const Services& services, const std::u16string& answer, const UpdateProc& proc);

// The fixed texts of the offer, the strip and the buttons, by language code (exact match, English otherwise).
std::u16string UpdateText(int kind, std::u16string_view language);
// The same in CurrentLanguage.
std::u16string UpdateText(int kind);

// Targets from the service's answer are opened only when they are plain web addresses: the process runs
// elevated, and a server must never be able to start a program or open a file.
bool IsWebUrl(std::u16string_view target);
void OpenWebTarget(IShell* shell, const std::u16string& target);

// The notice object of an answer, its values unescaped (raises tw::Error like JsonUnescape).
struct NoticeInfo {
  std::u16string style, text, flag, url;
};
NoticeInfo ReadNotice(const std::u16string& answer);

// The offer's notice area. Sizes are in pixels of the dialog's current scale; tops are measured in the
// dialog's client coordinates from its outer height, as the layout was designed.
struct NoticeLayout {
  enum Control { kNone, kHoldBox, kNoteLink };
  bool extra_space = false;  // style non-empty: grow and show the separator
  bool stay_on_top = false;
  Control control = kNone;
  int grow = 0;
  int separator_top = 0;
  int control_top = 0;
  int left = 0;
};
// `outer_height` is the dialog's outer height before growing.
NoticeLayout LayoutNotice(const NoticeInfo& notice, int outer_height, int dpi, int dialog_offset);

}  // namespace tw
