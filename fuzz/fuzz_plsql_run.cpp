// The PL/SQL interpreter over any script, on an in-memory SQLite host with the demo's
// tables: CREATE statements store their units, blocks run, SQL goes to the host.  A step
// budget (the host's cancel check, made at every statement) ends endless loops as a
// cancelled call (ORA-01013), so every input finishes.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "oci7/plsql/front.h"
#include "oci7/plsql/runtime.h"
#include "tests/oci7/plsql/plsql_test_host.h"

using namespace tess::oci7;
using namespace tess::oci7::plsql;

namespace {

constexpr int kStepBudget = 20000;

class BudgetHost : public testing::TestHost {
 public:
  void CheckCancel() override {
    if (++steps_ > kStepBudget) throw EngineError(1013);
  }

 private:
  int steps_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view script(reinterpret_cast<const char*>(data), size);
  BudgetHost host;
  try {
    host.Sql("CREATE TABLE DEPT (DEPTNO NUMBER(2) PRIMARY KEY, DNAME VARCHAR2(14))");
    host.Sql("CREATE TABLE EMP (EMPNO NUMBER(4) PRIMARY KEY, ENAME VARCHAR2(10), "
             "SAL NUMBER(7,2), HIREDATE DATE, DEPTNO NUMBER(2))");
    host.Sql("INSERT INTO DEPT VALUES (10, 'ACCOUNTING')");
    host.Sql("INSERT INTO EMP VALUES (7369, 'SMITH', 800, TO_DATE('17-12-1980', 'DD-MM-YYYY'), 10)");
  } catch (const std::exception&) {
    std::abort();  // the fixture itself must work
  }
  Runtime runtime;
  int statements = 0;
  for (const ScriptStatement& s : SplitScript(script)) {
    if (++statements > 32) break;
    switch (s.kind) {
      case ScriptStatement::Plsql:
        if (ReadUnitHeader(s.text)) {
          host.Create(s.text);
        } else {
          host.Run(runtime, s.text);
        }
        break;
      case ScriptStatement::Sql:
        try {
          host.Sql(s.text);
        } catch (const OraError&) {
        } catch (const std::runtime_error&) {  // SQLite refused the translation
        }
        break;
      case ScriptStatement::Command:
        break;
    }
  }
  return 0;
}
