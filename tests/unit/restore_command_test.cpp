#include "app/restore_command.h"

#include <gtest/gtest.h>

#include "fakes/fake_adapter_facts.h"
#include "fakes/fake_clock.h"
#include "fakes/fake_machine_lock.h"
#include "fakes/fake_net_connections.h"
#include "fakes/fake_registry.h"
#include "platform/text.h"
#include "settings/config.h"
#include "tuning/record_store.h"
#include "tuning/restart_marker.h"

namespace tw {
namespace {

constexpr char16_t kGuid[] = u"{0000000A-0000-0000-0000-4E6574446576}";
constexpr char16_t kGone[] = u"{0000000C-0000-0000-0000-4E6574446576}";
constexpr char16_t kInterfaces[] = u"SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
constexpr char16_t kProfile[] = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Multimedia\\SystemProfile";

TEST(RestoreCommand, OnlyRestoreAloneIsTheCommand) {
  const struct {
    const char16_t* line;
    bool restore;
  } cases[] = {
      {u"/restore", true},      {u"/RESTORE", true},           {u"  /Restore\t", true}, {u"", false},
      {u"/restore x", false},   {u"/restore /restore", false}, {u"-restore", false},    {u"restore", false},
      {u"\"/restore\"", false}, {u"/restored", false},         {u"/res tore", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsRestoreCommand(c.line), c.restore) << EncodeUtf8(c.line);
}

class RestoreRun : public ::testing::Test {
 public:
  RestoreRun() {
    facts.addresses = {test::Loopback(), test::Ethernet({test::V4(u"192.168.77.10")})};
    facts.adapters = {test::WmiAdapter(10, u"eth0", kGuid)};
    facts.configurations[u"10"] = {test::WmiConfiguration({{u"192.168.77.10"}})};
    TConfig(registry, u"Tempowave").WriteInteger(u"status", 1);
  }
  int Run() { return RunRestoreCommand(registry, clock, &facts, &connections, &machine_lock); }
  // A record left by a Run on `adapter`: NetworkThrottlingIndex was 20, TcpAckFrequency absent.
  void Recorded(const std::u16string& adapter) {
    registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 20);
    CaptureBeforeRun(registry, {{TweakId::NetworkThrottlingIndex, u""}, {TweakId::TcpAckFrequency, adapter}});
    registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 0xFFFFFFFF);
    registry.PutDword(reg::kLocalMachine, std::u16string(kInterfaces) + adapter, u"TcpAckFrequency", 1);
  }
  bool Held() {
    Snapshot s;
    return ReadSnapshot(registry, &s) == SnapshotState::Held;
  }
  std::int32_t Status() { return TConfig(registry, u"Tempowave").ReadInteger(u"status", -1); }
  std::vector<std::u16string> Restarted() {
    std::vector<std::u16string> out;
    for (const auto& c : connections.Calls()) {
      if (!c.enable) out.push_back(c.guid);
    }
    return out;
  }

  test::FakeRegistry registry;
  test::FakeAdapterFacts facts;
  test::FakeNetConnections connections;
  test::FakeClock clock;
  test::FakeMachineLock machine_lock;
};

TEST_F(RestoreRun, GivesTheRecordBackAndStoresIdle) {
  Recorded(kGone);  // tuned on an adapter that has gone since
  EXPECT_EQ(Run(), kRestoreDone);
  EXPECT_EQ(registry.Get(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex")->data,
            (std::vector<std::uint8_t>{20, 0, 0, 0}));
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, std::u16string(kInterfaces) + kGone, u"TcpAckFrequency"));
  EXPECT_FALSE(Held());
  EXPECT_EQ(Status(), 0);
  EXPECT_EQ(Restarted(), (std::vector<std::u16string>{kGone, kGuid}));
}

