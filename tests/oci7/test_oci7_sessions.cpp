// Non-blocking calls, break, several sessions on one database, and a killed session.
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "tests/oci7/oci7_client.h"

using namespace oci7test;

namespace {

class Sessions : public DatabaseSuite<"SESS"> {
 protected:
  void SetUp() override { ASSERT_EQ(conn_.Logon("demo/demo@sess"), 0); }
  Connection conn_;
};

// Repeats a non-blocking call until it stops answering `busy` (3123: the call's own work
// is still running).  No time limit: work that never ends is the test's time-out.
template <class F>
int Poll(F call, int busy = kOraStillExecuting) {
  int rc;
  while ((rc = call()) == busy) std::this_thread::yield();
  return rc;
}

// The text of a cancelled call: a break that lands inside a PL/SQL block also names the
// block's line, one that lands before the block starts does not.
void ExpectCancelText(const std::string& text) {
  const std::string cancel = "ORA-01013: user requested cancel of current operation";
  EXPECT_TRUE(text == cancel || text == cancel + "\nORA-06512: at line 1") << text;
}

}  // namespace

TEST_F(Sessions, NonBlockingCallsAnswer3123UntilDone) {
  const Api& o = Oci();
  EXPECT_EQ(o.onbtst(conn_.lda()), kOraBlockingMode);
  ASSERT_EQ(o.onbset(conn_.lda()), 0);
  EXPECT_EQ(o.onbtst(conn_.lda()), 0);

  Statement st(conn_), other(conn_);
  ASSERT_EQ(st.Parse("BEGIN DBMS_LOCK.SLEEP(0.3); :x := 'done'; END;"), 0);
  ASSERT_EQ(st.BindText("X", std::nullopt, 10), 0);
  EXPECT_EQ(st.Exec(), kOraStillExecuting);
  EXPECT_EQ(st.cda()->rc, kOraStillExecuting);
  // Anything else on the session meanwhile: no new operation.
  EXPECT_EQ(other.Parse("SELECT 1 FROM DUAL"), kOraOperationInProgress);
  Area third;
  EXPECT_EQ(o.oopen(&third, conn_.lda(), nullptr, -1, -1, nullptr, -1), kOraOperationInProgress);
  EXPECT_EQ(o.ocom(conn_.lda()), kOraOperationInProgress);
  EXPECT_EQ(Poll([&] { return st.Exec(); }), 0);
  EXPECT_EQ(st.OutText(0), "done");
  EXPECT_EQ(st.cda()->rpc, 1u);

  // A fetch: oexfet and ofen too; rows processed as when blocking.
  ASSERT_EQ(other.Parse("SELECT ename FROM emp ORDER BY empno"), 0);
  char names[10][12];
  ub2 lens[10];
  ASSERT_EQ(o.odefin(other.cda(), 1, reinterpret_cast<ub1*>(names), 12, kExtVarchar2, -1, nullptr,
                     nullptr, -1, -1, lens, nullptr),
            0);
  EXPECT_EQ(Poll([&] { return o.oexfet(other.cda(), 10, 0, 0); }), 0);
  EXPECT_EQ(other.cda()->rpc, 10u);
  EXPECT_EQ(std::string(names[0], lens[0]), "SMITH");
  EXPECT_EQ(Poll([&] { return o.ofen(other.cda(), 10); }), kOraNoDataFound);
  EXPECT_EQ(other.cda()->rpc, 14u);
  EXPECT_EQ(Poll([&] { return o.ocom(conn_.lda()); }), 0);

  // An error comes back on the call that collects it, with its text.
  ASSERT_EQ(other.Parse("INSERT INTO dept VALUES (10, 'X', 'Y')"), 0);
  EXPECT_EQ(Poll([&] { return other.Exec(); }), 1);
  EXPECT_EQ(conn_.Message(1), "ORA-00001: unique constraint (DEMO.PK_DEPT) violated");

  // A commit checked once and never repeated does not hold up the session once done: other
  // calls answer 3127 while it runs, and go ahead once it has ended.
  EXPECT_EQ(o.ocom(conn_.lda()), kOraStillExecuting);
  EXPECT_EQ(Poll([&] { return other.Parse("SELECT 1 FROM dual"); }, kOraOperationInProgress), 0);

  ASSERT_EQ(o.onbclr(conn_.lda()), 0);
  EXPECT_EQ(o.onbtst(conn_.lda()), kOraBlockingMode);
  EXPECT_EQ(st.Exec(), 0);  // blocking again
}

