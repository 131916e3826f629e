#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

// The source folders stand in layers, lowest first; a file may include only from its own
// layer and those below it. Folders of one layer (the program's document, view and
// dialog classes) may include each other.
namespace {

namespace fs = std::filesystem;

const std::map<std::string, int> kLayerOf = {
    {"platform", 0}, {"framework", 1}, {"resources", 2},
    {"document", 3}, {"view", 3},      {"dialogs", 3},
    {"app", 4},
};

// The layer of a path below src/ ("view/x.h" -> 3); -1 for anything else.
int LayerOf(const std::string& path) {
  const auto slash = path.find('/');
  if (slash == std::string::npos) return -1;
  const auto it = kLayerOf.find(path.substr(0, slash));
  return it == kLayerOf.end() ? -1 : it->second;
}

// Every "folder/file" include of the file at `path` that reaches above `layer`.
std::set<std::string> UpwardIncludes(const fs::path& path, int layer) {
  static const std::regex include(R"re(^\s*#\s*include\s+"([^"]+)")re");
  std::set<std::string> upward;
  std::ifstream in(path);
  std::string line;
  std::smatch match;
  while (std::getline(in, line)) {
    if (!std::regex_search(line, match, include)) continue;
    if (LayerOf(match[1]) > layer) upward.insert(match[1]);
  }
  return upward;
}

TEST(LayersTest, NoSourceFileIncludesALayerAboveItsOwn) {
  const fs::path src = fs::path(TOLVANE_SOURCE_DIR) / "src";
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string relative = fs::relative(entry.path(), src).generic_string();
    const int layer = LayerOf(relative);
    if (!entry.is_regular_file() || layer < 0) continue;
    ++files;
    for (const std::string& include : UpwardIncludes(entry.path(), layer)) {
      ADD_FAILURE() << relative << " includes " << include << " from a higher layer";
    }
  }
  EXPECT_GT(files, 50);
}

// Below the program's shell a class is handed what it needs (the application, the
// clipboard capture, the find state, the count pane): no file of these folders looks up
// the application object.
const std::set<std::string> kNoGlobalLookup = {"framework", "document", "view", "dialogs"};

bool LooksUpTheApplication(const std::string& line) {
  static const std::regex lookup(R"re(CWinApp\s*::\s*Get\s*\()re");
  return std::regex_search(line, lookup);
}

TEST(LayersTest, NoApplicationLookupBelowTheShell) {
  EXPECT_TRUE(LooksUpTheApplication("  fw::CWinApp::Get()->Clipboard().HasText();"));
  EXPECT_FALSE(LooksUpTheApplication("  m_capture.Clipboard().HasText();"));
  const fs::path src = fs::path(TOLVANE_SOURCE_DIR) / "src";
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(src)) {
    const std::string relative = fs::relative(entry.path(), src).generic_string();
    if (!entry.is_regular_file() || !kNoGlobalLookup.count(relative.substr(0, relative.find('/')))) {
      continue;
    }
    ++files;
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (LooksUpTheApplication(line)) {
        ADD_FAILURE() << relative << ":" << number << " looks up the application object";
      }
    }
  }
  EXPECT_GT(files, 30);
}

TEST(LayersTest, LayerOfFollowsTheFolder) {
  EXPECT_EQ(LayerOf("platform/code_page.h"), 0);
  EXPECT_EQ(LayerOf("framework/document.h"), 1);
  EXPECT_EQ(LayerOf("app/main_frame.h"), 4);
  EXPECT_LT(LayerOf("framework/document.h"), LayerOf("resources/menus.h"));
  EXPECT_EQ(LayerOf("main.cpp"), -1);
}

}  // namespace
