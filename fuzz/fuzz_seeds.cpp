// Writes the seed inputs that come from the program itself rather than from files: the
// demo schema's statements (whole and one by one) for the text readers, and component
// streams as the filer's tests write them for the stream reader.
//   fuzz_seeds FOLDER   -> FOLDER/demo/..., FOLDER/streams/...
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "framework/core/classes.h"
#include "oci7/engine.h"
#include "tests/framework/core/filer_widgets.h"

namespace {

void Write(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string StreamOf(tess::TComponent* root) {
  tess::TMemoryStream ms;
  tess::WriteComponent(&ms, root);
  return std::string(static_cast<const char*>(ms.Memory()), static_cast<size_t>(ms.Size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds FOLDER\n");
    return 2;
  }
  const std::filesystem::path out = argv[1];

  const std::string_view script = tess::oci7::kDemoSchemaScript;
  Write(out / "demo" / "schema.sql", script);
  size_t start = 0, n = 0;
  while (start < script.size()) {
    size_t end = script.find("\n/\n", start);
    if (end == std::string_view::npos) end = script.size();
    Write(out / "demo" / ("statement-" + std::to_string(++n) + ".sql"),
          script.substr(start, end - start));
    start = end + 3;
  }

  tess::filer_test::RegisterWidgets();
  auto tree = tess::filer_test::MakeTree();
  Write(out / "streams" / "tree.bin", StreamOf(tree.get()));
  auto tree_of_containers = tess::filer_test::MakeContainers();
  tess::filer_test::TWidget plain(nullptr);
  plain.SetName("Plain");
  Write(out / "streams" / "plain.bin", StreamOf(&plain));
  // Containers in containers, and the same with the innermost named like the outermost.
  std::string nested = StreamOf(tree_of_containers.get());
  Write(out / "streams" / "nested.bin", nested);
  nested[nested.rfind("P3") + 1] = '1';
  Write(out / "streams" / "nested-loop.bin", nested);
  return 0;
}