TEST_F(Sessions, BreakCancelsTheRunningCall) {
  const Api& o = Oci();
  EXPECT_EQ(o.obreak(conn_.lda()), 0);  // nothing running: nothing happens
  Statement st(conn_);
  EXPECT_EQ(st.Value("SELECT 1 FROM dual"), "1");

  // The statements sleep or count far longer than any test runs: only the break ends them,
  // whenever it lands (before the worker starts the work or during it).
  ASSERT_EQ(o.onbset(conn_.lda()), 0);
  ASSERT_EQ(st.Parse("BEGIN DBMS_LOCK.SLEEP(86400); END;"), 0);
  EXPECT_EQ(st.Exec(), kOraStillExecuting);
  EXPECT_EQ(o.obreak(conn_.lda()), 0);
  EXPECT_EQ(Poll([&] { return st.Exec(); }), kOraCancelled);
  ExpectCancelText(conn_.Message(kOraCancelled));

  // Break, then close without collecting: oclose waits for the worker.
  ASSERT_EQ(st.Parse("BEGIN DBMS_LOCK.SLEEP(86400); END;"), 0);
  EXPECT_EQ(st.Exec(), kOraStillExecuting);
  EXPECT_EQ(o.obreak(conn_.lda()), 0);
  EXPECT_EQ(st.Close(), 0);

  // A long SQL statement is interrupted too.
  Statement q(conn_);
  ASSERT_EQ(q.Parse("SELECT count(*) FROM emp a, emp b, emp c, emp d, emp e, emp f, emp g, "
                    "emp h, emp i, emp j, emp k"),
            0);
  char buf[40];
  ASSERT_EQ(o.odefin(q.cda(), 1, reinterpret_cast<ub1*>(buf), 40, kExtVarchar2, -1, nullptr,
                     nullptr, -1, -1, nullptr, nullptr),
            0);
  EXPECT_EQ(o.oexfet(q.cda(), 1, 0, 0), kOraStillExecuting);
  EXPECT_EQ(o.obreak(conn_.lda()), 0);
  EXPECT_EQ(Poll([&] { return o.oexfet(q.cda(), 1, 0, 0); }), kOraCancelled);
  EXPECT_EQ(conn_.Message(kOraCancelled), "ORA-01013: user requested cancel of current operation");

  // The session is usable afterwards.
  ASSERT_EQ(o.onbclr(conn_.lda()), 0);
  EXPECT_EQ(q.Value("SELECT 2 FROM dual"), "2");
}

TEST_F(Sessions, NonBlockingCanBeRefusedByTheTestControl) {
  const Api& o = Oci();
  ASSERT_EQ(o.control(nullptr, "nonblocking", 0, nullptr), 0);
  EXPECT_EQ(o.onbset(conn_.lda()), kOraNonBlockingUnsupported);
  EXPECT_EQ(o.onbtst(conn_.lda()), kOraBlockingMode);
  ASSERT_EQ(o.control(nullptr, "nonblocking", 1, nullptr), 0);
  EXPECT_EQ(o.onbset(conn_.lda()), 0);
  EXPECT_EQ(o.onbclr(conn_.lda()), 0);
}

