#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "app/restore_command.h"
#include "fakes/fake_adapter_facts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_com.h"
#include "fakes/fake_form_view.h"
#include "fakes/fake_http.h"
#include "fakes/fake_machine_lock.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_net_connections.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_threads.h"
#include "fakes/form_access.h"
#include "fakes/queued_dispatcher.h"
#include "i18n/embedded_table.h"
#include "i18n/translate.h"
#include "platform/error.h"
#include "platform/text.h"
#include "settings/config.h"
#include "tuning/registry_values.h"
#include "tuning/record_store.h"
#include "tuning/restart_marker.h"

namespace tw {
namespace {

using Access = TFrmTempowaveTestAccess;
using std::chrono::seconds;

constexpr char16_t kGuid[] = u"{0000000A-0000-0000-0000-4E6574446576}";
constexpr char16_t kStore[] = u"Software\\Tempowave";
constexpr char16_t kInterfaces[] = u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
constexpr char16_t kMsmq[] = u"SOFTWARE\\Microsoft\\MSMQ\\Parameters";
constexpr char16_t kProfile[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";

constexpr Ctl kBoxes[] = {Ctl::ChkTCPAckFrequency, Ctl::ChkTcpDelAckTick, Ctl::ChkTcpNoDelay,
                          Ctl::ChkNetworkThrottlingIndex, Ctl::ChkSystemResponsiveness};

std::string Text(const std::u16string& s) {
  return EncodeUtf8(s);
}

class RunState : public ::testing::Test {
 protected:
  RunState() {
    test::FakeLocale locale(u"en");
    TranslateModuleStart(EmbeddedTranslateTable(), locale);
    facts.addresses = {test::Loopback(), test::Ethernet({test::V4(u"192.168.77.10")})};
    facts.adapters = {test::WmiAdapter(10, u"eth0", kGuid)};
    facts.configurations[u"10"] = {test::WmiConfiguration({{u"192.168.77.10"}})};
    http.fallback = test::FakeHttp::Ok("");
  }
  ~RunState() override {
    // A detached worker whose hand-over has been made or dropped is only returning; let it leave before the
    // process does, which Wine's runtime does not always survive.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    TranslateModuleStop();
  }

  TFrmTempowave& Form() {
    if (!form) {
      form = std::make_unique<TFrmTempowave>(view, Services{.registry = registry,
                                                            .dispatcher = dispatcher,
                                                            .clock = clock,
                                                            .http = http,
                                                            .adapters = &facts,
                                                            .connections = &connections,
                                                            .threads = &threads,
                                                            .com = &com,
                                                            .machine_lock = &machine_lock});
    }
    return *form;
  }
  // Serves hand-overs until the wait of a Run or Run again has ended and its worker is out of the hand-over.
  bool ServeUntilSettled() {
    const int before = dispatcher.Delivered();
    return dispatcher.Serve(
        [&] { return Form().Status() != TStatus::stBusy && dispatcher.Delivered() > before; }, seconds(30));
  }

  std::int32_t StoredInteger(const std::u16string& key) {
    return TConfig(registry, u"Tempowave").ReadInteger(key, -12345);
  }
  std::optional<std::uint32_t> Dword(RegKey root, const std::u16string& path, const std::u16string& name) {
    auto v = registry.Get(root, path, name);
    if (!v || v->type != reg::kDword || v->data.size() != 4) return std::nullopt;
    return v->data[0] | v->data[1] << 8 | v->data[2] << 16 | std::uint32_t(v->data[3]) << 24;
  }
  // The changes under HKEY_LOCAL_MACHINE in order: "set PATH NAME VALUE" or "delete PATH NAME".
  std::vector<std::string> MachineChanges() const {
    std::vector<std::string> out;
    std::u16string path;
    bool machine = false;
    for (const auto& c : registry.AllCalls()) {
      if (c.op == "CreateKey" || c.op == "CreateAdminKey" || c.op == "OpenKey") {
        machine = c.key == reg::kLocalMachine;
        path = c.subkey;
      } else if (c.name == kRestartingValue || c.name == kCreatedKeysValue) {
        continue;  // the restart marker and the created keys have tests of their own
      } else if (machine && c.op == "SetValue" && c.name == u"Snapshot") {
        out.push_back("record " + Text(path) + " " + std::to_string(RecordLines(c.data)));
      } else if (machine && c.op == "SetValue") {
        const std::uint32_t v = c.data[0] | c.data[1] << 8 | c.data[2] << 16 | std::uint32_t(c.data[3]) << 24;
        out.push_back("set " + Text(path) + " " + Text(c.name) + " " + std::to_string(v));
      } else if (machine && c.op == "DeleteValue") {
        out.push_back("delete " + Text(path) + " " + Text(c.name));
      }
    }
    return out;
  }
  // The strings of a REG_MULTI_SZ.
  static size_t RecordLines(const std::vector<std::uint8_t>& data) {
    size_t lines = 0;
    for (size_t i = 0; i + 3 < data.size(); i += 2) {
      lines += (data[i] || data[i + 1]) && !data[i + 2] && !data[i + 3];
    }
    return lines;
  }
  bool RecordHeld() {
    Snapshot s;
    return ReadSnapshot(registry, &s) == SnapshotState::Held;
  }
  // A machine that an earlier Run left tuned (no record: an earlier version's Run).
  void SeedTuned() { registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 0xFFFFFFFF); }
  // The Windows defaults of the two machine-wide values.
  void SeedDefaults() {
    registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 10);
    registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 20);
  }
  // A new start of the program: a new window on the same machine and store.
  void Restart() {
    form.reset();
    view = test::FakeFormView();
    Access::LoadAdapterAndOptions(Form());
  }
  void CheckAll(bool checked) {
    for (Ctl box : kBoxes) view.at(box).checked = checked;
  }
  void ExpectLook(TStatus status) {
    SCOPED_TRACE(static_cast<int>(status));
    EXPECT_EQ(Form().Status(), status);
    const bool busy = status == TStatus::stBusy;
    EXPECT_EQ(view.at(Ctl::Indicator).visible, busy);
    EXPECT_EQ(view.animating, busy);
    EXPECT_EQ(view.at(Ctl::BtnStart).caption, busy                           ? u""
                                              : status == TStatus::stRunning ? std::u16string(u"Running")
                                                                             : std::u16string(u"Run"));
    EXPECT_EQ(view.at(Ctl::BtnStart).enabled, !busy);
    EXPECT_EQ(view.at(Ctl::BtnStart).down, status == TStatus::stRunning);
    for (Ctl box : kBoxes) EXPECT_EQ(view.at(box).enabled, status == TStatus::stIdle) << Text(CtlName(box));
  }

