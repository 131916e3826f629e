// The real clipboard port over QClipboard (in-process on the offscreen platform):
// conversion to the system code page, the cut at the first zero, what counts as no text.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "platform/code_page.h"
#include "platform/qt_clipboard_port.h"

namespace {

using platform::ClipboardStatus;
using platform::CodePage;

class QtClipboardPortTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::SetSystemCodePage(CodePage::Utf8); }
  void TearDown() override {
    QGuiApplication::clipboard()->clear();
    platform::SetSystemCodePage(CodePage::Utf8);
  }
  static void Put(QMimeData* mime) { QGuiApplication::clipboard()->setMimeData(mime); }

  platform::QtClipboardPort m_port;
};

TEST_F(QtClipboardPortTest, ReadsTextByteForByteAndStopsAtTheFirstZero) {
  const QString japanese = QStringLiteral("一行目\r\n\tｸﾘｯﾌﾟﾎﾞｰﾄﾞ 😀");
  QGuiApplication::clipboard()->setText(japanese);
  std::string text;
  ASSERT_EQ(m_port.ReadText(text), ClipboardStatus::Ok);
  EXPECT_EQ(text, japanese.toStdString());

  QGuiApplication::clipboard()->setText(QString::fromUtf8("before\0after", 12));
  ASSERT_EQ(m_port.ReadText(text), ClipboardStatus::Ok);
  EXPECT_EQ(text, "before");
}

TEST_F(QtClipboardPortTest, ConvertsToCp932WithQuestionMarksForMissingCharacters) {
  platform::SetSystemCodePage(CodePage::Cp932);
  QGuiApplication::clipboard()->setText(QStringLiteral("ｸ日😀"));
  std::string text;
  ASSERT_EQ(m_port.ReadText(text), ClipboardStatus::Ok);
  EXPECT_EQ(text, std::string("\xB8\x93\xFA?"));
}

TEST_F(QtClipboardPortTest, ImagesSecretsAndEmptyTextCountAsNoText) {
  auto* image = new QMimeData;
  image->setImageData(QImage(4, 4, QImage::Format_RGB32));
  Put(image);
  std::string text = "unchanged";
  EXPECT_EQ(m_port.ReadText(text), ClipboardStatus::NoText);
  EXPECT_FALSE(m_port.HasText());
  EXPECT_TRUE(m_port.HasAnyFormat());

  auto* secret = new QMimeData;
  secret->setText(QStringLiteral("hunter2"));
  secret->setData(QStringLiteral("x-kde-passwordManagerHint"), "secret");
  Put(secret);
  EXPECT_EQ(m_port.ReadText(text), ClipboardStatus::NoText);
  EXPECT_FALSE(m_port.HasText());

  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(m_port.ReadText(text), ClipboardStatus::NoText);
  EXPECT_FALSE(m_port.HasAnyFormat());
}

TEST_F(QtClipboardPortTest, WritePutsOnlyThePlainTextAndIsNoticed) {
  QSignalSpy changed(&m_port, &platform::ClipboardPort::Changed);
  platform::SetSystemCodePage(CodePage::Cp932);
  ASSERT_EQ(m_port.WriteText(std::string("\x93\xFA\x96\x7B")), ClipboardStatus::Ok);  // 日本
  EXPECT_GE(changed.count(), 1);
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  EXPECT_EQ(mime->text(), QStringLiteral("日本"));
  EXPECT_FALSE(mime->hasImage());
  EXPECT_TRUE(m_port.HasText());
}

TEST_F(QtClipboardPortTest, FiftyMegabytesArriveWhole) {
  const std::string big(50u << 20, 'x');
  QGuiApplication::clipboard()->setText(QString::fromLatin1(big.data(), static_cast<qsizetype>(big.size())));
  std::string text;
  ASSERT_EQ(m_port.ReadText(text), ClipboardStatus::Ok);
  EXPECT_EQ(text.size(), big.size());
}

}  // namespace
