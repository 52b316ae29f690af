// tessdb: makes, drops and lists the databases of the embedded engine.
//   tessdb create NAME   a new database with the accounts SYSTEM/MANAGER and DEMO/DEMO and
//                        the demo schema
//   tessdb drop NAME     removes the database's files
//   tessdb list          the databases of the data directory, one name a line
//   tessdb install-extras NAME
//                        the program's optional install scripts: the argument view
//                        SYS.DUDEDOD_ARGUMENT$ and the public synonym of the check-in log
// The data directory is $TESS_DATA when set, else the `data` folder beside this program.
#include <cstdio>
#include <exception>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "oci7/dictionary.h"
#include "oci7/engine.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tessdb create NAME | tessdb drop NAME | tessdb list | tessdb "
               "install-extras NAME\n"
               "  databases live in %s\n",
               tess::oci7::DataDirectory().c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace tess::oci7;
#ifdef _WIN32
  // Plain line feeds, so that scripts reading the list (./run) match whole lines.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  if (argc < 2) return Usage();
  std::string command = argv[1];
  try {
    if (command == "list" && argc == 2) {
      for (const std::string& name : ListDatabases()) std::printf("%s\n", name.c_str());
      return 0;
    }
    if (command == "create" && argc == 3) {
      CreateDatabase(argv[2]);
      std::printf("created database %s in %s\n", argv[2], DataDirectory().c_str());
      return 0;
    }
    if (command == "install-extras" && argc == 3) {
      InstallExtras(argv[2]);
      std::printf("installed the extras into database %s\n", argv[2]);
      return 0;
    }
    if (command == "drop" && argc == 3) {
      DropDatabase(argv[2]);
      std::printf("dropped database %s\n", argv[2]);
      return 0;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tessdb: %s\n", e.what());
    return 1;
  }
  return Usage();
}
