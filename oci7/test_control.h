// The test control of the client library's test build (ora73 built with test_control.cpp
// into the test folder): one more export beside the 22 entry points, never bound by the
// program and absent from the shipping library.
#pragma once

#include "oci7/oci7.h"

extern "C" {

// Commands (value or text in brackets):
//   "kill"             the session of lda is killed: its next call answers 3113, later 3114
//   "nonblocking"      onbset answers 3126 from now on when value is 0, works again when 1
//   "delay"            every execute and fetch of the session first waits value
//                      milliseconds (a break ends the wait)
//   "fail_commit"      every commit of the session fails with ORA-02091 while value is 1
//   "async_parse"      while value is 1, oparse on the session in non-blocking mode runs
//                      in the background like oexn: it answers 3123 until it is called
//                      again after the parse ended, and other calls meanwhile answer 3127
//   "async_parses_answered"  answers how many parses of the session answered 3123 so far
//   "data_dir"         (text, lda may be null) the folder of the database files
//   "home_dir"         (text, lda may be null) the program's home folder (data is home/data)
//   "create_database", "drop_database", "install_extras"   (text) as tessdb does them
// Answers 0 (or the count asked for), or an Oracle code when the session or command is
// unknown.
TESS_OCI_EXPORT sword tess_oci7_control(LdaDef* lda, const char* command, sb4 value,
                                        const char* textValue);

}  // extern "C"