TEST_F(RestoreRun, WithoutARecordResetsOnlyRunsOwnData) {
  registry.PutDword(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpAckFrequency", 1);
  registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 10);
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 30);  // the machine's own
  EXPECT_EQ(Run(), kRestoreDone);
  EXPECT_FALSE(registry.Get(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpAckFrequency"));
  EXPECT_EQ(registry.Get(reg::kLocalMachine, kProfile, u"SystemResponsiveness")->data,
            (std::vector<std::uint8_t>{20, 0, 0, 0}));
  EXPECT_EQ(registry.Get(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex")->data,
            (std::vector<std::uint8_t>{30, 0, 0, 0}));
  EXPECT_EQ(Status(), 0);
  EXPECT_EQ(Restarted(), std::vector<std::u16string>{kGuid});
}

// "/restore to be safe" on a machine that holds its own values and no record: nothing is written, deleted,
// restarted or stored, and it ends 0.
TEST_F(RestoreRun, WithNothingToGiveBackChangesNothing) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", 14);
  registry.PutDword(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpAckFrequency", 2);
  registry.calls.clear();
  EXPECT_EQ(Run(), kRestoreDone);
  EXPECT_TRUE(registry.CallsOf("SetValue").empty());
  EXPECT_TRUE(registry.CallsOf("DeleteValue").empty());
  EXPECT_TRUE(Restarted().empty());
}

TEST_F(RestoreRun, FailuresEndNonZeroAndKeepTheRecordAndTheState) {
  struct Case {
    const char* what;
    std::function<void(RestoreRun&)> arrange;
    int code;
  };
  const Case cases[] = {
      {"a value refused",
       [](RestoreRun& t) {
         t.registry.fault = [](const test::RegCall& c) {
           return c.op == "SetValue" && c.name == u"NetworkThrottlingIndex" ? reg::kAccessDenied
                                                                            : reg::kSuccess;
         };
       },
       kRestoreKeptBack},
      {"the record cannot be dropped", [](RestoreRun& t) { t.registry.fail_delete = reg::kAccessDenied; },
       kRestoreKeptBack},
      {"a connection stays off",
       [](RestoreRun& t) { t.connections.answer = [](const std::u16string&, bool on) { return !on; }; },
       kRestoreStayedOff},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    TConfig(registry, u"Tempowave").WriteInteger(u"status", 1);
    Recorded(kGuid);
    c.arrange(*this);
    EXPECT_EQ(Run(), c.code);
    registry.fault = nullptr;
    registry.fail_delete = 0;
    EXPECT_TRUE(Held());
    EXPECT_EQ(Status(), 1);
    connections.answer = nullptr;
  }
}

TEST_F(RestoreRun, ADiscoveryFailureStillGivesTheRecordBack) {
  Recorded(kGuid);
  facts.failing_configuration_queries.insert(u"10");  // raised by discovery
  EXPECT_EQ(Run(), kRestoreDone);
  EXPECT_FALSE(Held());
  EXPECT_EQ(Restarted(), (std::vector<std::u16string>{kGuid, u""}));
}

// Another copy, in any logon session, is changing the machine: nothing is read, written or restarted.
TEST_F(RestoreRun, WhileAnotherCopyChangesTheMachineNothingIsTouched) {
  Recorded(kGuid);
  MarkRestarting(registry, kGuid);
  machine_lock.held_elsewhere = true;
  registry.calls.clear();
  EXPECT_EQ(Run(), kRestoreOtherCopy);
  EXPECT_TRUE(registry.calls.empty());
  EXPECT_TRUE(connections.Calls().empty());
  machine_lock.held_elsewhere = false;
  EXPECT_EQ(Run(), kRestoreDone);
  EXPECT_FALSE(machine_lock.Held());  // given back on the way out
}

// A copy that is not administrator may not take the lock: it says so in its own exit code, and touches
// nothing.
TEST_F(RestoreRun, NotAsAdministratorNothingIsTouched) {
  Recorded(kGuid);
  machine_lock.denied = true;
  registry.calls.clear();
  EXPECT_EQ(Run(), kRestoreNotAdministrator);
  EXPECT_TRUE(registry.calls.empty());
  EXPECT_TRUE(connections.Calls().empty());
}

// Without a record and without an active adapter the per-adapter values cannot be looked at: they may still
// hold Run's data, so the exit code says not everything is back, the report names them, and the stored
// state stays. What can be looked at is reset as usual.
TEST_F(RestoreRun, WithoutARecordOrAnAdapterThePerAdapterValuesAreNamedAsNotChecked) {
  struct Case {
    const char* what;
    std::uint32_t responsiveness;  // the machine-wide SystemResponsiveness: 10 is Run's data
    std::uint32_t after;
  };
  for (const Case& c :
       {Case{"nothing else of Run's", 14, 14}, Case{"a machine-wide value of Run's", 10, 20}}) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    TConfig(registry, u"Tempowave").WriteInteger(u"status", 1);
    registry.PutDword(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpAckFrequency", 1);
    registry.PutDword(reg::kLocalMachine, kProfile, u"SystemResponsiveness", c.responsiveness);
    test::FakeAdapterFacts none;
    std::u16string report;
    EXPECT_EQ(RunRestoreCommand(registry, clock, &none, &connections, &machine_lock, &report),
              kRestoreKeptBack);
    EXPECT_EQ(report,
              u"Not checked, no active network adapter was found: TcpAckFrequency, TcpDelAckTicks\r\n");
    EXPECT_EQ(registry.Get(reg::kLocalMachine, kProfile, u"SystemResponsiveness")->data,
              (std::vector<std::uint8_t>{static_cast<std::uint8_t>(c.after), 0, 0, 0}));
    EXPECT_TRUE(registry.Get(reg::kLocalMachine, std::u16string(kInterfaces) + kGuid, u"TcpAckFrequency"));
    EXPECT_EQ(Status(), 1);
  }
  // With an adapter there is nothing to report.
  registry = test::FakeRegistry();
  std::u16string report;
  EXPECT_EQ(RunRestoreCommand(registry, clock, &facts, &connections, &machine_lock, &report), kRestoreDone);
  EXPECT_EQ(report, u"");
}

// A kill between the disconnect and the connect left the connection off, named in the marker: /restore
// switches it on (only on: it is already off), whatever the record says, and ends 2 when it stays off.
TEST_F(RestoreRun, AConnectionAnInterruptedRestartLeftOffIsSwitchedBackOn) {
  struct Case {
    const char* what;
    bool stays_off;
    int code;
  };
  for (const Case& c :
       {Case{"comes back", false, kRestoreDone}, Case{"stays off", true, kRestoreStayedOff}}) {
    SCOPED_TRACE(c.what);
    registry = test::FakeRegistry();
    test::FakeNetConnections fresh;
    MarkRestarting(registry, kGone);
    if (c.stays_off) fresh.answer = [](const std::u16string&, bool) { return false; };
    EXPECT_EQ(RunRestoreCommand(registry, clock, &facts, &fresh, &machine_lock), c.code);
    ASSERT_FALSE(fresh.Calls().empty());
    EXPECT_EQ(fresh.Calls()[0].guid, kGone);
    for (const auto& call : fresh.Calls()) EXPECT_TRUE(call.enable);
    EXPECT_EQ(RestartMarks(registry).empty(), !c.stays_off);  // named until it is back
  }
}

// A damaged record: what can be read goes back, the record stays as it is, the stored state too, and the
// exit code says that not everything is back.
TEST_F(RestoreRun, ADamagedRecordGivesBackWhatCanBeReadAndIsKept) {
  registry.PutDword(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex", 0xFFFFFFFF);
  const std::u16string lines =
      std::u16string(u"NetworkThrottlingIndex||4|14000000") + u'\0' + u"TCPNoDelay||4|0";
  registry.PutString(reg::kLocalMachine, kSnapshotKey, kSnapshotValue, reg::kMultiSz, lines);
  const auto before = registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue);
  EXPECT_EQ(Run(), kRestoreKeptBack);
  EXPECT_EQ(registry.Get(reg::kLocalMachine, kProfile, u"NetworkThrottlingIndex")->data,
            (std::vector<std::uint8_t>{20, 0, 0, 0}));
  EXPECT_EQ(registry.Get(reg::kLocalMachine, kSnapshotKey, kSnapshotValue)->data, before->data);
  EXPECT_EQ(Status(), 1);
  EXPECT_EQ(Restarted(), std::vector<std::u16string>{kGuid});
}

}  // namespace
}  // namespace tw