  test::FakeFormView view;
  test::FakeRegistry registry;
  test::FakeAdapterFacts facts;
  test::FakeNetConnections connections;
  test::FakeHttp http;
  test::FakeClock clock;
  test::FakeThreads threads;
  test::FakeCom com;
  test::FakeMachineLock machine_lock;
  // A worker may still be on its way out of the hand-over when a test ends; like the program's dispatcher,
  // this one outlives every worker.
  test::QueuedDispatcher& dispatcher =
      *dispatchers().emplace_back(std::make_unique<test::QueuedDispatcher>());
  std::unique_ptr<TFrmTempowave> form;

 protected:
  // Never destroyed: a worker may still be inside one of them while the test program runs its exit code.
  static std::vector<std::unique_ptr<test::QueuedDispatcher>>& dispatchers() {
    static auto* kept = new std::vector<std::unique_ptr<test::QueuedDispatcher>>();
    return *kept;
  }
};

TEST_F(RunState, EachStatusHasItsLookAndStoredValue) {
  struct Case {
    TStatus status;
    std::int32_t stored;  // -12345: nothing stored
  };
  const Case cases[] = {{TStatus::stBusy, -12345}, {TStatus::stRunning, 1}, {TStatus::stIdle, 0}};
  for (const auto& c : cases) {
    registry = test::FakeRegistry();
    Access::ApplyStatus(Form(), c.status);
    ExpectLook(c.status);
    EXPECT_EQ(StoredInteger(u"status"), c.stored) << static_cast<int>(c.status);
    EXPECT_TRUE(view.error_boxes.empty());
  }
  // The columns in their order, then the boxes in theirs.
  view.journal.clear();
  Access::ApplyStatus(Form(), TStatus::stBusy);
  const std::vector<std::string> expected = {"SetVisible Indicator 1",
                                             "Animate 1",
                                             "SetControlCaption BtnStart ",
                                             "SetEnabled BtnStart 0",
                                             "SetDown BtnStart 0",
                                             "SetEnabled ChkTCPAckFrequency 0",
                                             "SetEnabled ChkTcpDelAckTick 0",
                                             "SetEnabled ChkTcpNoDelay 0",
                                             "SetEnabled ChkNetworkThrottlingIndex 0",
                                             "SetEnabled ChkSystemResponsiveness 0"};
  EXPECT_EQ(view.journal, expected);
}

TEST_F(RunState, AnUnknownStatusKeepsTheLookAndSetsTheBoxesByTheCurrentState) {
  Access::ApplyStatus(Form(), TStatus::stRunning);
  registry = test::FakeRegistry();
  Access::ApplyStatus(Form(), static_cast<TStatus>(7));
  ExpectLook(TStatus::stRunning);
  EXPECT_EQ(StoredInteger(u"status"), -12345);
}

TEST_F(RunState, TheMessageBoxComesFirstWithTheWindowCaption) {
  Access::ApplyStatus(Form(), TStatus::stBusy);
  view.journal.clear();
  Access::ApplyStatus(Form(), TStatus::stIdle, u"message");
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text, u"message");
  EXPECT_EQ(view.error_boxes[0].caption, view.caption);
  ASSERT_FALSE(view.journal.empty());
  EXPECT_EQ(view.journal.front(), "ErrorBox message");
  ExpectLook(TStatus::stIdle);
}

TEST_F(RunState, FirstStartWithAnEmptyStore) {
  Access::LoadAdapterAndOptions(Form());
  EXPECT_EQ(Form().AdapterName(), u"eth0");
  EXPECT_EQ(Form().AdapterGuid(), kGuid);
  EXPECT_EQ(Form().AdapterIp(), u"192.168.77.10");
  EXPECT_EQ(view.at(Ctl::LblAdapter).caption, u"eth0");
  EXPECT_EQ(view.at(Ctl::LblIPAddress).caption, u"IP: 192.168.77.10");
  for (Ctl box : kBoxes) EXPECT_TRUE(view.at(box).checked) << Text(CtlName(box));
  ExpectLook(TStatus::stIdle);
  TConfig store(registry, u"Tempowave");
  for (const char16_t* key : {u"tcpnodelay", u"tcpackfrequency", u"tcpdelacktick", u"networkthrottleindex",
                              u"systemresponsiveness"}) {
    EXPECT_TRUE(registry.Get(reg::kCurrentUser, kStore, key).has_value()) << Text(key);
    EXPECT_TRUE(store.ReadBoolean(key, false)) << Text(key);
  }
  EXPECT_EQ(store.ReadInteger(u"status", -1), 0);
  EXPECT_TRUE(MachineChanges().empty());
  EXPECT_TRUE(connections.Calls().empty());
}

TEST_F(RunState, AStoredRunningStateShowsTheRunningLookOnly) {
  SeedTuned();
  TConfig(registry, u"Tempowave").WriteInteger(u"status", 1);
  Access::LoadAdapterAndOptions(Form());
  ExpectLook(TStatus::stRunning);
  EXPECT_EQ(StoredInteger(u"status"), 1);
  EXPECT_TRUE(MachineChanges().empty());
  EXPECT_TRUE(connections.Calls().empty());
  EXPECT_TRUE(http.Requests().empty());
}

TEST_F(RunState, StoredStatusByItsLowestByte) {
  struct Case {
    std::int32_t stored;
    TStatus shown;
  };
  const Case cases[] = {{0, TStatus::stIdle},   {1, TStatus::stRunning}, {257, TStatus::stRunning},
                        {2, TStatus::stIdle},   {3, TStatus::stIdle},    {255, TStatus::stIdle},
                        {256, TStatus::stIdle}, {-1, TStatus::stIdle}};
  for (const auto& c : cases) {
    registry = test::FakeRegistry();
    view = test::FakeFormView();
    form.reset();
    SeedTuned();
    TConfig(registry, u"Tempowave").WriteInteger(u"status", c.stored);
    Access::LoadAdapterAndOptions(Form());
    SCOPED_TRACE(c.stored);
    ExpectLook(c.shown);
    EXPECT_EQ(StoredInteger(u"status"), c.shown == TStatus::stRunning ? 1 : 0);
  }
}

TEST_F(RunState, AnOptionStoredFalseOpensUncheckedAndIsNotWritten) {
  TConfig(registry, u"Tempowave").WriteBoolean(u"tcpdelacktick", false);
  registry.calls.clear();
  Access::LoadAdapterAndOptions(Form());
  EXPECT_FALSE(view.at(Ctl::ChkTcpDelAckTick).checked);
  EXPECT_TRUE(view.at(Ctl::ChkTcpNoDelay).checked);
  for (const auto& c : registry.CallsOf("SetValue")) EXPECT_NE(c.name, u"tcpdelacktick");
  EXPECT_EQ(registry.CallsOf("SetValue").size(), 5u);  // four options and "status"
  EXPECT_EQ(registry.OpenHandles(), 0u);
}

