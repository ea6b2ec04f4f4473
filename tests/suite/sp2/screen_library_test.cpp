// The screen library's functions with a host double: the window set-up and end, throttled
// drawing (many refreshes, few redraws, the last state drawn at close), key codes delivered at
// the next full display, and the answers to functions it does not know.
#include <gtest/gtest.h>

#include <string>

#include "sp2_test_support.h"

namespace dunax::sp2 {
namespace {

using testing::DataRecord;
using testing::FakeHost;
using testing::rowText;

constexpr std::int64_t kMillisecond = 1'000'000;

TEST(ScreenLibraryTest, WindowSetUpDrawsTitleAndPanelAtOnce) {
  FakeHost host;
  ScreenLibrary library(host);
  DataRecord data;
  testing::setUpWindow(library, data, "Em Convers\xE3o de RmCobol para MfCobol ...");
  EXPECT_EQ(host.opens, 1);
  ASSERT_GE(library.drawCount(), 1);
  // Every call of the set-up came in the same instant: only the opening was drawn so far.
  EXPECT_EQ(library.drawCount(), 1);
  host.clock += 100 * kMillisecond;
  unsigned char close[10] = {};
  std::memcpy(close + 2, "PDUNAXD ", 8);
  EXPECT_EQ(library.call(layouts::screen_function::kClosePanel, close), kDone);
  const ScreenGrid& screen = library.shownScreen();
  EXPECT_NE(rowText(screen, 0).find("Em Convers\xE3o de RmCobol para MfCobol ..."), std::string::npos);
  EXPECT_NE(host.written.find("Em Convers\xC3\xA3o de RmCobol para MfCobol ..."), std::string::npos);
  EXPECT_NE(host.written.find("Em Pesquisa ..."), std::string::npos);
  EXPECT_NE(host.written.find("Convertendo Ficheiros..."), std::string::npos);
}

TEST(ScreenLibraryTest, ReadWindowGivesNameAndTitle) {
  FakeHost host;
  ScreenLibrary library(host);
  unsigned char definition[kPanelDefinitionSize];
  converter::screen::fillPanelDefinition(definition);
  ASSERT_EQ(library.call(layouts::screen_function::kDefinePanel, definition), kDone);
  unsigned char window[dunax::layouts::kWindowRecordLength] = {};
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, panelName), "PDUNAXD ", 8);
  ASSERT_EQ(library.call(layouts::screen_function::kOpenWindow, window), kDone);
  ASSERT_EQ(library.call(layouts::screen_function::kReadWindow, window), kDone);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(window) + offsetof(dunax::layouts::WindowRecord, windowName), 8), "PDUNAXD ");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(window) + offsetof(dunax::layouts::WindowRecord, title), 17),
            "Em Convers\xE3o ....");
}

TEST(ScreenLibraryTest, ManyRefreshesDrawRarelyAndTheLastStateAtClose) {
  FakeHost host;
  ScreenLibrary library(host);
  DataRecord data;
  testing::setUpWindow(library, data, "Titulo");
  int before = library.drawCount();
  // 100 000 records, one every 10 microseconds: one second of conversion.
  for (long record = 1; record <= 100000; ++record) {
    host.clock += 10'000;
    data.count(testing::kLidos, record);
    data.count(testing::kEscritos, record);
    if (record % 100 == 0) {
      library.call(layouts::screen_function::kDisplayPanel, data.bytes);
    } else {
      testing::refresh(library, 20);
      testing::refresh(library, 1);
    }
  }
  int draws = library.drawCount() - before;
  EXPECT_GE(draws, 15);
  EXPECT_LE(draws, 21);  // at most 20 a second
  data.count(testing::kLidos, 100001);
  testing::refresh(library, 20);  // too soon to be drawn
  EXPECT_EQ(rowText(library.shownScreen(), 20).find("100 001"), std::string::npos);
  unsigned char closePanel[10] = {};
  std::memcpy(closePanel + 2, "PDUNAXD ", 8);
  library.call(layouts::screen_function::kClosePanel, closePanel);
  EXPECT_NE(rowText(library.shownScreen(), 20).find("100 001"), std::string::npos);
  unsigned char closeWindow[2] = {};
  EXPECT_EQ(library.call(layouts::screen_function::kCloseWindow, closeWindow), kDone);
  EXPECT_EQ(host.closes, 1);
  // The terminal is given back: attributes reset, cursor shown.
  EXPECT_EQ(host.written.substr(host.written.size() - host.restoreText.size()), host.restoreText);
  EXPECT_NE(host.restoreText.find("\x1b[?25h"), std::string::npos);
  EXPECT_NE(host.restoreText.find("\x1b[0m"), std::string::npos);
}

