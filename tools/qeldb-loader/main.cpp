// qeldb-loader: the component loader's server. A program using qeldbio starts it with one end of
// a socket as a descriptor and it serves that program alone, ending when the program closes it.
#include <cstdio>
#include <cstring>
#include <string>

#include "loader_server.h"

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--serve-fd") == 0) {
    const std::string text = argv[2];
    if (!text.empty() && text.size() <= 4 &&
        text.find_first_not_of("0123456789") == std::string::npos) {
      qel::MessageChannel channel(std::stoi(text));
      return qel::loader::Serve(channel);
    }
  }
  std::fprintf(stderr,
               "usage: qeldb-loader --serve-fd FD\n"
               "The component loader's server, started by programs that use qeldbio.\n");
  return 2;
}
