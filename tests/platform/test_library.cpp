// A library with two C exports, loaded by name in the platform tests.
#ifdef _WIN32
#define TESS_EXPORT extern "C" __declspec(dllexport)
#else
#define TESS_EXPORT extern "C" __attribute__((visibility("default")))
#endif

TESS_EXPORT int tess_test_add(int a, int b) { return a + b; }
TESS_EXPORT const char* tess_test_name() { return "tesstestlib"; }
