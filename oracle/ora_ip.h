// The second engine of the session and query objects (engine 0): Oracle's OLE in-process
// server, reached through the process-wide holder gOraIp.
//
// This build has no OLE engine.  The holder exists so that the engine byte keeps its
// meaning, but it cannot initialise, and every engine-0 operation of TyDatabase, TyQuery
// and TyField raises EyIntError with kOleEngineNotImplemented.  The program's own sessions
// all use engine 1, the call interface.
#pragma once

#include "framework/core/component.h"

namespace tess {

extern const char* const kOleEngineNotImplemented;

class TyOraIp : public TObject {
 public:
  // Creates the OLE session object ("OracleInProcServer.XOraSession"); raises EyIntError
  // "Unable to initialize Oracle connectivity engine" when it cannot, as here always.
  void Initialize();
  // Whether the OLE session object exists.
  bool Initialized() const { return false; }
};

// Created by the main window's start-up when the program offers the OLE engine; null
// otherwise.
extern TyOraIp* gOraIp;

[[noreturn]] void RaiseOleEngineNotImplemented();

}  // namespace tess