TEST_F(RunState, WithoutAnAdapterThePlaceholderIsShown) {
  struct Case {
    const char* name;
    void (*arrange)(test::FakeAdapterFacts&);
  };
  const Case cases[] = {
      {"WMI down", [](test::FakeAdapterFacts& f) { f.wmi_up = false; }},
      // Discovery wrote the adapter it examined last before giving up.
      {"no prefix match",
       [](test::FakeAdapterFacts& f) { f.addresses = {test::Ethernet({test::V4(u"10.0.0.1")})}; }},
  };
  for (const auto& c : cases) {
    facts = test::FakeAdapterFacts();
    facts.adapters = {test::WmiAdapter(10, u"eth0", kGuid)};
    facts.configurations[u"10"] = {test::WmiConfiguration({{u"192.168.77.10"}})};
    facts.addresses = {test::Ethernet({test::V4(u"192.168.77.10")})};
    c.arrange(facts);
    form.reset();
    Access::LoadAdapterAndOptions(Form());
    EXPECT_EQ(Form().AdapterName(), u"Unknown") << c.name;
    EXPECT_EQ(Form().AdapterGuid(), u"") << c.name;
    EXPECT_EQ(Form().AdapterIp(), u"") << c.name;
    EXPECT_EQ(view.at(Ctl::LblAdapter).caption, u"Unknown") << c.name;
    EXPECT_EQ(view.at(Ctl::LblIPAddress).caption, u"IP: ") << c.name;
  }
}

TEST_F(RunState, ADiscoveryErrorLeavesNoUnconfirmedAdapterBehind) {
  facts.failing_configuration_queries.insert(u"10");  // raised after eth0's name and GUID were read
  EXPECT_THROW(Access::LoadAdapterAndOptions(Form()), Error);
  EXPECT_EQ(Form().AdapterGuid(), u"");
  Form().BtnStartClick();
  EXPECT_EQ(view.error_boxes.size(), 1u);
  EXPECT_TRUE(MachineChanges().empty());
}

TEST_F(RunState, EachOptionBoxStoresItsCheckedStateUnderItsKey) {
  struct Case {
    Ctl box;
    const char16_t* key;
  };
  const Case cases[] = {
      {Ctl::ChkTcpNoDelay, u"tcpnodelay"},
      {Ctl::ChkTCPAckFrequency, u"tcpackfrequency"},
      {Ctl::ChkTcpDelAckTick, u"tcpdelacktick"},
      {Ctl::ChkNetworkThrottlingIndex, u"networkthrottleindex"},
      {Ctl::ChkSystemResponsiveness, u"systemresponsiveness"},
  };
  for (const auto& c : cases) {
    for (bool checked : {true, false}) {
      registry = test::FakeRegistry();
      view.at(c.box).checked = checked;
      Form().ChkOptionClick(c.box);
      ASSERT_EQ(registry.CallsOf("SetValue").size(), 1u) << Text(c.key);
      EXPECT_EQ(registry.CallsOf("SetValue")[0].name, c.key);
      EXPECT_EQ(TConfig(registry, u"Tempowave").ReadBoolean(c.key, !checked), checked) << Text(c.key);
      EXPECT_EQ(registry.OpenHandles(), 0u);
    }
  }
}

TEST_F(RunState, RunWithoutAnAdapterShowsTheErrorThenStaysIdle) {
  Access::ApplyStatus(Form(), TStatus::stIdle);
  registry.calls.clear();
  view.journal.clear();
  Form().BtnStartClick();
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text, u"There are no active networks.");
  EXPECT_EQ(view.error_boxes[0].caption, view.caption);
  EXPECT_EQ(view.journal.front(), "ErrorBox There are no active networks.");
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(StoredInteger(u"status"), 0);
  EXPECT_TRUE(MachineChanges().empty());
  EXPECT_TRUE(connections.Calls().empty());
  EXPECT_TRUE(http.Requests().empty());
}

TEST_F(RunState, RunWritesTheCheckedValuesInOrderRestartsAndEndsRunning) {
  Access::LoadAdapterAndOptions(Form());
  registry.calls.clear();
  Form().BtnStartClick();
  // Back from the click: busy and the values written; the restart and the wait are the worker's.
  ExpectLook(TStatus::stBusy);
  const std::string iface = Text(std::u16string(kInterfaces) + kGuid);
  const std::vector<std::string> expected = {
      "record SOFTWARE\\Tempowave 5",  // the machine's own values first, in one write
      "set " + iface + " TcpAckFrequency 1",
      "set " + iface + " TcpDelAckTicks 0",
      "set " + Text(kMsmq) + " TCPNoDelay 1",
      "set " + Text(kProfile) + " NetworkThrottlingIndex 4294967295",
      "set " + Text(kProfile) + " SystemResponsiveness 10",
  };
  EXPECT_EQ(MachineChanges(), expected);
  EXPECT_EQ(StoredInteger(u"status"), 0);  // busy is never stored

  ASSERT_TRUE(ServeUntilSettled());
  const auto calls = connections.Calls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].guid, kGuid);
  EXPECT_EQ(calls[1].guid, kGuid);
  EXPECT_FALSE(calls[0].enable);
  EXPECT_TRUE(calls[1].enable);
  EXPECT_NE(calls[0].thread, std::this_thread::get_id());
  EXPECT_EQ(calls[1].thread, calls[0].thread);
  ExpectLook(TStatus::stRunning);
  EXPECT_EQ(StoredInteger(u"status"), 1);
  EXPECT_EQ(http.Requests().size(), 1u);  // answered at once: one probe, no pause
  EXPECT_EQ(clock.SleepCount(), 0u);
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 0xFFFFFFFFu);
}

TEST_F(RunState, WithoutAThreadForTheWaitTheTargetIsAppliedAtOnce) {
  SeedDefaults();
  Access::LoadAdapterAndOptions(Form());
  threads.refuse = true;
  Form().BtnStartClick();
  ExpectLook(TStatus::stRunning);  // not left busy with nothing to end it
  EXPECT_EQ(StoredInteger(u"status"), 1);
  ASSERT_EQ(connections.Calls().size(), 2u);
  EXPECT_FALSE(connections.Calls()[0].enable);
  EXPECT_EQ(connections.Calls()[1].thread, std::this_thread::get_id())
      << "restarted here, as there is no worker";
  EXPECT_EQ(com.Depth(), 0);
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"SystemResponsiveness"), 10u);
  Form().BtnStartClick();
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(StoredInteger(u"status"), 0);
  EXPECT_EQ(connections.Calls().size(), 4u);
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"SystemResponsiveness"), 20u);
  EXPECT_TRUE(http.Requests().empty());  // nothing probed
  EXPECT_EQ(threads.asked.load(), 2);
}