// The library remembers the last field ids it looked up; every refresh must still draw the
// field its id names, and an unknown id stays unknown, whatever was asked before.
TEST(ScreenLibraryTest, RefreshesDrawTheFieldTheirIdNames) {
  FakeHost host;
  ScreenLibrary library(host);
  DataRecord data;
  testing::setUpWindow(library, data, "Titulo");
  struct Counter {
    int id;
    std::size_t offset;
    long base;
    const char* shown;  // the value base + 1 as the edit format shows it
  };
  const Counter counters[] = {{20, testing::kLidos, 123455, "123 456"},
                              {1, testing::kEscritos, 654320, "654 321"},
                              {37, testing::kFichConv, 222332, "222 333"}};
  for (int round = 0; round < 3; ++round) {
    for (const Counter& counter : counters) {
      data.count(counter.offset, counter.base + 1 + round);
      host.clock += 100 * kMillisecond;
      unsigned char refresh[10157] = {};
      putBigEndian16(refresh + offsetof(dunax::layouts::FieldRefreshRecord, fieldId), counter.id);
      ASSERT_EQ(library.call(layouts::screen_function::kRefreshField, refresh), kDone);
      std::string expected = counter.shown;
      expected.back() = static_cast<char>(expected.back() + round);
      bool found = false;
      for (int row = 0; row < 24; ++row) {
        found = found || rowText(library.shownScreen(), row).find(expected) != std::string::npos;
      }
      EXPECT_TRUE(found) << "field " << counter.id << " round " << round;
      unsigned char unknown[10157] = {};
      putBigEndian16(unknown + offsetof(dunax::layouts::FieldRefreshRecord, fieldId), 99);
      EXPECT_EQ(library.call(layouts::screen_function::kRefreshField, unknown), kUnknownField);
    }
  }
  unsigned char closeWindow[2] = {};
  library.call(layouts::screen_function::kCloseWindow, closeWindow);
  unsigned char refresh[10157] = {};
  putBigEndian16(refresh + offsetof(dunax::layouts::FieldRefreshRecord, fieldId), 20);
  EXPECT_EQ(library.call(layouts::screen_function::kRefreshField, refresh), kNoPanelShown);
}

TEST(ScreenLibraryTest, RefreshesOfAWindowNotDrawnWriteNothing) {
  FakeHost host;
  host.terminal = false;
  ScreenLibrary library(host);
  DataRecord data;
  testing::setUpWindow(library, data, "Titulo");
  for (int i = 0; i < 1000; ++i) {
    host.clock += 100 * kMillisecond;
    testing::refresh(library, 20);
    library.call(layouts::screen_function::kDisplayPanel, data.bytes);
  }
  unsigned char closeWindow[2] = {};
  library.call(layouts::screen_function::kCloseWindow, closeWindow);
  EXPECT_EQ(host.writes, 0);
  EXPECT_EQ(library.drawCount(), 0);
  EXPECT_EQ(host.closes, 1);
}

