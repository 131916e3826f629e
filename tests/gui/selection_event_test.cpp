// The one place where a reader's bytes become an item and the copies for the window's
// thread are made, for every port that reads off that thread.
#include "platform/selection_event.h"

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

struct CodePageGuard {
  CodePage saved = SystemCodePage();
  ~CodePageGuard() { SetSystemCodePage(saved); }
};

SelectionEvent Reported(ClipboardStatus status, std::string bytes,
                        SelectionEncoding encoding = SelectionEncoding::Utf8) {
  SelectionEvent event;
  event.status = status;
  event.text = std::move(bytes);
  event.encoding = encoding;
  event.bHasAnyFormat = true;
  return event;
}

TEST(SelectionEventTest, ConversionMakesTheItemAndSaysWhetherThereIsText) {
  const CodePageGuard guard;
  struct Case {
    const char* name;
    CodePage cp;
    SelectionEvent event;
    ClipboardStatus status;
    std::string text;
    bool bHasText;
  };
  const Case cases[] = {
      {"to cp932", CodePage::Cp932, Reported(ClipboardStatus::Ok, "ｸ日😀"), ClipboardStatus::Ok,
       "\xB8\x93\xFA?", true},
      {"empty", CodePage::Utf8, Reported(ClipboardStatus::Ok, ""), ClipboardStatus::NoText, "",
       false},
      {"zero first", CodePage::Utf8, Reported(ClipboardStatus::Ok, std::string("\0x", 2)),
       ClipboardStatus::NoText, "", false},
      {"no text", CodePage::Utf8, Reported(ClipboardStatus::NoText, ""), ClipboardStatus::NoText,
       "", false},
      {"out of memory", CodePage::Utf8, Reported(ClipboardStatus::NoMemory, ""),
       ClipboardStatus::NoMemory, "", true},
  };
  for (const Case& c : cases) {
    SetSystemCodePage(c.cp);
    SelectionEvent event = c.event;
    ConvertSelectionText(event);
    EXPECT_EQ(event.status, c.status) << c.name;
    EXPECT_EQ(event.text, c.text) << c.name;
    EXPECT_EQ(event.bHasText, c.bHasText) << c.name;
    EXPECT_EQ(event.codePage, c.cp) << c.name;
    EXPECT_TRUE(event.bHasAnyFormat) << c.name;
  }
}

// The window's thread takes the copies instead of copying; the spare copy, for the list
// item, is made for a large text only.
TEST(SelectionEventTest, FinishingMakesTheCopiesForTheWindowsThread) {
  const CodePageGuard guard;
  SetSystemCodePage(CodePage::Utf8);
  SelectionEvent small = Reported(ClipboardStatus::Ok, "small");
  FinishSelectionEvent(small);
  EXPECT_EQ(small.text, "small");
  EXPECT_EQ(small.textCopy, "small");
  EXPECT_EQ(small.spareCopy, "");

  const std::string large(kSpareCopyMinBytes, 'x');
  SelectionEvent big = Reported(ClipboardStatus::Ok, large);
  FinishSelectionEvent(big);
  EXPECT_TRUE(big.text == large);
  EXPECT_TRUE(big.textCopy == large);
  EXPECT_TRUE(big.spareCopy == large);
  EXPECT_NE(big.textCopy.data(), big.spareCopy.data());

  SelectionEvent none = Reported(ClipboardStatus::NoText, "");
  FinishSelectionEvent(none);
  EXPECT_EQ(none.textCopy, "");
  EXPECT_EQ(none.spareCopy, "");
}

}  // namespace
}  // namespace platform
