// qeldb: the command-line face of qeldbio.
#include <cstdio>
#include <vector>

#include "command.h"
#include "platform/messages.h"
#include "progress_bar.h"

namespace qeldb {
namespace {

std::vector<CommandSetup>& Registry() {
  static std::vector<CommandSetup> commands;
  return commands;
}

int g_exitCode = 0;

}  // namespace

bool RegisterCommand(CommandSetup setup) {
  Registry().push_back(std::move(setup));
  return true;
}

void SetExitCode(int code) { g_exitCode = code; }
int ExitCode() { return g_exitCode; }

void Fail(int code, const std::string& message) {
  std::fprintf(stderr, "qeldb: %s\n", message.c_str());
  SetExitCode(code);
}

}  // namespace qeldb

int main(int argc, char** argv) {
  // The library's message boxes become lines on stderr.
  qel::SetMessageSink([](const char* text, const char* caption, UINT) {
    if (caption && *caption)
      std::fprintf(stderr, "%s: %s\n", caption, text);
    else
      std::fprintf(stderr, "%s\n", text);
    return IDOK;
  });

  CLI::App app{"qeldb: inspect, upgrade, pack and restore structural models"};
  app.set_version_flag("--version", "qeldb 0.1.0");
  app.require_subcommand(1);
  qeldb::InstallProgressBar();
  for (auto& setup : qeldb::Registry()) setup(app);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return qeldb::ExitCode();
}