TEST(ScreenLibraryTest, CloseRequestsAreDeliveredOnceAtTheNextFullDisplay) {
  FakeHost host;
  ScreenLibrary library(host);
  DataRecord data;
  testing::setUpWindow(library, data, "Titulo");
  EXPECT_EQ(data.keyCode(), 0);
  host.requests.push_back(ScreenHost::Request::Interrupt);
  testing::refresh(library, 20);  // a refresh does not report keys
  EXPECT_EQ(data.keyCode(), 0);
  library.call(layouts::screen_function::kDisplayPanel, data.bytes);
  EXPECT_EQ(data.keyCode(), layouts::screen_key::kCtrlC);
  EXPECT_EQ(data.bytes[offsetof(dunax::layouts::PanelDataRecord, keyCode)], 0x00);
  EXPECT_EQ(data.bytes[offsetof(dunax::layouts::PanelDataRecord, keyCode) + 1], 0x03);
  library.call(layouts::screen_function::kDisplayPanel, data.bytes);
  EXPECT_EQ(data.keyCode(), 0);
  host.requests.push_back(ScreenHost::Request::Terminate);
  library.call(layouts::screen_function::kDisplayPanel, data.bytes);
  EXPECT_EQ(data.keyCode(), layouts::screen_key::kWindowClosed);
  EXPECT_EQ(data.bytes[offsetof(dunax::layouts::PanelDataRecord, keyCode)], 0xFF);
  EXPECT_EQ(data.bytes[offsetof(dunax::layouts::PanelDataRecord, keyCode) + 1], 0xFB);
  library.call(layouts::screen_function::kDisplayPanel, data.bytes);
  EXPECT_EQ(data.keyCode(), 0);
}

TEST(ScreenLibraryTest, ResizedTerminalIsLaidOutAgain) {
  FakeHost host;
  ScreenLibrary library(host);
  DataRecord data;
  testing::setUpWindow(library, data, "Titulo");
  host.clock += 100 * kMillisecond;
  host.screenSize = {30, 100};
  host.resized = true;
  library.call(layouts::screen_function::kDisplayPanel, data.bytes);
  EXPECT_EQ(library.shownScreen().columns(), 100);
  EXPECT_EQ(library.shownScreen().rows(), 30);
}

TEST(ScreenLibraryTest, PlaceholderWindowOfTheExecutorShowsNothing) {
  FakeHost host;
  ScreenLibrary library(host);
  unsigned char start[10] = {0, 0, 'V', 'R', 'D', ' ', ' ', ' ', ' ', ' '};
  EXPECT_EQ(library.call(layouts::screen_function::kStartLibrary, start), kDone);
  unsigned char window[dunax::layouts::kWindowRecordLength] = {};
  window[20] = 80;
  window[22] = 25;
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, windowName), "Dummy2  ", 8);
  window[79] = 'x';
  EXPECT_EQ(library.call(layouts::screen_function::kOpenWindow, window), kDone);
  unsigned char closeField[2] = {};
  EXPECT_EQ(library.call(layouts::screen_function::kCloseWindow, closeField), kDone);
  EXPECT_EQ(library.call(layouts::screen_function::kEndLibrary, closeField), kDone);
  EXPECT_EQ(host.opens, 0);
  EXPECT_EQ(host.writes, 0);
}

TEST(ScreenLibraryTest, UnknownFunctionsPanelsAndFieldsAreRefused) {
  FakeHost host;
  ScreenLibrary library(host);
  unsigned char record[kPanelDefinitionSize] = {};
  EXPECT_EQ(library.call(77, record), kUnknownFunction);
  EXPECT_EQ(library.call(-1, record), kUnknownFunction);
  EXPECT_EQ(library.call(layouts::screen_function::kDefinePanel, record), kBadPanelDefinition);
  EXPECT_EQ(readBigEndian16(record), kBadPanelDefinition);
  unsigned char window[dunax::layouts::kWindowRecordLength] = {};
  std::memcpy(window + offsetof(dunax::layouts::WindowRecord, panelName), "NENHUM  ", 8);
  EXPECT_EQ(library.call(layouts::screen_function::kOpenWindow, window), kUnknownPanel);
  DataRecord data;
  EXPECT_EQ(library.call(layouts::screen_function::kDisplayPanel, data.bytes), kNoPanelShown);
  testing::setUpWindow(library, data, "Titulo");
  unsigned char refresh[10157] = {};
  putBigEndian16(refresh + offsetof(dunax::layouts::FieldRefreshRecord, fieldId), 99);
  EXPECT_EQ(library.call(layouts::screen_function::kRefreshField, refresh), kUnknownField);
  std::memcpy(data.bytes + offsetof(dunax::layouts::PanelDataRecord, panelName), "OUTRO   ", 8);
  EXPECT_EQ(library.call(layouts::screen_function::kDisplayPanel, data.bytes), kUnknownPanel);
}

}  // namespace
}  // namespace dunax::sp2
