// The leak checker of this toolchain crashes at exit while it walks the dynamic
// thread-local storage of a library loaded at run time, which the client library is.
// Thread-local roots are therefore left out of its scan; every other root stays in.
extern "C" const char* __lsan_default_options() {
  return "use_tls=0";
}
