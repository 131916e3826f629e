#include "framework/command_line_info.h"

namespace fw {
namespace {

std::string Unquoted(const std::string& argument) {
  if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
    return argument.substr(1, argument.size() - 2);
  }
  return argument;
}

// "/" also starts every absolute path, so after "/" only the known names are switches;
// after "-" anything is, and the unknown ones are ignored.
bool IsSwitchName(const std::string& name) {
  for (const char* known : {"pt", "p", "Unregister", "dde", "Embedding", "Automation"}) {
    if (name == known) return true;
  }
  return false;
}

void ParseSwitch(const std::string& name, CCommandLineInfo& info) {
  if (name == "pt") {
    info.m_nShellCommand = CCommandLineInfo::FilePrintTo;
  } else if (name == "p") {
    info.m_nShellCommand = CCommandLineInfo::FilePrint;
  } else if (name == "Unregister") {
    info.m_nShellCommand = CCommandLineInfo::AppUnregister;
  } else if (name == "dde") {
    info.m_nShellCommand = CCommandLineInfo::FileDDE;
  } else if (name == "Embedding") {
    info.m_bRunEmbedded = true;
  } else if (name == "Automation") {
    info.m_bRunAutomated = true;
  }
}

void ParseName(std::string name, CCommandLineInfo& info) {
  if (info.m_strFileName.empty()) {
    info.m_strFileName = std::move(name);
    return;
  }
  if (info.m_nShellCommand == CCommandLineInfo::FilePrintTo) {
    for (std::string* field : {&info.m_strPrinterName, &info.m_strDriverName, &info.m_strPortName}) {
      if (field->empty()) {
        *field = std::move(name);
        return;
      }
    }
    return;  // beyond the port name: ignored
  }
  info.m_otherFileNames.push_back(std::move(name));
}

}  // namespace

CCommandLineInfo ParseCommandLine(const std::vector<std::string>& arguments) {
  CCommandLineInfo info;
  for (const std::string& argument : arguments) {
    if (argument.empty()) continue;
    if (argument.front() == '-' || (argument.front() == '/' && IsSwitchName(argument.substr(1)))) {
      ParseSwitch(argument.substr(1), info);
      continue;
    }
    ParseName(Unquoted(argument), info);
  }
  if (info.m_nShellCommand == CCommandLineInfo::FileNew && !info.m_strFileName.empty()) {
    info.m_nShellCommand = CCommandLineInfo::FileOpen;
  }
  return info;
}

}  // namespace fw
