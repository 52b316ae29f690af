// The automation objects of the in-process server, seen from its entry points.  Handles
// are opaque here; the objects themselves are IDispatch implementations with hand-made
// dispatch tables (no type library).
#pragma once

namespace tess::olesrv {

// A new session object (its IDispatch, one reference held by the caller).
void* NewSessionObject();

// Objects alive in this module; the module may unload when none is and no lock is held.
long LiveObjects();

}  // namespace tess::olesrv
