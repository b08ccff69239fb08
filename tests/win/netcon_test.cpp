// Connection restart through the test stand-in of the network-connections component (installed into the test
// prefix by scripts/run-wine-tests.sh), driven the way the program drives it: on an apartment thread.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/netcon_win32.h"

namespace tw {
namespace {

constexpr char16_t kEth0[] = u"{0000000A-0000-0000-0000-4E6574446576}";
constexpr char16_t kVmware1Lower[] = u"{0000000b-0000-0000-0000-4e6574446576}";

class NetConnections : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
    wchar_t dir[MAX_PATH], path[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"ncl", 0, path);
    log_path_ = path;
    SetEnvironmentVariableW(L"TW_FAKE_NETSHELL_LOG", path);
    SetEnvironmentVariableW(L"TW_FAKE_NETSHELL_FAIL", nullptr);
    SetEnvironmentVariableW(L"TW_FAKE_NETSHELL_CONNECTIONS", nullptr);
  }
  void TearDown() override {
    CoUninitialize();
    SetEnvironmentVariableW(L"TW_FAKE_NETSHELL_LOG", nullptr);
    DeleteFileW(log_path_.c_str());
  }

  // The log's events without the process id, e.g. "Disconnect {...} hr=0x00000000".
  std::vector<std::string> Events() {
    std::vector<std::string> events;
    std::ifstream in(log_path_.c_str());
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      const size_t space = line.find(' ');
      if (space != std::string::npos) events.push_back(line.substr(space + 1));
    }
    return events;
  }
  static bool Has(const std::vector<std::string>& events, const std::string& prefix) {
    for (const auto& e : events) {
      if (e.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }
  // Every connection object released and every properties block given back.
  static void ExpectNothingOutstanding() {
    HMODULE fake = GetModuleHandleW(L"netshell.dll");
    ASSERT_NE(fake, nullptr) << "the stand-in is not loaded";
    using Fn = VOID(WINAPI*)(LONG*, LONG*);
    auto outstanding =
        reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(fake, "FakeNetshellOutstanding")));
    ASSERT_NE(outstanding, nullptr);
    LONG live = -1, properties = -1;
    outstanding(&live, &properties);
    EXPECT_EQ(live, 0);
    EXPECT_EQ(properties, 0);
  }

  std::wstring log_path_;
  win::Win32NetConnections connections;
};

TEST_F(NetConnections, RestartsTheConnectionWithThatGuidInAnyLetterCase) {
  EXPECT_TRUE(connections.SetConnectionEnabled(kVmware1Lower, false));
  EXPECT_TRUE(connections.SetConnectionEnabled(u"{0000000B-0000-0000-0000-4E6574446576}", true));
  const auto events = Events();
  std::vector<std::string> actions;
  for (const auto& e : events) {
    if (e.rfind("Connect ", 0) == 0 || e.rfind("Disconnect ", 0) == 0) actions.push_back(e);
  }
  const std::vector<std::string> expected = {
      "Disconnect {0000000B-0000-0000-0000-4E6574446576} hr=0x00000000",
      "Connect {0000000B-0000-0000-0000-4E6574446576} hr=0x00000000"};
  EXPECT_EQ(actions, expected);
  // The walk stops at the match: wlan0 after it is never asked for its properties.
  EXPECT_FALSE(Has(events, "GetProperties {0000000C"));
  EXPECT_TRUE(Has(events, "EnumConnections flags=0 "));
  ExpectNothingOutstanding();
}

// The program's UI thread holds no apartment once adapter discovery has given its COM level back, and the
// restart still has to reach the component from there; it leaves no apartment behind either.
TEST_F(NetConnections, WorksOnAThreadWithoutComAndLeavesNoneBehind) {
  // Held here so that the stand-in's counts can still be read once the thread's COM is gone.
  const HMODULE pin = LoadLibraryW(L"netshell.dll");
  ASSERT_NE(pin, nullptr);
  bool disabled = false, enabled = false;
  HRESULT after = E_FAIL;
  std::thread thread([&] {  // a new thread: no apartment
    disabled = connections.SetConnectionEnabled(kEth0, false);
    enabled = connections.SetConnectionEnabled(kEth0, true);
    after = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // S_OK: a first level, nothing was left open
    if (SUCCEEDED(after)) CoUninitialize();
  });
  thread.join();
  EXPECT_TRUE(disabled);
  EXPECT_TRUE(enabled);
  EXPECT_EQ(after, S_OK);
  EXPECT_TRUE(Has(Events(), "Disconnect {0000000A-0000-0000-0000-4E6574446576} hr=0x00000000"));
  EXPECT_TRUE(Has(Events(), "Connect {0000000A-0000-0000-0000-4E6574446576} hr=0x00000000"));
  ExpectNothingOutstanding();
  FreeLibrary(pin);
}