TEST_F(RunState, RunWritesOnlyTheCheckedRows) {
  Access::LoadAdapterAndOptions(Form());
  CheckAll(false);
  view.at(Ctl::ChkTcpDelAckTick).checked = true;
  view.at(Ctl::ChkSystemResponsiveness).checked = true;
  registry.calls.clear();
  Form().Start();
  const std::vector<std::string> expected = {
      "record SOFTWARE\\Tempowave 2",
      "set " + Text(std::u16string(kInterfaces) + kGuid) + " TcpDelAckTicks 0",
      "set " + Text(kProfile) + " SystemResponsiveness 10",
  };
  EXPECT_EQ(MachineChanges(), expected);
  ASSERT_TRUE(ServeUntilSettled());

  CheckAll(false);
  registry.calls.clear();
  Form().Start();  // nothing checked: no value, but the restart and the wait all the same
  EXPECT_TRUE(MachineChanges().empty());
  ASSERT_TRUE(ServeUntilSettled());
  EXPECT_EQ(connections.Calls().size(), 4u);
  ExpectLook(TStatus::stRunning);
}

TEST_F(RunState, WithoutARecordRunAgainResetsOnlyRunsDataWhateverTheBoxesShow) {
  SeedTuned();  // tuned by an earlier version, which kept no record
  registry.PutDword(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpAckFrequency", 1);
  registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 14);  // the machine's own
  TConfig(registry, u"Tempowave").WriteInteger(u"status", 1);
  Access::LoadAdapterAndOptions(Form());
  CheckAll(false);
  registry.calls.clear();
  Form().BtnStartClick();
  ExpectLook(TStatus::stBusy);
  const std::string iface = Text(std::u16string(kInterfaces) + kGuid);
  const std::vector<std::string> expected = {
      "delete " + iface + " TcpAckFrequency",
      "set " + Text(kProfile) + " NetworkThrottlingIndex 10",
  };
  EXPECT_EQ(MachineChanges(), expected);
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(StoredInteger(u"status"), 0);
}

// Without an adapter there is no interface key to look at: the bare Interfaces key is never touched.
TEST_F(RunState, RunAgainWithoutAnAdapterLeavesTheInterfaceValuesAlone) {
  facts.wmi_up = false;
  SeedTuned();
  TConfig(registry, u"Tempowave").WriteInteger(u"status", 1);
  Access::LoadAdapterAndOptions(Form());
  ExpectLook(TStatus::stRunning);
  registry.calls.clear();
  Form().BtnStartClick();
  EXPECT_EQ(MachineChanges(),
            std::vector<std::string>{"set " + Text(kProfile) + " NetworkThrottlingIndex 10"});
  ASSERT_TRUE(ServeUntilSettled());
  ASSERT_EQ(connections.Calls().size(), 2u);
  EXPECT_EQ(connections.Calls()[0].guid, u"");
  ExpectLook(TStatus::stIdle);
}

TEST_F(RunState, AClickWhileBusyDoesNothing) {
  Access::ApplyStatus(Form(), TStatus::stBusy);
  registry.calls.clear();
  view.journal.clear();
  Form().BtnStartClick();
  EXPECT_TRUE(view.journal.empty());
  EXPECT_TRUE(registry.calls.empty());
  EXPECT_TRUE(connections.Calls().empty());
  EXPECT_EQ(threads.asked.load(), 0) << "no restart started in the background either";
}

TEST_F(RunState, ADeadNetworkAfterRunIsProbed300TimesThenRunIsGivenBack) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 20);
  http.fallback.reset();  // every probe fails
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  EXPECT_EQ(http.Requests().size(), 300u);
  EXPECT_EQ(clock.SleepCount(), 300u);
  EXPECT_EQ(clock.SleptMs(), 300000u);
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text, u"The network did not answer, so the changes were undone.");
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(StoredInteger(u"status"), 0);
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 20u);
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, kProfile, u"SystemResponsiveness"));
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, kMsmq, u"TCPNoDelay"));
  EXPECT_FALSE(RecordHeld());
  // Restarted for Run, then once more so that the given-back values take effect; both off the window's
  // thread.
  const auto calls = connections.Calls();
  ASSERT_EQ(calls.size(), 4u);
  for (const auto& call : calls) EXPECT_NE(call.thread, std::this_thread::get_id());
  EXPECT_EQ(com.Entered(), 2);
}

TEST_F(RunState, TheProgramsProbeScheduleCanBeShortenedForItsTestBuild) {
  for (int attempts : {0, 3}) {
    SCOPED_TRACE(attempts);
    registry = test::FakeRegistry();
    test::FakeHttp dead;  // every probe fails
    test::FakeClock fresh_clock;
    TFrmTempowave shortened(view, Services{.registry = registry,
                                           .dispatcher = dispatcher,
                                           .clock = fresh_clock,
                                           .http = dead,
                                           .adapters = &facts,
                                           .connections = &connections,
                                           .threads = &threads,
                                           .probe_attempts = attempts});
    Access::LoadAdapterAndOptions(shortened);
    shortened.BtnStartClick();
    const int before = dispatcher.Delivered();
    ASSERT_TRUE(dispatcher.Serve(
        [&] { return shortened.Status() != TStatus::stBusy && dispatcher.Delivered() > before; },
        seconds(30)));
    EXPECT_EQ(dead.Requests().size(), attempts ? 3u : 300u);
    EXPECT_EQ(fresh_clock.SleepCount(), attempts ? 3u : 300u);
    EXPECT_EQ(shortened.Status(), TStatus::stIdle);
  }
}

TEST_F(RunState, ADeadNetworkAfterRunAgainEndsIdleAndSaysSo) {
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  http.fallback.reset();
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text, u"The network has not answered yet.");
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(StoredInteger(u"status"), 0);
  EXPECT_FALSE(RecordHeld());  // the values are back; only the network is missing
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"));
  EXPECT_EQ(connections.Calls().size(), 4u);  // no extra restart: nothing more to take effect
}

