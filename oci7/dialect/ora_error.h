// The one error type of the client library: an Oracle error code with the server's full
// message text ("ORA-nnnnn: text") and, for parse errors, the byte offset into the text the
// caller gave (-1 when the error has no position).  Both halves of the library throw it;
// every entry point catches it and turns it into a return code.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace tess::oci7 {

struct OraError : std::exception {
  int code = 0;
  std::string message;  // "ORA-00942: table or view does not exist"
  int offset = -1;      // byte offset into the caller's original text, or -1

  OraError() = default;
  OraError(int code, std::string message, int offset = -1)
      : code(code), message(std::move(message)), offset(offset) {}
  const char* what() const noexcept override { return message.c_str(); }
};

// One table holds Oracle's text for every code the library raises, the dialect's and the
// engine's alike.

// Oracle's text for a code, without the "ORA-nnnnn: " prefix; nullptr when unknown.
// Texts with a parameter carry "%s" where it goes (ORA-00001 unique constraint (%s) violated).
const char* OraMessageText(int code);

// The full message "ORA-nnnnn: text" for a code, with `arg` put in place of "%s".
// Unknown codes give Oracle's own "Message nnnnn not found" wording.
std::string OraMessage(int code, std::string_view arg = {});

// An OraError for a code with Oracle's wording, `arg` in place of "%s", and the offset
// into the caller's text when the error has a position.
OraError EngineError(int code, std::string_view arg = {}, int offset = -1);
// An offset given where the argument goes is a mistake the compiler reports.
OraError EngineError(int code, int offset) = delete;

// Functions registered into SQLite report their failures as SQLite error messages
// that start with "ORA-nnnnn: "; this reads such a message back into an OraError
// (offset -1).  nullopt for any other message.
std::optional<OraError> OraErrorFromMessage(std::string_view message);

}  // namespace tess::oci7
