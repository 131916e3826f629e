// tolvanectl: the running Tolvane's active list for scripts.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "platform/instance_client.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "Usage: tolvanectl [--null] COMMAND [ARGUMENT]\n"
    "Works on the active list of the Tolvane that runs for this user.\n"
    "\n"
    "  list        every item as \"N<TAB>text\", line breaks shown as \\n, \\r and\n"
    "              backslashes as \\\\; with --null the raw items, each ended by a zero byte\n"
    "  read N      item N's exact bytes\n"
    "  copy N      puts item N on the clipboard\n"
    "  add         adds standard input as a captured text (at most 64 MiB)\n"
    "  count       the number of items\n"
    "  open FILE   opens a list file in the running program\n"
    "  watch       prints each text as it reaches the head of the list, until interrupted\n"
    "\n"
    "Items count from 0 at the head. Exit status: 0 done, 1 failed (no program running,\n"
    "no such item, no active list), 2 wrong usage.\n";

int Usage(const char* problem) {
  std::cerr << "tolvanectl: " << problem << "\nTry 'tolvanectl --help'.\n";
  return kExitUsage;
}

bool WriteAll(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// One item on one line: the characters that would break the line up are escaped.
std::string EscapedLine(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '\n': line += "\\n"; break;
      case '\r': line += "\\r"; break;
      case '\\': line += "\\\\"; break;
      default: line.push_back(c);
    }
  }
  return line;
}

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path.front() == '/') return path;
  std::vector<char> buffer(4096);
  while (!::getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return {};
    buffer.resize(buffer.size() * 2);
  }
  return std::string(buffer.data()) + '/' + path;
}

int Failed(const std::string& message) {
  std::cerr << "tolvanectl: " << message << '\n';
  return kExitFailure;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool nullSeparated = false;
  std::vector<std::string> words;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kExitOk;
    }
    if (arg == "--version") {
      std::cout << "tolvanectl " TOLVANE_VERSION "\n";
      return kExitOk;
    }
    if (arg == "--null" || arg == "-0") {
      nullSeparated = true;
    } else if (arg.size() > 1 && arg.front() == '-' && words.empty()) {
      return Usage(("unknown option " + arg).c_str());
    } else {
      words.push_back(arg);
    }
  }
  if (words.empty()) return Usage("no command given");
  const std::string command = words.front();
  const std::vector<std::string> rest(words.begin() + 1, words.end());
  const bool takesOne = command == "read" || command == "copy" || command == "open";
  const bool takesNone = command == "list" || command == "add" || command == "count" ||
                         command == "watch";
  if (!takesOne && !takesNone) return Usage(("unknown command " + command).c_str());
  if (rest.size() != (takesOne ? 1u : 0u)) {
    return Usage(takesOne ? "this command takes one argument" : "this command takes no argument");
  }

  platform::InstanceRequest request{command, rest};
  if (command == "add") {
    std::string text((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    if (text.size() > platform::kMaxAddTextSize) {
      return Failed("the text is too large (at most 64 MiB, 67108864 bytes)");
    }
    request.arguments.push_back(std::move(text));
  } else if (command == "open") {
    request.arguments = {AbsolutePath(rest.front())};
    // The running program would only say so in a message box.
    if (::access(request.arguments.front().c_str(), R_OK) != 0) {
      return Failed("cannot read " + rest.front());
    }
  }

  // A reader that leaves (watch | head -1) ends this program quietly.
  std::signal(SIGPIPE, SIG_DFL);
  const std::string socketPath = platform::ClientSocketPath();
  if (const std::string problem = platform::UnsafeSocketReason(socketPath); !problem.empty()) {
    return Failed("refusing to talk through an unsafe socket: " + problem);
  }
  platform::InstanceConnection connection;
  if (!connection.Connect(socketPath)) return Failed("Tolvane is not running");
  if (!connection.Send(request)) {
    // The program may have refused the connection before reading the request.
    const auto refusal = connection.Receive();
    if (refusal && refusal->status != platform::AnswerStatus::Ok) return Failed(refusal->payload);
    return Failed("the request could not be sent");
  }

  if (command == "watch") {
    while (const auto answer = connection.Receive()) {
      if (answer->status != platform::AnswerStatus::Ok) return Failed(answer->payload);
      std::string out = nullSeparated ? answer->payload : EscapedLine(answer->payload);
      out.push_back(nullSeparated ? '\0' : '\n');
      if (!WriteAll(out)) return kExitFailure;
    }
    return Failed("Tolvane ended");
  }

  const auto answer = connection.Receive();
  if (!answer) {
    return Failed(command == "add" ? "the text was refused (not UTF-8, or it holds a zero byte)"
                                   : "the request was refused");
  }
  if (answer->status == platform::AnswerStatus::Refused) return Usage(answer->payload.c_str());
  if (answer->status != platform::AnswerStatus::Ok) return Failed(answer->payload);

  if (command == "count") return WriteAll(answer->payload + '\n') ? kExitOk : kExitFailure;
  if (command == "read") return WriteAll(answer->payload) ? kExitOk : kExitFailure;
  if (command == "list") {
    if (nullSeparated) return WriteAll(answer->payload) ? kExitOk : kExitFailure;
    std::string out;
    std::size_t start = 0;
    for (int n = 0; start < answer->payload.size(); ++n) {
      const std::size_t end = answer->payload.find('\0', start);
      out += std::to_string(n) + '\t' +
             EscapedLine(std::string_view(answer->payload).substr(start, end - start)) + '\n';
      start = end == std::string::npos ? answer->payload.size() : end + 1;
    }
    return WriteAll(out) ? kExitOk : kExitFailure;
  }
  return kExitOk;
}