TEST_F(RunState, RunAgainGivesBackTheMachinesOwnValuesAndRestartsTheTunedAdapter) {
  const std::u16string iface = std::u16string(kInterfaces) + kGuid;
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 20);
  registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 30);
  registry.PutDword(reg::kLocalMachine, iface, u"TcpAckFrequency", 2);
  registry.PutString(reg::kLocalMachine, kMsmq, u"TCPNoDelay", reg::kSz, u"1");
  const auto before = registry;
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"SystemResponsiveness"), 10u);
  EXPECT_TRUE(RecordHeld());

  // A later start on the same machine: the values still hold, so it opens running.
  Restart();
  ExpectLook(TStatus::stRunning);
  registry.calls.clear();
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stIdle);
  EXPECT_TRUE(view.error_boxes.empty());
  for (const auto& [path, name] :
       std::vector<std::pair<std::u16string, std::u16string>>{{iface, u"TcpAckFrequency"},
                                                              {iface, u"TcpDelAckTicks"},
                                                              {kMsmq, u"TCPNoDelay"},
                                                              {kProfile, u"NetworkThrottlingIndex"},
                                                              {kProfile, u"SystemResponsiveness"}}) {
    const auto was = before.Get(reg::kLocalMachine, path, name);
    const auto now = registry.Get(reg::kLocalMachine, path, name);
    ASSERT_EQ(now.has_value(), was.has_value()) << Text(name);
    if (was) {
      EXPECT_EQ(now->type, was->type) << Text(name);
      EXPECT_EQ(now->data, was->data) << Text(name);
    }
  }
  EXPECT_FALSE(RecordHeld());
  EXPECT_EQ(connections.Calls().size(), 4u);
  EXPECT_EQ(connections.Calls()[2].guid, kGuid);
}

TEST_F(RunState, ARunningStateOpensIdleOnceTheValuesWereResetBehindItsBack) {
  struct Case {
    const char* what;
    bool keep_one;  // one value still holds Run's data
    TStatus shown;
  };
  const Case cases[] = {{"all reset", false, TStatus::stIdle}, {"one still tuned", true, TStatus::stRunning}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    form.reset();
    view = test::FakeFormView();
    SeedDefaults();
    Access::LoadAdapterAndOptions(Form());
    Form().BtnStartClick();
    ASSERT_TRUE(ServeUntilSettled());
    ASSERT_EQ(StoredInteger(u"status"), 1);
    // A system restore puts the defaults back and removes the rest.
    SeedDefaults();
    registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", c.keep_one ? 10 : 20);
    const std::u16string iface = u"HKEY_LOCAL_MACHINE\\" + std::u16string(kInterfaces) + kGuid;
    CreateKeyAndDeleteValue(registry, iface, u"TcpAckFrequency");
    CreateKeyAndDeleteValue(registry, iface, u"TcpDelAckTicks");
    CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\" + std::u16string(kMsmq), u"TCPNoDelay");
    registry.calls.clear();
    Restart();
    ExpectLook(c.shown);
    EXPECT_EQ(StoredInteger(u"status"), c.shown == TStatus::stRunning ? 1 : 0);
    // A record none of whose values holds Run's data is stale: it goes, so that the next Run records afresh.
    const std::vector<std::string> dropped = {"delete SOFTWARE\\Tempowave Snapshot"};
    EXPECT_EQ(MachineChanges(), c.shown == TStatus::stIdle ? dropped : std::vector<std::string>{});
    size_t machine_opens = 0;
    for (const auto& call : registry.CallsOf("OpenKey")) machine_opens += call.key == reg::kLocalMachine;
    // A handful of reads, no walk: the record and its values, read once more under the lock when stale.
    EXPECT_LE(machine_opens, c.shown == TStatus::stIdle ? 16u : 8u);
  }
}

TEST_F(RunState, RunAgainAfterTheAdapterChangedGivesBackTheTunedOne) {
  constexpr char16_t kOther[] = u"{0000000B-0000-0000-0000-4E6574446576}";
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());

  // The next start finds another adapter (the first one gone, a cable instead of Wi-Fi).
  facts.adapters = {test::WmiAdapter(11, u"eth1", kOther)};
  facts.configurations[u"11"] = {test::WmiConfiguration({{u"192.168.77.10"}})};
  registry.PutDword(reg::kLocalMachine, std::u16string(kInterfaces) + kOther, u"TcpAckFrequency", 3);
  Restart();
  ASSERT_EQ(Form().AdapterGuid(), kOther);
  ExpectLook(TStatus::stRunning);  // the tuned adapter's values still hold

  const size_t restarts_before = connections.Calls().size();
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stIdle);
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpAckFrequency"));
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpDelAckTicks"));
  EXPECT_EQ(Dword(reg::kLocalMachine, std::u16string(kInterfaces) + kOther, u"TcpAckFrequency"), 3u);
  const auto calls = connections.Calls();
  ASSERT_EQ(calls.size(), restarts_before + 4);
  EXPECT_EQ(calls[restarts_before].guid, kGuid);  // the tuned adapter first, then the active one
  EXPECT_EQ(calls[restarts_before + 2].guid, kOther);
}

// The window closes while busy: "status" stays 0 for this user, but the machine-wide record and the values
// Run wrote say the machine is tuned, and that is what the next start shows; Run again gives back the
// machine's own values.
TEST_F(RunState, ARunCutShortOpensRunningAndGivesBackTheMachinesOwnValues) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 20);
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  dispatcher.CloseQuietly();
  form.reset();
  auto& next = *dispatchers().emplace_back(std::make_unique<test::QueuedDispatcher>());
  view = test::FakeFormView();
  TFrmTempowave second(view, Services{.registry = registry,
                                      .dispatcher = next,
                                      .clock = clock,
                                      .http = http,
                                      .adapters = &facts,
                                      .connections = &connections,
                                      .threads = &threads});
  Access::LoadAdapterAndOptions(second);
  ASSERT_EQ(second.Status(), TStatus::stRunning);
  EXPECT_EQ(StoredInteger(u"status"), 1);
  second.BtnStartClick();
  ASSERT_TRUE(next.Serve([&] { return second.Status() == TStatus::stIdle; }, seconds(30)));
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 20u);
  EXPECT_FALSE(RecordHeld());
}

TEST_F(RunState, AConnectionThatStaysOffAfterRunIsSaidAndRunIsGivenBack) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 20);
  connections.answer = [](const std::u16string&, bool enable) { return !enable; };  // off, never on again
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  // Handed over once the retries are over: no wait for a network that cannot answer.
  ASSERT_TRUE(ServeUntilSettled());
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(
      view.error_boxes[0].text,
      u"The network connection could not be switched back on. Please switch it on in the Windows network "
      u"settings.");
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(StoredInteger(u"status"), 0);  // as before the click
  EXPECT_TRUE(http.Requests().empty());
  EXPECT_EQ(connections.Calls().size(), 5u);  // off, on, and three more tries
  EXPECT_EQ(clock.SleepCount(), 3u);
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 20u);
  EXPECT_FALSE(RecordHeld());
}

