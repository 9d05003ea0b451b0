// A main window on the offscreen platform with a scripted Desktop, a real settings store in a
// temporary XDG_CONFIG_HOME and a temporary folder of its own.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QTest>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "dialogs/Texteditform/text_edit_dialog.h"
#include "mainwindow/main_window.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"
#include "support/environment.h"
#include "support/fake_desktop.h"
#include "support/pdf_checks.h"
#include "support/store_file.h"
#include "support/temp_dir.h"

namespace sleevemaster::test {

/// A fixed moment for the date texts of the corner.
inline LocalTime FixedTime() {
  return LocalTime{2026, 12, 6, 17, 54, 3};
}

/// A document head by hand: the lines a valid header starts with, then `lines`, CR-ended.
inline std::string HandMadeDocument(std::string_view lines) {
  std::string text =
      "%PDF-1.3\r%!PDF-Sleevemaster\r%%PDFversion: 1.3\r%%Creator: Sleevemaster\r"
      "%%CreatorVersion: 3.1.0 (Build 0030)\r%%Producer: Sleevemaster PDF library\r"
      "%%ProducerVersion: 1.2.8\r";
  text += lines;
  text += "%%EndComments\r%%EOF\r";
  return text;
}

/// Sends one key press and release per character, with the character as the typed text, as a
/// keyboard would (QTest::keyClicks cannot type characters outside Latin-1).
inline void TypeText(QWidget* widget, const QString& text) {
  for (const QChar character : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QApplication::sendEvent(widget, &release);
  }
}

/// Clicks a radio button or check box on its indicator: a button stretched by its layout only
/// reacts to clicks on its indicator and its text, not on the empty rest.
inline void ClickButton(QAbstractButton* button) {
  QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                    QPoint(std::min(8, button->width() / 2), button->height() / 2));
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_home_ = temp_.File("config");
    config_home_variable_.emplace("XDG_CONFIG_HOME", config_home_);
    // The working files' folder is private, as the program's own is.
    temporary_folder_ = temp_.File("tmp") + "/";
    std::filesystem::create_directories(temporary_folder_);
    std::filesystem::permissions(temporary_folder_, std::filesystem::perms::owner_all);
    documents_ = temp_.File("documents");
    std::filesystem::create_directories(documents_);
    // A first start chooses Letter here, whatever paper the machine running the tests prefers.
    store_ = std::make_unique<SettingsStore>([] { return 0; });
    text_editor_ = std::make_unique<TTextEdit>(desktop_);
  }

  void TearDown() override {
    window_.reset();
    text_editor_.reset();
    config_home_variable_.reset();
  }

  /// Builds the window (its create step runs now) with the desktop as the test has set it.
  TMain& MakeWindow() {
    window_.reset();
    window_ = std::make_unique<TMain>(MainWindowDependencies{
        desktop_, *store_, settings_, *text_editor_, temporary_folder_, FixedTime});
    return *window_;
  }

  TMain& Window() {
    if (!window_)
      MakeWindow();
    return *window_;
  }

  template <typename Widget>
  Widget* Find(const char* name) {
    Widget* widget = Window().findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  std::string StoreFile() const { return StoreFileIn(config_home_); }
  void WriteStore(const StoreValues& values) { WriteStoreFile(config_home_, values); }
  /// The stored values, read from the file's own lines.
  StoreValues StoredValues() const { return ReadStoreFile(config_home_); }

  /// The window's working files, in the folder of its own it made in the private folder.
  std::string Working() { return Window().WorkingBackCoverText(); }
  std::string Scratch() {
    const std::string working = Working();
    return working.substr(0, working.rfind('/') + 1) + "Preview.pdf";
  }
  std::string Document(const std::string& name) const { return documents_ + "/" + name; }

  TempDir temp_;
  std::string config_home_;
  std::string temporary_folder_;
  std::string documents_;
  FakeDesktop desktop_;
  AppSettings settings_;
  std::unique_ptr<SettingsStore> store_;
  std::unique_ptr<TTextEdit> text_editor_;
  std::unique_ptr<TMain> window_;

 private:
  std::optional<ScopedEnvironmentVariable> config_home_variable_;
};

}  // namespace sleevemaster::test
