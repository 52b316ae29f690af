// Loading libraries by their Windows name, and the re-entrant critical section.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/critsec.h"
#include "platform/dynlib.h"

using namespace tess::platform;

TEST(DynamicLibrary, NameMapping) {
#ifdef _WIN32
  EXPECT_EQ(NativeLibraryName("ora73.dll"), "ora73.dll");
#else
  EXPECT_EQ(NativeLibraryName("ora73.dll"), "libora73.so");
  EXPECT_EQ(NativeLibraryName("ORA72.DLL"), "libORA72.so");
  EXPECT_EQ(NativeLibraryName("/opt/x/ora803.dll"), "/opt/x/libora803.so");
  EXPECT_EQ(NativeLibraryName("libfoo.so.1"), "libfoo.so.1");
#endif
}

TEST(DynamicLibrary, LoadsOurLibraryByWindowsNameAndCallsIt) {
  LibraryHandle lib = OpenLibrary("tesstestlib.dll");
  ASSERT_NE(lib, nullptr) << LastLibraryError();
  using AddFn = int (*)(int, int);
  auto add = reinterpret_cast<AddFn>(LibrarySymbol(lib, "tess_test_add"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(40, 2), 42);
  EXPECT_EQ(LibrarySymbol(lib, "no_such_export"), nullptr);
  EXPECT_EQ(LibrarySymbol(nullptr, "tess_test_add"), nullptr);

  // A second load is counted; the first close leaves the library usable.
  LibraryHandle again = OpenLibrary("tesstestlib.dll");
  ASSERT_NE(again, nullptr);
  CloseLibrary(again);
  EXPECT_EQ(add(1, 2), 3);
  CloseLibrary(lib);
  CloseLibrary(nullptr);
}

TEST(DynamicLibrary, MissingLibraryFailsWithAReason) {
  EXPECT_EQ(OpenLibrary("no_such_library_xyz.dll"), nullptr);
  EXPECT_FALSE(LastLibraryError().empty());
}

TEST(DynamicLibrary, ExecutableDirectoryEndsWithSeparator) {
  std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(dir.back() == '/' || dir.back() == '\\');
}

TEST(CriticalSection, ReentrantForItsOwnerExclusiveForOthers) {
  CriticalSection cs;
  cs.Enter();
  cs.Enter();  // the owner may enter again
  std::atomic<bool> otherGotIn{false};
  std::thread t([&] {
    if (cs.TryEnter()) {
      otherGotIn = true;
      cs.Leave();
    }
  });
  t.join();
  EXPECT_FALSE(otherGotIn);
  cs.Leave();
  cs.Leave();
  std::thread t2([&] {
    if (cs.TryEnter()) {
      otherGotIn = true;
      cs.Leave();
    }
  });
  t2.join();
  EXPECT_TRUE(otherGotIn);
}

TEST(CriticalSection, GuardSerialisesCounters) {
  CriticalSection cs;
  long counter = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 20000; ++i) {
        CriticalSectionGuard g(cs);
        CriticalSectionGuard nested(cs);
        ++counter;
      }
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(counter, 80000);
}