// The values are back once Run again has given them back: a connection that then stays off is said, the
// window goes idle and the record goes; the marker keeps naming the connection, so that the next start
// switches it on.
TEST_F(RunState, AConnectionThatStaysOffAfterRunAgainIsSaidAndTheValuesAreBack) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 20);
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  EXPECT_TRUE(RestartMarks(registry).empty());  // back on after Run's restart
  connections.answer = [](const std::u16string&, bool enable) { return !enable; };
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text.substr(0, 53), u"The network connection could not be switched back on.");
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(StoredInteger(u"status"), 0);
  EXPECT_FALSE(RecordHeld());
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 20u);
  EXPECT_EQ(RestartMarks(registry), std::vector<std::u16string>{kGuid});
}

TEST_F(RunState, AConnectionBackAtARetryIsNoFailure) {
  int connects = 0;
  connections.answer = [&connects](const std::u16string&, bool enable) { return !enable || ++connects > 2; };
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  EXPECT_TRUE(view.error_boxes.empty());
  EXPECT_EQ(connections.Calls().size(), 4u);
  EXPECT_EQ(clock.SleepCount(), 2u);  // two pauses before the third connect
}

TEST_F(RunState, AValueThatCannotBeGivenBackKeepsRunningAndTheRecord) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 20);
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  registry.fault = [](const test::RegCall& c) {
    return c.op == "SetValue" && c.name == u"NetworkThrottlingIndex" ? reg::kAccessDenied : reg::kSuccess;
  };
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text,
            u"Some values could not be given back. Press the button again to try once more.");
  ExpectLook(TStatus::stRunning);
  EXPECT_TRUE(RecordHeld());
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, kMsmq, u"TCPNoDelay"));  // the others are back

  registry.fault = nullptr;
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stIdle);
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 20u);
  EXPECT_FALSE(RecordHeld());
}

TEST_F(RunState, AProbePathThatRaisesStillHandsOver) {
  http.fallback.reset();
  clock.on_sleep = [] { throw std::runtime_error("clock gone"); };  // raised inside the probe loop
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());  // not left busy
  EXPECT_EQ(http.Requests().size(), 1u);
  // The wait never saw the internet answer: the way back, as for a silent network.
  ExpectLook(TStatus::stIdle);
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text, u"The network did not answer, so the changes were undone.");
}

TEST_F(RunState, AHandOverAfterTheWindowIsGoneIsDropped) {
  // The first probe fails and its pause holds the worker until the window has gone.
  http.fallback.reset();
  std::mutex gate_mutex;
  std::condition_variable gate_changed;
  bool worker_paused = false, window_gone = false;
  clock.on_sleep = [&] {
    std::unique_lock<std::mutex> lock(gate_mutex);
    worker_paused = true;
    gate_changed.notify_all();
    gate_changed.wait(lock, [&] { return window_gone; });
  };
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  {
    std::unique_lock<std::mutex> lock(gate_mutex);
    ASSERT_TRUE(gate_changed.wait_for(lock, seconds(30), [&] { return worker_paused; }));
  }
  dispatcher.Close();
  form.reset();  // the window object is gone
  {
    std::lock_guard<std::mutex> lock(gate_mutex);
    window_gone = true;
  }
  gate_changed.notify_all();
  ASSERT_TRUE(dispatcher.WaitDropped(1));
  EXPECT_EQ(dispatcher.Delivered(), 0);
  EXPECT_EQ(http.Requests().size(), 1u);  // terminating: no further probes
  EXPECT_EQ(StoredInteger(u"status"), 0);
}

TEST_F(RunState, AWorkerThatFinishesAfterTheWindowIsGoneEndsQuietly) {
  http.fallback.reset();
  Access::LoadAdapterAndOptions(Form());
  dispatcher.CloseQuietly();
  Form().BtnStartClick();
  form.reset();
  ASSERT_TRUE(dispatcher.WaitDropped(1));
  EXPECT_EQ(http.Requests().size(), 300u);
  EXPECT_EQ(StoredInteger(u"status"), 0);
}

// The worker disconnects, then connects, from a COM apartment of its own that it leaves again before the
// first probe.
TEST_F(RunState, TheWorkerRestartsInAnApartmentOfItsOwnBeforeItProbes) {
  struct Seen {
    bool enable;
    std::thread::id thread;
    int com_depth;
    size_t probes;
  };
  std::vector<Seen> seen;  // written by the worker only, read once it has handed over
  connections.on_call = [&](const test::FakeNetConnections::Call& call) {
    seen.push_back({call.enable, call.thread, com.Depth(), http.Requests().size()});
  };
  http.script = {std::nullopt};  // the first probe fails: one pause, then the fallback answers
  int depth_in_pause = -1;
  clock.on_sleep = [&] { depth_in_pause = com.Depth(); };
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_FALSE(seen[0].enable);
  EXPECT_TRUE(seen[1].enable);
  EXPECT_NE(seen[0].thread, std::this_thread::get_id());
  EXPECT_EQ(seen[1].thread, seen[0].thread);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.com_depth, 1) << "inside the worker's apartment";
    EXPECT_EQ(s.probes, 0u) << "no probe before the connect has returned";
  }
  EXPECT_EQ(depth_in_pause, 0) << "the probes run outside the apartment";
  EXPECT_EQ(com.DepthOn(seen[0].thread), 0);
  EXPECT_EQ(com.Entered(), 1);
  EXPECT_EQ(com.Depth(), 0) << "nothing entered on the window's thread";
  EXPECT_EQ(http.Requests().size(), 2u);
}

// Holds the adapter's disconnect until the test lets it go on.
class HeldDisconnect {
 public:
  explicit HeldDisconnect(test::FakeNetConnections& connections) {
    connections.on_call = [this](const test::FakeNetConnections::Call& call) {
      if (call.enable) return;
      std::unique_lock<std::mutex> lock(mutex_);
      reached_ = true;
      changed_.notify_all();
      changed_.wait_for(lock, seconds(30), [this] { return released_; });
    };
  }
  bool WaitReached() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, seconds(30), [this] { return reached_; });
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool reached_ = false, released_ = false;
};