TEST_F(Sessions, ReadersNeverBlockAndNowaitAnswers54AtOnce) {
  const Api& o = Oci();
  Connection second;
  ASSERT_EQ(second.Logon("demo/demo@sess"), 0);
  Statement a(conn_), b(second);
  ASSERT_EQ(a.Run("UPDATE emp SET sal = 1234 WHERE empno = 7369"), 0);
  // The other session reads the committed value at once.
  EXPECT_EQ(b.Value("SELECT sal FROM emp WHERE empno = 7369"), "800");
  for (const char* sql : {"SELECT sal FROM emp WHERE empno = 7369 FOR UPDATE NOWAIT",
                          "LOCK TABLE emp IN EXCLUSIVE MODE NOWAIT"}) {
    auto start = std::chrono::steady_clock::now();
    int rc = b.Parse(sql);
    if (rc == 0) rc = b.Exec();
    if (rc == 0) rc = o.oexfet(b.cda(), 1, 0, 0);
    EXPECT_EQ(rc, 54) << sql;
    EXPECT_EQ(second.Message(54), "ORA-00054: resource busy and acquire with NOWAIT specified");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << sql;
  }
  ASSERT_EQ(o.ocom(conn_.lda()), 0);
  EXPECT_EQ(b.Value("SELECT sal FROM emp WHERE empno = 7369"), "1234");
  EXPECT_EQ(b.Run("LOCK TABLE emp IN EXCLUSIVE MODE NOWAIT"), 0) << b.Error();
  EXPECT_EQ(b.Run("UPDATE emp SET sal = 800 WHERE empno = 7369"), 0);
  ASSERT_EQ(o.ocom(second.lda()), 0);
  EXPECT_EQ(a.Value("SELECT sal FROM emp WHERE empno = 7369"), "800");
}

namespace {

// A session on a thread of its own that changes a row and holds the write lock until it is
// told to commit or roll back.
class LockHolder {
 public:
  explicit LockHolder(std::string sql = "UPDATE emp SET sal = 1111 WHERE empno = 7369")
      : sql_(std::move(sql)), thread_([this] { Hold(); }) {
    ready_.get_future().wait();
  }
  ~LockHolder() {
    End(false, {});
    thread_.join();
  }
  // Ends the transaction `after` from now, without waiting for it.
  void End(bool commit, std::chrono::milliseconds after) {
    std::lock_guard lock(mutex_);
    if (order_) return;
    order_ = std::make_pair(commit, after);
    cv_.notify_all();
  }

 private:
  void Hold() {
    Connection c;
    EXPECT_EQ(c.Logon("demo/demo@sess"), 0);
    {
      Statement st(c);
      EXPECT_EQ(st.Run(sql_), 0) << st.Error();
    }
    ready_.set_value();
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return order_.has_value(); });
    auto [commit, after] = *order_;
    lock.unlock();
    std::this_thread::sleep_for(after);
    EXPECT_EQ(commit ? Oci().ocom(c.lda()) : Oci().orol(c.lda()), 0);
  }
  std::string sql_;
  std::promise<void> ready_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::optional<std::pair<bool, std::chrono::milliseconds>> order_;
  std::thread thread_;
};

}  // namespace

TEST_F(Sessions, AWriterWaitsUntilTheOtherCommitsOrRollsBack) {
  Statement st(conn_);
  {
    LockHolder holder;
    auto start = std::chrono::steady_clock::now();
    holder.End(true, std::chrono::milliseconds(6000));
    EXPECT_EQ(st.Run("UPDATE emp SET sal = sal + 1 WHERE empno = 7369"), 0) << st.Error();
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5900));
  }
  EXPECT_EQ(st.Value("SELECT sal FROM emp WHERE empno = 7369"), "1112");
  ASSERT_EQ(Oci().orol(conn_.lda()), 0);
  {
    LockHolder holder("UPDATE emp SET sal = 0");
    holder.End(false, std::chrono::milliseconds(300));
    EXPECT_EQ(st.Run("UPDATE emp SET sal = sal + 1 WHERE empno = 7369"), 0) << st.Error();
  }
  EXPECT_EQ(st.Value("SELECT sal FROM emp WHERE empno = 7369"), "1112");
  ASSERT_EQ(Oci().ocom(conn_.lda()), 0);
  ASSERT_EQ(st.Run("UPDATE emp SET sal = 800 WHERE empno = 7369"), 0);
  ASSERT_EQ(Oci().ocom(conn_.lda()), 0);
}

