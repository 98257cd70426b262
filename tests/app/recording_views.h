// Windows that record what the behaviour shows them, and a desktop that
// records the About window it makes and whether the program was ended.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "views.h"

namespace pelloquin::testing {

struct RecordingMainView : MainView {
  void SetCharacterList(const std::vector<std::string>& names) override { list = names; }
  void SetLoadedName(std::string_view name) override { loaded = name; }
  std::optional<std::size_t> SelectedRow() const override { return selected; }
  void BeginProgress() override { ++progress_begun; }
  void AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) override {
    progress.push_back({std::string(text), done, total});
  }
  void EndProgress() override { ++progress_ended; }

  struct Step {
    std::string text;
    std::size_t done;
    std::size_t total;
  };
  std::vector<std::string> list;
  std::string loaded;
  std::optional<std::size_t> selected;
  int progress_begun = 0;
  int progress_ended = 0;
  std::vector<Step> progress;
};

struct RecordingAboutView : AboutView {
  void SetCaption(std::string_view text) override { caption = text; }
  void SetTitle(std::string_view text) override { title = text; }
  void SetVersion(std::string_view text) override { version = text; }
  void ShowInFront() override { ++shown; }

  std::string caption;
  std::string title;
  std::string version;
  int shown = 0;
};

struct RecordingDesktop : Desktop {
  std::unique_ptr<AboutView> MakeAboutView(AboutDialog&) override {
    ++about_views_made;
    auto view = std::make_unique<RecordingAboutView>();
    about = view.get();
    return view;
  }
  void Quit() override { ++quits; }

  RecordingAboutView* about = nullptr;
  int about_views_made = 0;
  int quits = 0;
};

}  // namespace pelloquin::testing