// However long the adapter takes, the click returns at once and the window stays busy until the wait ends.
TEST_F(RunState, TheClickReturnsWhileTheAdapterIsStillRestarting) {
  HeldDisconnect held(connections);
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ExpectLook(TStatus::stBusy);
  EXPECT_EQ(MachineChanges().size(), 6u);  // the record of the machine's own values, then the five
  ASSERT_TRUE(held.WaitReached());
  EXPECT_EQ(connections.Calls().size(), 1u);
  EXPECT_TRUE(http.Requests().empty());
  ExpectLook(TStatus::stBusy);
  // Switched off now: logoff and shutdown are held off with a reason, and the marker names the connection.
  EXPECT_EQ(view.shutdown_held_with, u"Switching the network connection back on.");
  EXPECT_EQ(RestartMarks(registry), std::vector<std::u16string>{kGuid});
  held.Release();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  EXPECT_FALSE(view.shutdown_held_with);
  EXPECT_TRUE(RestartMarks(registry).empty());
  EXPECT_EQ(connections.Calls().size(), 2u);
  EXPECT_EQ(StoredInteger(u"status"), 1);
}

// Closed during the restart: the window's end waits until the adapter is connected again, rather than leave
// it disconnected; then it ends as when closed during the wait: no probe, the hand-over dropped, the stored
// state as before the click.
TEST_F(RunState, ClosingDuringTheRestartWaitsForTheConnect) {
  HeldDisconnect held(connections);
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(held.WaitReached());
  dispatcher.Close();  // the main window is gone
  std::thread adapter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    held.Release();
  });
  form.reset();
  const auto calls = connections.Calls();
  adapter.join();
  ASSERT_EQ(calls.size(), 2u) << "the window's end came before the connect";
  EXPECT_TRUE(calls[1].enable);
  ASSERT_TRUE(dispatcher.WaitDropped(1));
  EXPECT_TRUE(http.Requests().empty());
  EXPECT_EQ(StoredInteger(u"status"), 0);
}

// Another copy (another logon session's window, or /restore) holds the machine-wide lock: Run and Run again
// change nothing, restart nothing, say why and keep the state they came from.
TEST_F(RunState, WhileAnotherCopyChangesTheMachineRunAndRunAgainChangeNothing) {
  const std::u16string other =
      u"Another copy of Tempowave is changing the network. Try again once it has finished.";
  Access::LoadAdapterAndOptions(Form());
  machine_lock.held_elsewhere = true;
  registry.calls.clear();
  Form().BtnStartClick();
  ExpectLook(TStatus::stIdle);
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text, other);
  EXPECT_TRUE(MachineChanges().empty());
  EXPECT_TRUE(connections.Calls().empty());

  machine_lock.held_elsewhere = false;
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  EXPECT_FALSE(machine_lock.Held());  // held from the first read to the end, then given back
  EXPECT_EQ(machine_lock.taken, 1);

  machine_lock.held_elsewhere = true;
  const size_t calls = connections.Calls().size();
  registry.calls.clear();
  Form().BtnStartClick();
  ExpectLook(TStatus::stRunning);
  ASSERT_EQ(view.error_boxes.size(), 2u);
  EXPECT_EQ(view.error_boxes[1].text, other);
  EXPECT_TRUE(MachineChanges().empty());
  EXPECT_EQ(connections.Calls().size(), calls);
}

// Run over a record it cannot trust, or one it cannot store: nothing written, nothing restarted, idle, and
// the user is told why. The record stays as it was.
TEST_F(RunState, RunThatCannotRecordChangesNothingAndSaysWhy) {
  struct Case {
    const char* what;
    std::function<void(test::FakeRegistry&)> arrange;
    std::u16string message;
  };
  const Case cases[] = {
      {"a damaged record",
       [](test::FakeRegistry& r) {
         r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz,
                     u"NetworkThrottlingIndex||4|140");
       },
       u"The record of your earlier values is damaged or cannot be read, so Run changed nothing."},
      {"a record that cannot be read",
       [](test::FakeRegistry& r) {
         r.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz, u"");
         r.fault = [](const test::RegCall& c) {
           return c.op == "QueryValue" && c.name == kSnapshotValue ? reg::kAccessDenied : reg::kSuccess;
         };
       },
       u"The record of your earlier values is damaged or cannot be read, so Run changed nothing."},
      {"a record that cannot be stored",
       [](test::FakeRegistry& r) {
         r.fault = [](const test::RegCall& c) {
           return c.op == "SetValue" && c.name == kSnapshotValue ? reg::kAccessDenied : reg::kSuccess;
         };
       },
       u"Your earlier values could not be recorded, so Run changed nothing."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    form.reset();
    view = test::FakeFormView();
    SeedDefaults();
    TConfig(registry, u"Tempowave").WriteInteger(u"status", 0);
    Access::LoadAdapterAndOptions(Form());
    c.arrange(registry);
    const auto record = registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue);
    registry.calls.clear();
    const size_t calls = connections.Calls().size();
    Form().BtnStartClick();
    ExpectLook(TStatus::stIdle);
    ASSERT_EQ(view.error_boxes.size(), 1u);
    EXPECT_EQ(view.error_boxes[0].text, c.message);
    for (const auto& change : MachineChanges())
      EXPECT_EQ(change.rfind("set ", 0), std::string::npos) << change;
    EXPECT_EQ(connections.Calls().size(), calls);
    EXPECT_FALSE(machine_lock.Held());
    registry.fault = nullptr;
    EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 10u);
    const auto now = registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue);
    ASSERT_EQ(now.has_value(), record.has_value());
    if (now) {
      EXPECT_EQ(now->data, record->data);
    }
  }
}

// Chosen values that could not be recorded or written are named; the rest is Run as usual. When none could
// be written there is nothing for a restart to bring into effect: idle, and nothing restarted.
TEST_F(RunState, ValuesRunCouldNotChangeAreNamed) {
  Access::LoadAdapterAndOptions(Form());
  registry.fault = [](const test::RegCall& c) {
    return c.op == "SetValue" && c.name == u"TCPNoDelay" ? reg::kAccessDenied : reg::kSuccess;
  };
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text, u"These values were not changed:\r\nTCPNoDelay");

  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stIdle);
  const size_t calls = connections.Calls().size();
  CheckAll(false);
  view.at(Ctl::ChkTcpNoDelay).checked = true;
  Form().BtnStartClick();
  ExpectLook(TStatus::stIdle);
  ASSERT_EQ(view.error_boxes.size(), 2u);
  EXPECT_EQ(view.error_boxes[1].text, u"These values were not changed:\r\nTCPNoDelay");
  EXPECT_EQ(connections.Calls().size(), calls);
}

