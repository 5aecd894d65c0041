#include "cli/cli_options.h"

namespace kelmora {
namespace {

bool ParseMode(const std::string& text, CreationMode& mode) {
  if (text == "all") {
    mode = CreationMode::kAll;
  } else if (text == "first-page") {
    mode = CreationMode::kFirstPage;
  } else if (text == "pages") {
    mode = CreationMode::kPagesOnly;
  } else {
    return false;
  }
  return true;
}

bool ParseThreads(const std::string& text, int& threads) {
  if (text.empty() || text.size() > 2) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 64) return false;
  threads = value;
  return true;
}

CliOptions UsageError(std::string error) {
  CliOptions options;
  options.action = CliOptions::Action::kUsageError;
  options.error = std::move(error);
  return options;
}

}  // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  bool options_ended = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    // Only "--" options belong to kelmora-cli; "-help", "-?" and "/?" are the program's own
    // help requests and reach the parameters.
    if (options_ended || arg.size() < 3 || arg.compare(0, 2, "--") != 0) {
      if (arg == "--") {
        options_ended = true;
        continue;
      }
      options.params.push_back(arg);
      continue;
    }
    std::string name = arg;
    std::string value;
    bool has_value = false;
    if (const size_t equals = arg.find('='); equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      has_value = true;
    }
    if (name == "--help") {
      options.action = CliOptions::Action::kHelp;
      return options;
    } else if (name == "--version") {
      options.action = CliOptions::Action::kVersion;
      return options;
    } else if (name == "--quiet") {
      options.quiet = true;
    } else if (name == "--update" && !has_value) {
      options.update = true;
    } else if (name == "--prune" && !has_value) {
      options.prune = true;
    } else if (name == "--threads") {
      if (!has_value) {
        if (i + 1 >= args.size()) return UsageError("--threads needs a number from 1 to 64");
        value = args[++i];
      }
      if (!ParseThreads(value, options.threads)) {
        return UsageError("--threads needs a number from 1 to 64, not \"" + value + "\"");
      }
    } else if (name == "--mode") {
      if (!has_value) {
        if (i + 1 >= args.size())
          return UsageError("--mode needs a value: all, first-page or pages");
        value = args[++i];
      }
      if (!ParseMode(value, options.mode)) {
        return UsageError("unknown mode \"" + value + "\" (use all, first-page or pages)");
      }
    } else if (name == "--exif") {
      options.action = CliOptions::Action::kExif;
      if (has_value) options.files.push_back(value);
      options.files.insert(options.files.end(), args.begin() + static_cast<long>(i) + 1,
                           args.end());
      if (options.files.empty()) return UsageError("--exif needs at least one file");
      return options;
    } else {
      return UsageError("unknown option \"" + arg + "\"");
    }
  }
  return options;
}

std::string CliUsage(std::string_view program) {
  const std::string name(program);
  return "Usage: " + name + " [options] SETTINGS.km2 [INPUT [OUTPUT]]\n" + "       " + name +
         " --exif FILE...\n"
         "\n"
         "Builds the gallery that the settings file describes. INPUT and OUTPUT replace its\n"
         "input and output folders; a missing output folder is created.\n"
         "\n"
         "Options:\n"
         "  --mode all|first-page|pages  all images (default), the images of the first\n"
         "                               thumbnail page only, or the pages only\n"
         "  --quiet                      no progress output\n"
         "  --update                     only redo what changed: pictures whose outputs were\n"
         "                               made from the same file with the same settings are\n"
         "                               not made again, unchanged pages not rewritten\n"
         "  --prune                      delete the files of earlier runs that this gallery\n"
         "                               no longer makes (pictures removed from the input)\n"
         "  --threads N                  pictures worked on at once (default: one per core)\n"
         "  --exif FILE...               show the metadata Kelmora reads from image files\n"
         "  --version                    show the version\n"
         "  --help                       show this text\n"
         "\n"
         "Exit status: 0 for a complete gallery, 1 when the run failed or was cancelled\n"
         "(Ctrl-C stops before the next image) or when an --exif file cannot be read, 2 for\n"
         "a usage error.\n";
}

}  // namespace kelmora