// Once found, the component stays loaded after the thread that used it and its apartment are gone.
TEST_F(NetConnections, TheComponentStaysLoadedOnceFound) {
  if (GetModuleHandleW(L"netshell.dll")) GTEST_SKIP() << "loaded by an earlier test of this process";
  bool restarted = false;
  std::thread worker([&] {  // as the program's refresh worker: an apartment of its own around the restart
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    restarted =
        connections.SetConnectionEnabled(kEth0, false) && connections.SetConnectionEnabled(kEth0, true);
    if (SUCCEEDED(hr)) CoUninitialize();
  });
  worker.join();
  EXPECT_TRUE(restarted);
  EXPECT_NE(GetModuleHandleW(L"netshell.dll"), nullptr);
}

TEST_F(NetConnections, FailuresGiveFalseAndLeakNothing) {
  struct Case {
    const char* name;
    std::u16string guid;
    bool enable;
    const wchar_t* fail;
  };
  const Case cases[] = {
      {"no connection with that GUID", u"{0000000D-0000-0000-0000-4E6574446576}", true, nullptr},
      {"empty GUID", u"", false, nullptr},
      {"manager not created", kEth0, true, L"CreateInstance=0x80070005"},
      {"enumeration refused", kEth0, true, L"EnumConnections=0x80004005"},
      {"enumerator fails", kEth0, true, L"Next=0x80004005"},
      {"properties unreadable", kEth0, true, L"GetProperties=0x80004005"},
      {"Connect fails", kEth0, true, L"Connect=0x80070005"},
      {"Connect answers S_FALSE", kEth0, true, L"Connect=0x1"},
      {"Disconnect fails", kEth0, false, L"Disconnect=0x8007139F"},
  };
  for (const auto& c : cases) {
    SetEnvironmentVariableW(L"TW_FAKE_NETSHELL_FAIL", c.fail);
    EXPECT_FALSE(connections.SetConnectionEnabled(c.guid, c.enable)) << c.name;
    ExpectNothingOutstanding();
  }
  // Each case got as far as the component: the failures above are the injected ones.
  EXPECT_TRUE(Has(Events(), "Connect {0000000A-0000-0000-0000-4E6574446576} hr=0x80070005"));
  EXPECT_TRUE(Has(Events(), "Disconnect {0000000A-0000-0000-0000-4E6574446576} hr=0x8007139F"));
}

TEST_F(NetConnections, OtherConnectionsOnlyHaveTheirPropertiesRead) {
  SetEnvironmentVariableW(
      L"TW_FAKE_NETSHELL_CONNECTIONS",
      L"{0000000C-0000-0000-0000-4E6574446576}|wlan0;{0000000A-0000-0000-0000-4E6574446576}|eth0");
  EXPECT_TRUE(connections.SetConnectionEnabled(kEth0, true));
  const std::vector<std::string> expected = {
      "EnumConnections flags=0 hr=0x00000000",
      "GetProperties {0000000C-0000-0000-0000-4E6574446576} hr=0x00000000",
      "NcFreeNetconProperties {0000000C-0000-0000-0000-4E6574446576}",
      "GetProperties {0000000A-0000-0000-0000-4E6574446576} hr=0x00000000",
      "Connect {0000000A-0000-0000-0000-4E6574446576} hr=0x00000000",
      "NcFreeNetconProperties {0000000A-0000-0000-0000-4E6574446576}",
  };
  std::vector<std::string> events;
  for (const auto& e : Events()) {
    if (e.rfind("LOAD", 0) != 0 && e.rfind("CreateInstance", 0) != 0) events.push_back(e);
  }
  EXPECT_EQ(events, expected);
  ExpectNothingOutstanding();
}

TEST_F(NetConnections, MissingComponentOrExportGivesFalse) {
  win::Win32NetConnections missing(u"tw_no_such_netshell.dll");
  EXPECT_FALSE(missing.SetConnectionEnabled(kEth0, true));
  // A library without the export is loaded, found wanting and released again.
  ASSERT_EQ(GetModuleHandleW(L"mscms.dll"), nullptr);
  win::Win32NetConnections no_export(u"mscms.dll");
  EXPECT_FALSE(no_export.SetConnectionEnabled(kEth0, true));
  EXPECT_EQ(GetModuleHandleW(L"mscms.dll"), nullptr);
  EXPECT_TRUE(Events().empty());  // the connection manager was never asked
}

}  // namespace
}  // namespace tw