// Every statement that takes the write lock waits for it, and a break ends the wait at once:
// the Cancel of a non-blocking call, obreak from another thread while a blocking call
// waits, and a kill.
TEST_F(Sessions, ABreakOrAKillEndsALockWaitAtOnce) {
  const Api& o = Oci();
  LockHolder holder;
  Statement st(conn_);
  auto cancelled = [&](const char* sql) {
    auto start = std::chrono::steady_clock::now();
    int rc = Poll([&] { return st.Exec(); });
    EXPECT_EQ(rc, kOraCancelled) << sql;
    ExpectCancelText(conn_.Message(kOraCancelled));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000)) << sql;
  };
  ASSERT_EQ(o.onbset(conn_.lda()), 0);
  for (const char* sql :
       {"UPDATE emp SET sal = sal WHERE empno = 7499", "INSERT INTO bonus VALUES ('X', 'Y', 1, 2)",
        "DELETE FROM bonus", "SELECT sal FROM emp WHERE empno = 7499 FOR UPDATE",
        "LOCK TABLE emp IN EXCLUSIVE MODE",
        "BEGIN UPDATE emp SET sal = sal WHERE empno = 7499; END;", "CREATE TABLE waits (n NUMBER)",
        "GRANT SELECT ON emp TO PUBLIC", "CREATE PROCEDURE waits AS BEGIN NULL; END;",
        "SELECT emp_seq.NEXTVAL FROM dual"}) {
    ASSERT_EQ(st.Parse(sql), 0) << sql << ": " << st.Error();
    EXPECT_EQ(st.Exec(), kOraStillExecuting) << sql;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(st.Exec(), kOraStillExecuting) << sql;  // waiting, not refused
    EXPECT_EQ(o.obreak(conn_.lda()), 0);
    cancelled(sql);
  }
  ASSERT_EQ(o.onbclr(conn_.lda()), 0);

  // A blocking call, broken from another thread.
  ASSERT_EQ(st.Parse("UPDATE emp SET sal = sal WHERE empno = 7499"), 0);
  std::thread breaker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    o.obreak(conn_.lda());
  });
  cancelled("blocking");
  breaker.join();

  // A killed session's wait ends too: the call answers the lost connection.
  Connection victim;
  ASSERT_EQ(victim.Logon("demo/demo@sess"), 0);
  Statement v(victim);
  ASSERT_EQ(v.Parse("UPDATE emp SET sal = sal WHERE empno = 7499"), 0);
  std::thread killer([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    o.control(victim.lda(), "kill", 0, nullptr);
  });
  EXPECT_EQ(v.Exec(), 3113);
  killer.join();
  // Nothing of the broken statements happened.
  holder.End(false, {});
  EXPECT_EQ(st.Value("SELECT count(*) FROM bonus"), "0");
  EXPECT_EQ(st.Run("SELECT * FROM waits"), 942);
}

// Two sessions used from one thread: the thread that waits for the other session's lock is
// the only one that could end it.  The waiter hears ORA-00060 instead of waiting forever;
// a non-blocking waiter leaves its thread free, so it waits.
TEST_F(Sessions, OneThreadWaitingForItsOwnOtherSessionIsADeadlock) {
  const Api& o = Oci();
  Connection second;
  ASSERT_EQ(second.Logon("demo/demo@sess"), 0);
  Statement a(conn_), b(second);
  ASSERT_EQ(a.Run("UPDATE emp SET sal = 1 WHERE empno = 7369"), 0);
  for (const char* sql : {"UPDATE emp SET sal = 2 WHERE empno = 7499",
                          "SELECT sal FROM emp WHERE empno = 7369 FOR UPDATE"}) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(b.Run(sql), 60) << sql;
    EXPECT_EQ(second.Message(60), "ORA-00060: deadlock detected while waiting for resource");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(5000)) << sql;
  }

  ASSERT_EQ(o.onbset(second.lda()), 0);
  ASSERT_EQ(b.Parse("UPDATE emp SET sal = 2 WHERE empno = 7499"), 0);
  EXPECT_EQ(b.Exec(), kOraStillExecuting);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  EXPECT_EQ(b.Exec(), kOraStillExecuting);
  ASSERT_EQ(o.ocom(conn_.lda()), 0);  // the holder ends: the waiter goes on
  EXPECT_EQ(Poll([&] { return b.Exec(); }), 0) << second.Message(b.cda()->rc);
  ASSERT_EQ(o.onbclr(second.lda()), 0);
  ASSERT_EQ(o.ocom(second.lda()), 0);
  EXPECT_EQ(a.Value("SELECT sal FROM emp WHERE empno = 7499"), "2");
  ASSERT_EQ(
      a.Run("UPDATE emp SET sal = decode(empno, 7369, 800, 1600) WHERE empno IN (7369, 7499)"), 0);
  ASSERT_EQ(o.ocom(conn_.lda()), 0);
}

