#include "oci7/atomic_call.h"

#include <sqlite3.h>

namespace tess::oci7 {

AtomicCall::AtomicCall(Session& s)
    : session_(s), ends_(s.transactionEnds()), savepoints_(s.savepointsSet) {
  ++session_.atomicDepth;
  if (session_.InTransaction()) {
    std::string name = "TESS$CALL" + std::to_string(session_.atomicDepth);
    std::string sql = "SAVEPOINT \"" + name + "\"";
    ExecSql(session_.db(), sql.c_str());
    savepoint_ = std::move(name);
  }
}

AtomicCall::~AtomicCall() {
  if (!done_) Undo();
  --session_.atomicDepth;
}

void AtomicCall::Commit() {
  done_ = true;
  // The savepoint goes with a transaction that ended during the call.  Releasing it would
  // release the user's savepoints set after it too: then it stays until the transaction
  // ends.
  if (savepoint_.empty() || session_.transactionEnds() != ends_ || !session_.InTransaction() ||
      session_.savepointsSet != savepoints_)
    return;
  std::string sql = "RELEASE \"" + savepoint_ + "\"";
  sqlite3_exec(session_.db(), sql.c_str(), nullptr, nullptr, nullptr);
}

void AtomicCall::Undo() noexcept {
  done_ = true;
  try {
    if (!session_.db() || !session_.InTransaction()) return;
    if (!savepoint_.empty() && session_.transactionEnds() == ends_) {
      session_.RollbackToSavepoint(savepoint_);
      std::string sql = "RELEASE \"" + savepoint_ + "\"";
      sqlite3_exec(session_.db(), sql.c_str(), nullptr, nullptr, nullptr);
      return;
    }
    // Everything open now was begun by this call.
    session_.Rollback();
  } catch (...) {
    // The call's own error is what the caller hears; a session that can no longer
    // roll back reports that on its next call.
  }
}

}  // namespace tess::oci7
