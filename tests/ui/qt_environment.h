// One QApplication for a whole test program, on the platform it names, ending
// by the program's own rule rather than when its last window closes.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

namespace pelloquin::testing {

class QtEnvironment : public ::testing::Environment {
 public:
  explicit QtEnvironment(const char* platform) : platform_(platform) {}

  void SetUp() override {
    if (QApplication::instance() != nullptr) return;
    qputenv("QT_QPA_PLATFORM", platform_);
    application_ = std::make_unique<QApplication>(argc_, argv_);
    QApplication::setQuitOnLastWindowClosed(false);
  }
  void TearDown() override { application_.reset(); }

 private:
  const char* platform_;
  int argc_ = 1;
  char name_[6] = "tests";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> application_;
};

}  // namespace pelloquin::testing