// A logoff commits the session's work, blocking or not, with a fetch standing open.  A
// session that ends without one rolls back: killed (AKilledSessionAnswersLostConnection-
// AndReleasesItsLock) or abandoned by a new logon on its area (test_oci7_data).
TEST_F(Sessions, ALogoffCommitsTheSessionsWork) {
  const Api& o = Oci();
  Statement check(conn_);
  auto loc = [&] { return check.Value("SELECT loc FROM dept WHERE deptno = 40"); };
  {
    Connection c;
    ASSERT_EQ(c.Logon("demo/demo@sess"), 0);
    Statement st(c), open(c);
    ASSERT_EQ(st.Run("UPDATE dept SET loc = 'LOGOFF' WHERE deptno = 40"), 0);
    ASSERT_EQ(open.Parse("SELECT ename FROM emp"), 0);
    ASSERT_EQ(o.oexfet(open.cda(), 1, 0, 0), 0);
    EXPECT_EQ(c.Logoff(), 0);
  }
  EXPECT_EQ(loc(), "LOGOFF");
  {
    Connection c;
    ASSERT_EQ(c.Logon("demo/demo@sess"), 0);
    ASSERT_EQ(o.onbset(c.lda()), 0);
    Statement st(c);
    ASSERT_EQ(st.Parse("BEGIN UPDATE dept SET loc = 'NONBLOCKING' WHERE deptno = 40; END;"), 0);
    EXPECT_EQ(Poll([&] { return st.Exec(); }), 0);
    EXPECT_EQ(c.Logoff(), 0);
  }
  EXPECT_EQ(loc(), "NONBLOCKING");
  ASSERT_EQ(check.Run("UPDATE dept SET loc = 'BOSTON' WHERE deptno = 40"), 0);
  ASSERT_EQ(o.ocom(conn_.lda()), 0);
}

TEST_F(Sessions, TwoSessionsWritingInTurnLoseNothing) {
  Statement setup(conn_);
  ASSERT_EQ(setup.Run("CREATE TABLE counter (who VARCHAR2(1), n NUMBER)"), 0) << setup.Error();
  const int perThread = 40;
  auto writer = [&](const char* who) {
    Connection c;
    if (c.Logon("demo/demo@sess") != 0) return;
    Statement st(c);
    for (int i = 0; i < perThread; ++i) {
      std::string sql =
          std::string("INSERT INTO counter VALUES ('") + who + "', " + std::to_string(i) + ")";
      EXPECT_EQ(st.Run(sql), 0) << st.Error();
      EXPECT_EQ(Oci().ocom(c.lda()), 0);
    }
  };
  std::thread t1(writer, "a"), t2(writer, "b");
  t1.join();
  t2.join();
  EXPECT_EQ(setup.Value("SELECT count(*) FROM counter"), std::to_string(2 * perThread));
  EXPECT_EQ(setup.Value("SELECT count(DISTINCT who || n) FROM counter"),
            std::to_string(2 * perThread));
}

TEST_F(Sessions, AKilledSessionAnswersLostConnectionAndReleasesItsLock) {
  const Api& o = Oci();
  Connection victim;
  ASSERT_EQ(victim.Logon("demo/demo@sess"), 0);
  Statement st(victim);
  ASSERT_EQ(st.Run("UPDATE dept SET loc = 'KILLED' WHERE deptno = 40"), 0);
  ASSERT_EQ(o.control(victim.lda(), "kill", 0, nullptr), 0);
  EXPECT_EQ(st.Run("SELECT 1 FROM dual"), 3113);
  EXPECT_EQ(o.ocom(victim.lda()), 3114);
  EXPECT_EQ(st.Exec(), 3114);
  // Its transaction was rolled back and its lock released.
  Statement mine(conn_);
  EXPECT_EQ(mine.Value("SELECT loc FROM dept WHERE deptno = 40"), "BOSTON");
  EXPECT_EQ(mine.Run("UPDATE dept SET loc = 'BOSTON' WHERE deptno = 40"), 0);
  EXPECT_EQ(o.ocom(conn_.lda()), 0);
}

