#pragma once

#include <string>
#include <vector>

namespace fw {

// What the command line asks for. A switch is an argument that starts with "-" or "/";
// the rest of it must match one of the names below exactly, letter case included.
struct CCommandLineInfo {
  enum Command { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppUnregister };

  Command m_nShellCommand = FileNew;
  bool m_bRunEmbedded = false;   // "Embedding"
  bool m_bRunAutomated = false;  // "Automation"
  // The first argument that is not a switch.
  std::string m_strFileName;
  // After "pt": the next three arguments that are not switches.
  std::string m_strPrinterName;
  std::string m_strDriverName;
  std::string m_strPortName;
  // Further arguments that are not switches (a desktop that hands several files).
  std::vector<std::string> m_otherFileNames;
};

// Parses the arguments after the program's name. "/" followed by anything but a switch
// name is an absolute path, not a switch. A name enclosed in one pair of double
// quotes loses them (launchers that quote a path themselves).
CCommandLineInfo ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace fw
