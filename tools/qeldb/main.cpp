// qeldb: the command-line face of qeldbio.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "command.h"
#include "platform/carchive.h"
#include "platform/messages.h"
#include "progress_bar.h"

namespace qeldb {
std::vector<CommandSetup>& Registry();
}  // namespace qeldb

namespace {

constexpr const char* kExitCodes =
    "Exit codes:\n"
    "  0  done\n"
    "  1  the operation failed\n"
    "  2  usage error, input missing or unreadable, or a refusal that --force overrides\n"
    "  3  done, but the input looks damaged (each finding printed as \"qeldb: warning: ...\")\n";

// The first word that is not an option names the command (the top level takes flags only). An
// unknown one is reported with the list of commands, instead of CLI11's "not expected".
bool KnownCommand(const CLI::App& app, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.empty() || word[0] == '-') continue;
    std::string names;
    for (const CLI::App* sub : app.get_subcommands({})) {
      if (sub->check_name(word)) return true;
      names += (names.empty() ? "" : ", ") + sub->get_name();
    }
    std::fprintf(stderr, "qeldb: %s is not a command; the commands are %s (see qeldb --help)\n",
                 word.c_str(), names.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The library's message boxes become lines on stderr.
  qel::SetMessageSink([](const char* text, const char* caption, UINT) {
    if (caption && *caption)
      std::fprintf(stderr, "%s: %s\n", caption, text);
    else
      std::fprintf(stderr, "%s\n", text);
    return IDOK;
  });

  CLI::App app{
      "qeldb: look into a structural model's files -- its record files, master data file, "
      "grid systems, stories, members and other tables -- draw its plan, create or rewrite its "
      "master data file, upgrade its tables, generate a synthetic building, and pack, list and "
      "restore model archives"};
  app.set_version_flag("--version", "qeldb 0.1.0");
  app.footer(kExitCodes);
  app.require_subcommand(1);
  qeldb::InstallProgressBar();
  // Options the sub-command does not know (--quiet after the command) go to the top level.
  app.fallthrough();
  bool quiet = false;
  app.add_flag("-q,--quiet", quiet, "hide warnings and notes (the exit code still tells)")
      ->each([](const std::string&) { qeldb::SetQuiet(true); });
  for (auto& setup : qeldb::Registry()) setup(app);

  if (!KnownCommand(app, argc, argv)) return qeldb::kExitUsage;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // CLI11's own codes (105 and up) become the one code for usage errors; --help and --version
    // stay 0.
    return app.exit(e) == 0 ? qeldb::kExitOk : qeldb::kExitUsage;
  } catch (const CFileException& e) {
    qeldb::Fail(qeldb::kExitFailed, e.GetErrorMessage().str());
  } catch (const CArchiveException& e) {
    qeldb::Fail(qeldb::kExitFailed, e.GetErrorMessage().str());
  } catch (const std::exception& e) {
    qeldb::Fail(qeldb::kExitFailed, e.what());
  }
  return qeldb::ExitCode();
}
