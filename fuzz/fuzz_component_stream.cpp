// The component stream reader over any bytes: the text dump and the reading of a
// component tree (with references to fix up) must end in a tree or the filer's error
// (EReadError, EClassNotFound), and leave nothing behind (the leak checker runs at exit).
// It reads every class the portable build registers: the stream test's components,
// among them containers placed in parents as controls are.  The Win32 controls cannot
// be linked into this native target; their own stream tests run under Wine.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "framework/core/classes.h"
#include "tests/framework/core/filer_widgets.h"

using namespace tess;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = (filer_test::RegisterWidgets(), true);
  (void)registered;
  TMemoryStream in;
  in.WriteBuffer(data, static_cast<int64_t>(size));

  in.SetPosition(0);
  try {
    ObjectBinaryToText(&in);
  } catch (const EFilerError&) {
  }

  in.SetPosition(0);
  try {
    std::unique_ptr<TComponent> root(ReadComponent(&in, nullptr));
  } catch (const EFilerError&) {
  }

  // Into an existing root, as a form reads its own resource.
  in.SetPosition(0);
  try {
    filer_test::TWidget root(nullptr);
    ReadComponent(&in, &root);
  } catch (const EFilerError&) {
  }
  in.SetPosition(0);
  try {
    filer_test::TContainer root(nullptr);
    ReadComponent(&in, &root);
  } catch (const EFilerError&) {
  }
  return 0;
}