// A damaged record opens running, for every user; Run again gives back what it can read, keeps the record
// and says so, and stays running.
TEST_F(RunState, RunAgainOverADamagedRecordGivesBackWhatItCanAndKeepsIt) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 0xFFFFFFFF);
  registry.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz,
                     std::u16string(u"NetworkThrottlingIndex||4|14000000") + u'\0' + u"Junk||absent");
  const auto record = registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue);
  Access::LoadAdapterAndOptions(Form());
  ExpectLook(TStatus::stRunning);
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  ExpectLook(TStatus::stRunning);
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text.substr(0, 48), u"The record of your earlier values is damaged. Wh");
  EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex"), 20u);
  EXPECT_EQ(registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue)->data, record->data);
}

// The machine-wide record decides at start, whatever this user stored: another user's Run shows running
// here. A stale record is dropped only while no other copy holds the machine.
TEST_F(RunState, TheRecordDecidesTheStateAtStartForEveryUser) {
  Access::LoadAdapterAndOptions(Form());
  Form().BtnStartClick();
  ASSERT_TRUE(ServeUntilSettled());
  TConfig(registry, u"Tempowave").WriteInteger(u"status", 0);  // as another user's store would say
  Restart();
  ExpectLook(TStatus::stRunning);

  SeedDefaults();  // the values were reset behind the record's back
  const std::u16string iface = u"HKEY_LOCAL_MACHINE\\" + std::u16string(kInterfaces) + kGuid;
  CreateKeyAndDeleteValue(registry, iface, u"TcpAckFrequency");
  CreateKeyAndDeleteValue(registry, iface, u"TcpDelAckTicks");
  CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\" + std::u16string(kMsmq), u"TCPNoDelay");
  machine_lock.held_elsewhere = true;
  Restart();
  ExpectLook(TStatus::stIdle);
  EXPECT_TRUE(RecordHeld());  // another copy may be part-way through a Run of its own
  machine_lock.held_elsewhere = false;
  Restart();
  ExpectLook(TStatus::stIdle);
  EXPECT_FALSE(RecordHeld());
}

// What another copy (another logon session's window, or /restore) did while this window was open is read
// again once the machine-wide lock is held: the window acts on the machine as it is then, not as it was.
TEST_F(RunState, AnotherCopysChangesAreReadAgainUnderTheLock) {
  const std::u16string iface = u"HKEY_LOCAL_MACHINE\\" + std::u16string(kInterfaces) + kGuid;
  struct Case {
    const char* what;
    bool run_again;  // false: a new start
    // Done by the other copy on the same machine just before the lock is taken.
    std::function<void(test::FakeRegistry&, test::FakeAdapterFacts&)> other;
    TStatus status;
    std::u16string message;
    bool record_held;
  };
  const auto give_back = [](test::FakeRegistry& machine, test::FakeAdapterFacts&) {
    RevertTuning(machine, kGuid, WithoutRecord::ResetRunsOwn);
    DropSnapshot(machine);
  };
  const Case cases[] = {
      // The machine's own SystemResponsiveness is 10, which is also Run's data: it must not be reset.
      {"another window's Run again gave the record back", true, give_back, TStatus::stIdle,
       u"Another copy of Tempowave has already given your earlier values back. Nothing was changed.", false},
      {"/restore gave the record back", true,
       [](test::FakeRegistry& machine, test::FakeAdapterFacts& adapters) {
         test::FakeNetConnections others;
         test::FakeClock its_clock;
         EXPECT_EQ(RunRestoreCommand(machine, its_clock, &adapters, &others), kRestoreDone);
       },
       TStatus::stIdle,
       u"Another copy of Tempowave has already given your earlier values back. Nothing was changed.", false},
      // The values were reset behind the record's back (stale), then another copy's Run tuned them again
      // before this start took the lock: the record is its record now.
      {"a stale record tuned again by another copy's Run", false,
       [](test::FakeRegistry& machine, test::FakeAdapterFacts&) {
         for (const Tweak& tweak : kTweaks) ApplyTweak(machine, tweak, kGuid);
       },
       TStatus::stRunning, u"", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    form.reset();
    view = test::FakeFormView();
    registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 10);
    registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 10);
    Access::LoadAdapterAndOptions(Form());
    Form().BtnStartClick();
    ASSERT_TRUE(ServeUntilSettled());
    ExpectLook(TStatus::stRunning);
    if (!c.run_again) {  // the values reset behind the record's back
      registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 10);
      CreateKeyAndDeleteValue(registry, iface, u"TcpAckFrequency");
      CreateKeyAndDeleteValue(registry, iface, u"TcpDelAckTicks");
      CreateKeyAndDeleteValue(registry, u"HKEY_LOCAL_MACHINE\\" + std::u16string(kMsmq), u"TCPNoDelay");
      registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 20);
    }
    machine_lock.on_next_acquire = [this, &c] {
      c.other(registry, facts);
      registry.calls.clear();  // what follows is this window's doing
    };
    const size_t restarts = connections.Calls().size();
    const size_t boxes = view.error_boxes.size();
    registry.calls.clear();
    if (c.run_again) {
      Form().BtnStartClick();
      // Nothing of this window's doing: no value written or deleted, nothing restarted.
      for (const auto& change : MachineChanges()) {
        EXPECT_NE(change.rfind("set SOFTWARE\\Microsoft\\Windows NT", 0), 0u) << change;
      }
      EXPECT_EQ(Dword(reg::kLocalMachine, kProfile, u"SystemResponsiveness"), 10u);
    } else {
      Restart();
    }
    EXPECT_FALSE(machine_lock.on_next_acquire) << "the lock was never taken";
    ExpectLook(c.status);
    if (c.message.empty()) {
      EXPECT_EQ(view.error_boxes.size(), c.run_again ? boxes : 0u);
    } else {
      ASSERT_EQ(view.error_boxes.size(), boxes + 1);
      EXPECT_EQ(view.error_boxes.back().text, c.message);
    }
    if (c.run_again) {
      EXPECT_EQ(connections.Calls().size(), restarts);
    }
    EXPECT_EQ(RecordHeld(), c.record_held);
    EXPECT_FALSE(machine_lock.Held());
  }
}

// A copy that may not take the machine-wide lock (not run as administrator) says so, never that another
// copy is busy, and changes nothing.
TEST_F(RunState, ACopyThatIsNotAdministratorSaysSo) {
  Access::LoadAdapterAndOptions(Form());
  machine_lock.denied = true;
  registry.calls.clear();
  Form().BtnStartClick();
  ExpectLook(TStatus::stIdle);
  ASSERT_EQ(view.error_boxes.size(), 1u);
  EXPECT_EQ(view.error_boxes[0].text,
            u"Tempowave must run as administrator to change the network. Please start it again as "
            u"administrator.");
  EXPECT_TRUE(MachineChanges().empty());
  EXPECT_TRUE(connections.Calls().empty());
}

}  // namespace
}  // namespace tw