TEST_F(Sessions, DelayedStatementsGiveTestsASlowCall) {
  const Api& o = Oci();
  // A delay longer than any test: the call goes on answering 3123 until a break ends it.
  ASSERT_EQ(o.control(conn_.lda(), "delay", 86400000, nullptr), 0);
  ASSERT_EQ(o.onbset(conn_.lda()), 0);
  Statement st(conn_);
  ASSERT_EQ(st.Parse("SELECT 1 FROM dual"), 0);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(o.oexfet(st.cda(), 1, 0, 0), kOraStillExecuting);
  EXPECT_EQ(o.obreak(conn_.lda()), 0);
  EXPECT_EQ(Poll([&] { return o.oexfet(st.cda(), 1, 0, 0); }), kOraCancelled);
  ASSERT_EQ(o.control(conn_.lda(), "delay", 0, nullptr), 0);
  ASSERT_EQ(o.onbclr(conn_.lda()), 0);
  EXPECT_EQ(st.Value("SELECT 1 FROM dual"), "1");
}

// A session whose commit fails while it closes: a query drew a sequence number (a
// transaction of its own, committed when the read ends) and is left half-read.
class FailingClose : public Sessions {
 protected:
  void LeaveACommitPending(Connection& c, Statement& q) {
    ASSERT_EQ(q.Parse("SELECT emp_seq.NEXTVAL FROM emp"), 0) << q.Error();
    char buf[40];
    ASSERT_EQ(Oci().odefin(q.cda(), 1, reinterpret_cast<ub1*>(buf), 40, kExtVarchar2, -1, nullptr,
                           nullptr, -1, -1, nullptr, nullptr),
              0);
    ASSERT_EQ(Oci().oexfet(q.cda(), 1, 0, 0), 0) << q.Error();
    ASSERT_EQ(Oci().control(c.lda(), "fail_commit", 1, nullptr), 0);
  }
  // The write lock of a session that ended is free: a writer neither waits nor fails.
  void ExpectTheLockReleased() {
    Statement w(conn_);
    EXPECT_EQ(w.Run("UPDATE dept SET loc = loc WHERE deptno = 40"), 0) << w.Error();
    EXPECT_EQ(Oci().ocom(conn_.lda()), 0);
  }
};

TEST_F(FailingClose, LogoffAnswersTheFailureAndStillEndsTheSession) {
  Connection victim;
  ASSERT_EQ(victim.Logon("demo/demo@sess"), 0);
  {
    Statement q(victim);
    LeaveACommitPending(victim, q);
    EXPECT_EQ(victim.Logoff(), 2091);
    EXPECT_EQ(victim.Message(2091), "ORA-02091: transaction rolled back");
    EXPECT_EQ(q.Exec(), 1001);  // its cursors went with it
  }
  EXPECT_EQ(Oci().ologof(victim.lda()), 1012);
  ExpectTheLockReleased();
}

TEST_F(FailingClose, LogonOverALiveSessionReplacesItWhateverItsCloseAnswers) {
  Connection c;
  ASSERT_EQ(c.Logon("demo/demo@sess"), 0);
  Statement q(c);
  LeaveACommitPending(c, q);
  ASSERT_EQ(c.Logon("demo/demo@sess"), 0);
  Statement fresh(c);
  EXPECT_EQ(fresh.Value("SELECT user FROM dual"), "DEMO");
  ExpectTheLockReleased();
}

TEST_F(FailingClose, AFailingCommitOnTheWorkerIsTheCallsAnswer) {
  const Api& o = Oci();
  Statement st(conn_);
  ASSERT_EQ(st.Run("UPDATE dept SET loc = 'NOWHERE' WHERE deptno = 40"), 0);
  ASSERT_EQ(o.control(conn_.lda(), "fail_commit", 1, nullptr), 0);
  ASSERT_EQ(o.onbset(conn_.lda()), 0);
  EXPECT_EQ(Poll([&] { return o.ocom(conn_.lda()); }), 2091);
  EXPECT_EQ(conn_.Message(2091), "ORA-02091: transaction rolled back");
  ASSERT_EQ(o.onbclr(conn_.lda()), 0);
  ASSERT_EQ(o.control(conn_.lda(), "fail_commit", 0, nullptr), 0);
  EXPECT_EQ(st.Value("SELECT loc FROM dept WHERE deptno = 40"), "BOSTON");
}
