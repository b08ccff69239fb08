// The update request: asks the maker's service on a background thread whether an update or a notice is
// pending and hands the answer to the UI thread (update/response.h), which shows the offer and the notice
// strip.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/http.h"
#include "platform/services.h"
#include "update/response.h"

namespace tw {

// Process-wide, written by CheckUpdate before its thread starts and only read afterwards. The address that
// ServiceUrl returns stays valid for the life of the process, whatever replaces it later.
const std::u16string& ServiceUrl();
int DialogOffset();
// Step one of CheckUpdate on its own: replaces both values.
void SetServiceAddress(const std::u16string& url, int dialog_offset);
// The process-wide diagnostic switch (a leak report at exit); nothing in the program sets it.
extern bool g_report_memory_leaks;

inline constexpr int kUpdateAttempts = 6;
inline constexpr std::uint32_t kPauseMs = 10000;   // between attempts, measured on the monotonic clock
inline constexpr std::uint32_t kPauseStepMs = 10;  // the longest single sleep of a pause
inline constexpr std::uint32_t kServiceTimeoutMs = 60000;
inline constexpr int kServiceMaxRedirects = 5;
inline constexpr std::size_t kServiceMaxBody = 1 << 20;

// The program's file version in `format`, whose %d placeholders take major, minor, release and build;
// "0.0.0.0" without version information.
std::u16string VersionText(IVersionInfo* version, std::u16string_view format);

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

}  // namespace tw
