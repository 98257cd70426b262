// The folders as one action listed them.
#include "core/action_listings.h"

#include <algorithm>

#include "core/ascii_case.h"
#include "core/paths.h"

namespace pelloquin {

namespace fs = std::filesystem;

bool NameLess(const std::string& a, const std::string& b) {
  auto folded = [](char c) { return static_cast<unsigned char>(AsciiLower(c)); };
  auto [first, second] = std::mismatch(a.begin(), a.end(), b.begin(), b.end(),
                                       [&](char x, char y) { return folded(x) == folded(y); });
  if (first == a.end() || second == b.end()) {
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
  }
  return folded(*first) < folded(*second);
}

std::error_code ListVisible(const fs::path& path, std::vector<files::FileInfo>& entries,
                            files::Listing detail) {
  std::error_code error = files::ListFolder(path, entries, detail);
  for (const auto& entry : entries) {
    if (files::IsTemporaryName(entry.name)) files::RemoveFile(path / PathFromUtf8(entry.name));
  }
  std::erase_if(entries, [](const files::FileInfo& entry) {
    return entry.hidden || files::IsTemporaryName(entry.name);
  });
  return error;
}

Folder ListFolder(const std::string& text) {
  Folder folder;
  folder.text = text;
  folder.path = PathFromUtf8(text);
  std::vector<files::FileInfo> entries;
  folder.error = ListVisible(folder.path, entries, files::Listing::kFull);
  for (auto& entry : entries) {
    if (HasSaveExtension(entry.name)) folder.saves.push_back(entry.name);
    std::string name = entry.name;
    folder.files.emplace(std::move(name), std::move(entry));
  }
  std::sort(folder.saves.begin(), folder.saves.end(), NameLess);
  return folder;
}

ActionListings::ActionListings() : data_(std::make_unique<Data>()) {}
ActionListings::~ActionListings() = default;

ActionListings::Data& ListingsOf(ActionListings& listings) {
  return *listings.data_;
}

void AddFailure(Failures& failures, const fs::path& path, std::error_code error) {
  // The system's words for it ("resource temporarily unavailable") would not tell.
  std::string reason = error == files::Outcome::kChanged
                           ? "the file changed while it was being sorted; it was left where it "
                             "was, and the next run sorts it"
                           : DescribeError(error);
  failures.push_back({Utf8FromPath(path), std::move(reason)});
}

// The folder as this action listed it; none, the failure told, when it could not be listed.
Folder* ListedOrTold(ActionListings::Data& data, const std::string& text, Failures& failures) {
  Folder& folder = data.Listed(text);
  if (!folder.error) return &folder;
  AddFailure(failures, folder.path, folder.error);
  return nullptr;
}

}  // namespace pelloquin
